#pragma once
// Caller ID sent as DTMF digits: our tone-pair detector, with the digits
// gathered between a start code (A, B or D) and an end code (C or #); after
// a number, D and B open its further fields. DTMF
// has no checksum, so the timing must hold together too: an exchange sends
// its digits evenly, and a gap that leaves room for a digit, or a digit much
// shorter than the rest, means a digit was lost or split and the string is
// no call.
#include <cstdint>
#include <optional>
#include <vector>

#include "device/audio/dsp/burst_report.h"
#include "device/audio/dsp/dtmf_tone_detector.h"

namespace device::audio {

class DtmfReceiver {
 public:
  // `samples` without anything below the telephone band; `out` gets every
  // string that ended: decoded (fate Decoded, with its message), with a
  // lost digit (DigitsLost) or without an end code (NoEndCode). A string
  // between a start and an end code that is no message says nothing.
  void Feed(const float* samples, size_t count, std::vector<BurstReport>& out);

 private:
  void Heard(const DtmfToneDetector::Step& step, std::vector<BurstReport>& out);
  void DigitEnded(std::vector<BurstReport>& out);
  // The string stopped without its end code.
  void GiveUp(std::vector<BurstReport>& out);
  BurstReport StringOf(BurstFate fate) const;
  bool TimingHolds() const;
  bool FieldCode(char code) const;

  DtmfToneDetector detector_;
  std::vector<DtmfToneDetector::Step> steps_;
  std::vector<DtmfDigit> pending_;  // digits since the start code
  // The digit sounding now (0 for none), where it began and was last heard,
  // and how many steps in a row have not heard it.
  char current_ = 0;
  int64_t currentOn_ = 0, currentLast_ = 0;
  int misses_ = 0;
  DtmfToneDetector::Step previous_;  // the step before, for a digit's onset
  int64_t n_ = 0;                    // samples fed
};

}  // namespace device::audio
