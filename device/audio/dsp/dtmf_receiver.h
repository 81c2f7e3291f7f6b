#pragma once
// Caller ID sent as DTMF digits: our tone-pair detector, with the digits
// gathered between a start code (A, B or D) and an end code (C or #); after
// a number, D and B open its further fields. DTMF
// has no checksum, so the string must hold together too: an exchange sends
// its digits evenly and every pair at the line's twist, so a gap that leaves
// room for a digit, a digit much shorter than the rest, an onset out of
// step, a pair of another twist or a start code right after other digits
// means a digit was lost, split or misheard, and the string is no call.
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
  // `count` samples of a line too quiet to carry a digit, skipped cheaply.
  void FeedQuiet(size_t count, std::vector<BurstReport>& out);

 private:
  void Take(size_t count, std::vector<BurstReport>& out);
  void Heard(const DtmfToneDetector::Step& step, std::vector<BurstReport>& out);
  void DigitEnded(std::vector<BurstReport>& out);
  void EndString(std::vector<BurstReport>& out);
  // The string stopped without its end code.
  void GiveUp(std::vector<BurstReport>& out);
  BurstReport StringOf(BurstFate fate) const;
  bool TimingHolds() const;
  bool TwistHolds() const;
  bool GapsQuiet() const;
  bool FieldCode(char code) const;

  DtmfToneDetector detector_;
  std::vector<DtmfToneDetector::Step> steps_;
  std::vector<DtmfDigit> pending_;  // digits since the start code
  std::vector<double> twists_;      // and each one's twist, high tone above low
  // Each step's window power (where it began, mean square) since shortly
  // before the start code, and how many are kept before one.
  std::vector<std::pair<int64_t, float>> powers_;
  static constexpr size_t kPowersBefore = 16;
  bool fragment_ = false;  // a digit came shortly before the start code
  int64_t lastOff_ = -1;   // where the last digit heard ended
  // The digit sounding now (0 for none), where it began and was last heard,
  // and how many steps in a row have not heard it.
  char current_ = 0;
  int64_t currentOn_ = 0, currentLast_ = 0;
  double currentTwist_ = 0;  // its steps' twist, summed
  int currentSteps_ = 0, misses_ = 0;
  DtmfToneDetector::Step previous_;  // the step before, for a digit's onset
  int64_t n_ = 0;                    // samples fed
};

}  // namespace device::audio
