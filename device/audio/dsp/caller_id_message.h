#pragma once
// What the line decoders make of caller-ID audio: plain values, no event loop.
#include <QString>
#include <variant>

namespace device::audio {

// Every decoder works on 8 kHz mono 16-bit samples.
constexpr int kSampleRate = 8000;

enum class Standard {
  Auto,      // all receivers in parallel
  ClipV23,   // V.23 FSK, ETSI message layout (SDMF and MDMF)
  ClipDtmf,  // digits between start and end codes
  Bell202,   // Bell 202 FSK, CLASS message layout (SDMF and MDMF)
  JapanV23,  // V.23 FSK, Japanese framing with CRC-16
};

// Reads a device entry's name suffix: "clip", "dtmf", "bell", "jclip"; an
// empty suffix is Auto. Returns false (leaving *out alone) for anything else.
bool StandardFromSuffix(const QString& suffix, Standard* out);
// Short lower-case name of a standard, the same words as the suffixes
// ("auto" for Auto).
QString StandardName(Standard standard);

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

// A burst that framed as a caller-ID message but failed its checksum.
struct ChecksumFailure {
  Standard standard = Standard::Auto;
};

using LineEvent = std::variant<CallerIdMessage, ChecksumFailure>;

}  // namespace device::audio
