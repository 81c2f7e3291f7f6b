#include "tools/simulator/public_format.h"

#include "platform/codepage.h"

namespace sim {

namespace {

QByteArray LineField(int line) { return QByteArray::number(line).rightJustified(2, '0'); }

QByteArray Padded(QByteArray field, int width) { return field.left(width).leftJustified(width, ' '); }

class PublicFormatUnit : public Emulation {
 public:
  explicit PublicFormatUnit(int lines) : lines_(lines) {}

  QByteArray FromHost(const QByteArray&) override { return {}; }  // takes no commands
  QByteArray Ringing(int line, int) override { return PublicRingRecord(line, QDateTime::currentDateTime()); }
  QByteArray CallBytes(const Call& call, const QDateTime& when) override { return PublicCallRecord(call, when); }
  QByteArray Levels(const std::array<int, 8>&) override { return {}; }
  QByteArray TakeSelfTestCalls(const QDateTime&) override { return {}; }
  int Lines() const override { return lines_; }
  bool IsModem() const override { return false; }
  bool HasLevels() const override { return false; }

 private:
  int lines_;
};

}  // namespace

QByteArray PublicCallRecord(const Call& call, const QDateTime& when) {
  const QByteArray number = call.number == QLatin1String("P")   ? QByteArray("Private")
                            : call.number == QLatin1String("O") ? QByteArray("Out-of-Area")
                                                                : call.number.toLatin1();
  // Names in the Turkish 8-bit code page, as units sold here send them.
  return LineField(call.line) + " I S 0000 G A1 " + when.toString(QStringLiteral("MM/dd hh:mm AP")).toLatin1() + ' ' +
         Padded(number, 14) + ' ' + Padded(platform::ToAnsi(call.text), 15) + "\r\n";
}

QByteArray PublicRingRecord(int line, const QDateTime& when) {
  return LineField(line) + " R        " + when.toString(QStringLiteral("MM/dd HH:mm:ss")).toLatin1() + "\r\n";
}

std::unique_ptr<Emulation> MakePublicFormatUnit(int lines) { return std::make_unique<PublicFormatUnit>(lines); }

}  // namespace sim
