#include "device/audio/dsp/burst_report.h"

#include <algorithm>

namespace device::audio {

QString BurstFateKey(BurstFate fate) {
  switch (fate) {
    case BurstFate::Decoded: return QStringLiteral("decoded");
    case BurstFate::NotACall: return QStringLiteral("not_a_call");
    case BurstFate::ChecksumFailed: return QStringLiteral("checksum_failed");
    case BurstFate::CutOff: return QStringLiteral("cut_off");
    case BurstFate::Unreadable: return QStringLiteral("unreadable");
    case BurstFate::DigitsLost: return QStringLiteral("digits_lost");
    case BurstFate::NoEndCode: return QStringLiteral("no_end_code");
    case BurstFate::NotFramed: return QStringLiteral("not_framed");
  }
  return {};
}

QString PrecursorKey(Precursor precursor) {
  switch (precursor) {
    case Precursor::Nothing: return QStringLiteral("nothing");
    case Precursor::Ring: return QStringLiteral("ring");
    case Precursor::Reversal: return QStringLiteral("reversal");
    case Precursor::AlertTone: return QStringLiteral("alert_tone");
  }
  return {};
}

int BurstReport::DigitCount() const {
  return int(
      std::count_if(digits.begin(), digits.end(), [](const DtmfDigit& d) { return d.code >= '0' && d.code <= '9'; }));
}

}  // namespace device::audio
