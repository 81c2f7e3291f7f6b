#pragma once
// What the line decoders make of caller-ID audio: plain values, no event loop.
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>

#include "device/audio/standard.h"

namespace device::audio {

// Every decoder works on 8 kHz mono 16-bit samples.
constexpr int kSampleRate = 8000;

struct CallerIdMessage {
  Standard standard = Standard::Auto;
  QString number;  // empty when absent
  enum class Absence { None, Withheld, Unavailable } absence = Absence::None;
  // The caller's name when the message carries one. 8-bit bytes are read in
  // the Turkish code page (Windows-1254, whose letters match ISO 8859-9).
  QString name;
  int month = -1, day = -1, hour = -1, minute = -1;  // -1 when the message has no date/time

  bool HasDateTime() const { return month > 0; }
  friend bool operator==(const CallerIdMessage&, const CallerIdMessage&) = default;
};

// A message that passed its checksum but carries no call: message waiting
// (on or off), advice of charge, a short message and the other types an
// exchange sends on the same line. A good line, never a failure.
struct NonCallMessage {
  enum class Kind { MessageWaiting, AdviceOfCharge, ShortMessage, Other } kind = Kind::Other;
  uint8_t type = 0;             // the message type byte
  std::optional<bool> waiting;  // message waiting: a message is waiting (on) or not (off)
  // "message_waiting", "advice_of_charge", "short_message", "other".
  QString Key() const;
  // What it is in Turkish, with its content: "mesaj bekliyor bildirimi (açık)".
  QString Text() const;
  friend bool operator==(const NonCallMessage&, const NonCallMessage&) = default;
};

// A burst that framed as a caller-ID message but failed its checksum.
struct ChecksumFailure {
  Standard standard = Standard::Auto;
};

using LineEvent = std::variant<CallerIdMessage, ChecksumFailure>;

}  // namespace device::audio
