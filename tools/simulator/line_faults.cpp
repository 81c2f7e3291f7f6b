#include "tools/simulator/line_faults.h"

#include <algorithm>

namespace sim {

bool LineFaults::Add(const QStringList& words, QString* error) {
  for (const QString& word : words) {
    const QString name = word.section(QLatin1Char('='), 0, 0);
    const QString value = word.section(QLatin1Char('='), 1);
    bool ok = true;
    const auto number = [&](double fallback, double lo, double hi) {
      if (value.isEmpty()) return fallback;
      const double v = value.toDouble(&ok);
      ok = ok && v >= lo && v <= hi;
      return v;
    };
    if (name == QLatin1String("none"))
      *this = LineFaults{};
    else if (name == QLatin1String("weak"))
      weak = true;
    else if (name == QLatin1String("noisy"))
      noisy = true;
    else if (name == QLatin1String("hum"))
      humHz = number(50, 16, 200);
    else if (name == QLatin1String("fast-clock"))
      clockFactor = number(kFastClock, 0.9, 1.1);
    else if (name == QLatin1String("other-standard"))
      otherStandard = true;
    else if (name == QLatin1String("early"))
      early = true;
    else if (name == QLatin1String("no-cid"))
      noCallerId = true;
    else {
      *error = QStringLiteral(
                   "unknown fault %1 (weak, noisy, hum[=HZ], fast-clock[=FACTOR], other-standard, early, "
                   "no-cid, none)")
                   .arg(word);
      return false;
    }
    if (!ok) {
      *error = QStringLiteral("fault %1: value out of range (hum 16-200 Hz, fast-clock 0.9-1.1)").arg(word);
      return false;
    }
  }
  return true;
}

QString LineFaults::Describe() const {
  QStringList d;
  if (weak) d << QStringLiteral("weak");
  if (noisy) d << QStringLiteral("noisy");
  if (humHz > 0) d << QStringLiteral("hum=%1").arg(humHz);
  if (clockFactor != 1.0) d << QStringLiteral("fast-clock=%1").arg(clockFactor);
  if (otherStandard) d << QStringLiteral("other-standard");
  if (early) d << QStringLiteral("early");
  if (noCallerId) d << QStringLiteral("no-cid");
  return d.isEmpty() ? QStringLiteral("none") : d.join(QStringLiteral(", "));
}

audiogen::Standard LineFaults::Sent(audiogen::Standard standard) const {
  if (!otherStandard) return standard;
  return standard == audiogen::Standard::ClipDtmf ? audiogen::Standard::ClipV23 : audiogen::Standard::ClipDtmf;
}

audiogen::Samples CallAudio(const audiogen::CallBurst& call, double levelDbm0, double snrDb, const LineFaults& faults) {
  using audiogen::Append;
  // A weak burst comes over the line's usual quiet noise, which stays where it is.
  const double level = faults.weak ? levelDbm0 - snrDb + LineFaults::kWeakAboveNoiseDb : levelDbm0;
  // Ringing through a coupler is loud whatever the burst level.
  const double ringDbm0 = std::min(0.0, levelDbm0 + 20);
  audiogen::CallBurst sent = call;
  sent.standard = faults.Sent(call.standard);
  audiogen::BurstShape shape;
  shape.bitRateFactor = faults.clockFactor;
  audiogen::Samples s;
  if (faults.noCallerId) {
    // Two ring cycles and nothing between or before them.
    for (const audiogen::Samples& part :
         {audiogen::Ring(1.0, ringDbm0), audiogen::Silence(3.0), audiogen::Ring(1.0, ringDbm0), audiogen::Silence(1.0)})
      Append(s, part);
  } else if (faults.early) {
    // The data first, the first ring 300 ms after it.
    for (const audiogen::Samples& part :
         {audiogen::Silence(0.3), audiogen::CallerIdBurst(sent, level, shape), audiogen::Silence(0.3),
          audiogen::Ring(1.0, ringDbm0), audiogen::Silence(3.0), audiogen::Ring(1.0, ringDbm0)})
      Append(s, part);
  } else {
    for (const audiogen::Samples& part :
         {audiogen::Ring(1.0, ringDbm0), audiogen::Silence(0.6), audiogen::CallerIdBurst(sent, level, shape),
          audiogen::Silence(1.5), audiogen::Ring(1.0, ringDbm0)})
      Append(s, part);
  }
  if (faults.humHz > 0) audiogen::AddHum(s, faults.humHz, LineFaults::kHumDbm0);
  return s;
}

double NoiseDbm0(double levelDbm0, double snrDb, const LineFaults& faults) {
  return levelDbm0 - (faults.noisy ? LineFaults::kNoisySnrDb : snrDb);
}

}  // namespace sim
