#pragma once
// What a simulated device says: answers to the host's commands and the
// bytes of calls and level reports, for a multi-line unit or a voice modem.
// Pure code (bytes in, bytes out) so tests can check it without a terminal.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <array>
#include <memory>

namespace sim {

struct Call {
  int line = 1;
  QString number;  // digits; "P" withheld, "O" unavailable
  QString text;
};

class Emulation {
 public:
  virtual ~Emulation() = default;
  // Bytes from the host; returns the answer to every complete command.
  virtual QByteArray FromHost(const QByteArray& bytes) = 0;
  // The bytes of a ringing burst on a line (a level report or RING).
  virtual QByteArray Ringing(int line, int level) = 0;
  virtual QByteArray CallBytes(const Call& call, const QDateTime& when) = 0;
  // Level report; empty for devices that have none.
  virtual QByteArray Levels(const std::array<int, 8>& levels) = 0;
  virtual int Lines() const = 0;
  virtual bool IsModem() const = 0;
  // Reports levels; a device without them shows ringing by Ringing() alone.
  virtual bool HasLevels() const { return !IsModem(); }
  // Host asked for a self-test since the last call (a unit answers with test calls).
  virtual QByteArray TakeSelfTestCalls(const QDateTime& when) = 0;
};

// What a simulated voice modem does before the host sets it up: its stored
// profile and which caller-ID command it knows.
struct ModemProfile {
  enum class CallerIdCommand { Vcid, HashCid, PlusCid };  // AT+VCID=1, AT#CID=1, AT+CID=1
  CallerIdCommand callerId = CallerIdCommand::Vcid;
  bool noIdentity = false;    // ERROR to AT+GMM and AT+GSN (model then from ATI3)
  bool numericCodes = false;  // V0 stored: result codes 0 and 4 until V1
  bool quiet = false;         // Q1 stored: no result codes until Q0
};

// lines: 1, 2 or 4.
std::unique_ptr<Emulation> MakeUnit(int lines, const QString& serial);
std::unique_ptr<Emulation> MakeModem(const QString& serial, const ModemProfile& profile = {});

}  // namespace sim
