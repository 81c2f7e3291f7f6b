#include "tools/simulator/emulation.h"

namespace sim {

namespace {

// Splits what the host sent into commands at CR or LF.
class CommandBuffer {
 public:
  template <class F>
  void Feed(const QByteArray& bytes, F&& onCommand) {
    for (char c : bytes) {
      if (c == '\r' || c == '\n') {
        if (!buffer_.isEmpty()) onCommand(buffer_.trimmed());
        buffer_.clear();
      } else if (buffer_.size() < 256) {
        buffer_.append(c);
      }
    }
  }

 private:
  QByteArray buffer_;
};

class Unit : public Emulation {
 public:
  Unit(int lines, const QString& serial) : lines_(lines), serial_(serial) {}

  QByteArray FromHost(const QByteArray& bytes) override {
    QByteArray out;
    commands_.Feed(bytes, [&](const QByteArray& cmd) {
      if (cmd == "ID?")
        out += "ID|SIM-CID-" + QByteArray::number(lines_) + "|" + serial_.toUtf8() + "|" + QByteArray::number(lines_) +
               "\r\n";
      else if (cmd == "PING")
        out += "PONG\r\n";
      else if (cmd == "TEST") {
        out += "TEST|BEGIN\r\n";
        selfTest_ = true;
      } else
        out += "ERR|bilinmeyen komut\r\n";
    });
    return out;
  }

  QByteArray Ringing(int line, int level) override {
    std::array<int, 8> levels{};
    if (line >= 1 && line <= 8) levels[line - 1] = level;
    return Levels(levels);
  }

  QByteArray CallBytes(const Call& call, const QDateTime& when) override {
    QByteArray number = call.number.toUtf8(), reason;
    if (number == "P" || number == "O") {
      reason = number;
      number.clear();
    }
    return "CALL|" + QByteArray::number(call.line) + "|" + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() +
           "|" + number + "|" + reason + "|" + call.text.toUtf8() + "\r\n";
  }

  QByteArray Levels(const std::array<int, 8>& levels) override {
    QByteArray out = "LVL";
    for (int v : levels) out += "|" + QByteArray::number(v);
    return out + "\r\n";
  }

  QByteArray TakeSelfTestCalls(const QDateTime& when) override {
    if (!selfTest_) return {};
    selfTest_ = false;
    QByteArray out;
    for (int line = 1; line <= lines_; ++line)
      out += CallBytes(Call{line, QStringLiteral("100000000%1").arg(line), QStringLiteral("TEST")}, when);
    return out;
  }

  int Lines() const override { return lines_; }
  bool IsModem() const override { return false; }

 private:
  int lines_;
  QString serial_;
  CommandBuffer commands_;
  bool selfTest_ = false;
};

class Modem : public Emulation {
 public:
  Modem(const QString& serial, bool oldCid, bool noIdentity)
      : serial_(serial), oldCid_(oldCid), noIdentity_(noIdentity) {}

  QByteArray FromHost(const QByteArray& bytes) override {
    QByteArray out;
    commands_.Feed(bytes, [&](const QByteArray& raw) {
      const QByteArray cmd = raw.toUpper();
      out += raw + "\r\n";  // modems echo commands unless told not to
      if (cmd == "ATZ" || cmd == "AT")
        out += "OK\r\n";
      else if (cmd == "AT+VCID=1")
        out += oldCid_ ? "ERROR\r\n" : "OK\r\n";
      else if (cmd == "AT#CID=1")
        out += oldCid_ ? "OK\r\n" : "ERROR\r\n";
      else if (cmd == "AT+GMM")
        out += noIdentity_ ? QByteArray("ERROR\r\n") : QByteArray("\r\nSIM-MODEM 56K\r\n\r\nOK\r\n");
      else if (cmd == "AT+GSN")
        out += noIdentity_ ? QByteArray("ERROR\r\n") : "\r\n" + serial_.toUtf8() + "\r\n\r\nOK\r\n";
      else if (cmd == "ATI3")
        out += "\r\nSIM-MODEM V.92 (ATI3)\r\n\r\nOK\r\n";
      else
        out += "ERROR\r\n";
    });
    return out;
  }

  QByteArray Ringing(int, int) override { return "\r\nRING\r\n"; }

  QByteArray CallBytes(const Call& call, const QDateTime& when) override {
    QByteArray out = "\r\nDATE = " + when.toString(QStringLiteral("MMdd")).toLatin1() +
                     "\r\nTIME = " + when.toString(QStringLiteral("HHmm")).toLatin1() +
                     "\r\nNMBR = " + call.number.toUtf8() + "\r\n";
    if (!call.text.isEmpty()) out += "NAME = " + call.text.toUtf8() + "\r\n";
    return out + "\r\n";
  }

  QByteArray Levels(const std::array<int, 8>&) override { return {}; }
  QByteArray TakeSelfTestCalls(const QDateTime&) override { return {}; }
  int Lines() const override { return 1; }
  bool IsModem() const override { return true; }

 private:
  QString serial_;
  bool oldCid_;
  bool noIdentity_;
  CommandBuffer commands_;
};

}  // namespace

std::unique_ptr<Emulation> MakeUnit(int lines, const QString& serial) { return std::make_unique<Unit>(lines, serial); }

std::unique_ptr<Emulation> MakeModem(const QString& serial, bool oldCallerIdCommand, bool noIdentity) {
  return std::make_unique<Modem>(serial, oldCallerIdCommand, noIdentity);
}

}  // namespace sim
