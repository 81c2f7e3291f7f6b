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
    return "CALL|" + QByteArray::number(call.line) + "|" +
           when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + "|" + number + "|" + reason + "|" +
           call.text.toUtf8() + "\r\n";
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
  Modem(const QString& serial, const ModemProfile& profile) : serial_(serial), profile_(profile) { Reset(); }

  QByteArray FromHost(const QByteArray& bytes) override {
    QByteArray out;
    commands_.Feed(bytes, [&](const QByteArray& raw) {
      const QByteArray cmd = raw.toUpper();
      if (echo_) out += raw + "\r\n";
      using Cid = ModemProfile::CallerIdCommand;
      if (cmd == "ATZ") {
        Reset();
        out += Result(true);
      } else if (cmd == "AT") {
        out += Result(true);
      } else if (cmd.startsWith("ATE") || cmd.startsWith("ATV") || cmd.startsWith("ATQ")) {
        Settings(cmd.mid(2));
        out += Result(true);
      } else if (cmd == "AT+VCID=1") {
        out += Result(profile_.callerId == Cid::Vcid);
      } else if (cmd == "AT#CID=1") {
        out += Result(profile_.callerId == Cid::HashCid);
      } else if (cmd == "AT+CID=1") {
        out += Result(profile_.callerId == Cid::PlusCid);
      } else if (cmd == "AT+GMM") {
        out += profile_.noIdentity ? Result(false) : "\r\nSIM-MODEM 56K\r\n" + Result(true);
      } else if (cmd == "AT+GSN") {
        out += profile_.noIdentity ? Result(false) : "\r\n" + serial_.toUtf8() + "\r\n" + Result(true);
      } else if (cmd == "ATI3") {
        out += "\r\nSIM-MODEM V.92 (ATI3)\r\n" + Result(true);
      } else {
        out += Result(false);
      }
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
  // ATZ brings back the stored profile.
  void Reset() {
    echo_ = true;
    verbose_ = !profile_.numericCodes;
    quiet_ = profile_.quiet;
  }
  // "E1V1Q0S0=0" and the like; registers are accepted and ignored.
  void Settings(const QByteArray& s) {
    for (qsizetype i = 0; i + 1 < s.size(); ++i) {
      const char value = s[i + 1];
      if (value != '0' && value != '1') continue;
      if (s[i] == 'E') echo_ = value == '1';
      if (s[i] == 'V') verbose_ = value == '1';
      if (s[i] == 'Q') quiet_ = value == '1';
    }
  }
  QByteArray Result(bool ok) const {
    if (quiet_) return {};
    if (!verbose_) return ok ? "0\r" : "4\r";
    return ok ? "\r\nOK\r\n" : "\r\nERROR\r\n";
  }

  QString serial_;
  ModemProfile profile_;
  CommandBuffer commands_;
  bool echo_ = true;
  bool verbose_ = true;
  bool quiet_ = false;
};

}  // namespace

std::unique_ptr<Emulation> MakeUnit(int lines, const QString& serial) { return std::make_unique<Unit>(lines, serial); }

std::unique_ptr<Emulation> MakeModem(const QString& serial, const ModemProfile& profile) {
  return std::make_unique<Modem>(serial, profile);
}

}  // namespace sim
