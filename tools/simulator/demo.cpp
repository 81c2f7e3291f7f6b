#include "tools/simulator/demo.h"

#include <iterator>

namespace sim {

QString RandomTurkishNumber(QRandomGenerator& rng) {
  static const char* const kMobile[] = {"530", "532", "533", "535", "536", "541", "542", "544", "505", "506", "551"};
  static const char* const kCity[] = {"212", "216", "312", "232", "224", "242", "322", "342", "262", "462"};
  const bool mobile = rng.bounded(2) == 0;
  const QString prefix = mobile ? QString::fromLatin1(kMobile[rng.bounded(int(std::size(kMobile)))])
                                : QString::fromLatin1(kCity[rng.bounded(int(std::size(kCity)))]);
  QString subscriber = QString::number(2 + rng.bounded(8));  // subscriber numbers do not start with 0 or 1
  for (int i = 0; i < 6; ++i) subscriber += QString::number(rng.bounded(10));
  return QLatin1Char('0') + prefix + subscriber;
}

Call RandomCall(QRandomGenerator& rng, int lines) {
  static const char* const kNames[] = {
      "Ayşe Yılmaz", "Mehmet Öztürk", "Zeynep Çelik", "Mustafa Şahin", "Elif Doğan", "", "", ""};
  Call c;
  c.line = 1 + rng.bounded(lines);
  const int kind = rng.bounded(12);
  c.number = kind == 0 ? QStringLiteral("P") : kind == 1 ? QStringLiteral("O") : RandomTurkishNumber(rng);
  c.text = QString::fromUtf8(kNames[rng.bounded(int(std::size(kNames)))]);
  return c;
}

int DemoPauseMs(QRandomGenerator& rng, int minMs, int maxMs) { return minMs + rng.bounded(qMax(1, maxMs - minMs)); }

int QuietLevel(QRandomGenerator& rng) { return rng.bounded(3); }

}  // namespace sim
