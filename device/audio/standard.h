#pragma once
// The caller-ID standards a line may use, and the names they go by: the
// suffix of an audio entry (".clip"), the line check's --standard, the
// reports. The one list of those names.
#include <QString>

namespace device::audio {

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

}  // namespace device::audio
