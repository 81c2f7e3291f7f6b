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

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/dsp/dtmf_tone_detector.h"

namespace device::audio {

struct DtmfDigit {
  char code = 0;
  int64_t on = 0, off = 0;  // sample positions the tone pair was heard from and to
};

// A string of digits from a start code on, whatever became of it.
struct DtmfString {
  enum class Fate {
    Decoded,
    NotAMessage,  // start and end codes, but no call between them
    DigitsLost,   // the timing leaves room for a lost or split digit
    NoEndCode,    // the digits stopped before an end code
  } fate = Fate::Decoded;
  std::optional<CallerIdMessage> message;
  std::vector<DtmfDigit> digits;
};

class DtmfReceiver {
 public:
  // `samples` without anything below the telephone band; `out` gets every
  // string that ended (decoded or not).
  void Feed(const float* samples, size_t count, std::vector<DtmfString>& out);
  // The same, the calls alone.
  void Feed(const float* samples, size_t count, std::vector<CallerIdMessage>& out);

 private:
  using Digit = DtmfDigit;
  void Heard(const DtmfToneDetector::Step& step, std::vector<DtmfString>& out);
  void DigitEnded(std::vector<DtmfString>& out);
  // The string stopped without its end code.
  void GiveUp(std::vector<DtmfString>& out);
  bool TimingHolds() const;
  bool FieldCode(char code) const;

  DtmfToneDetector detector_;
  std::vector<DtmfToneDetector::Step> steps_;
  std::vector<Digit> pending_;  // digits since the start code
  // The digit sounding now (0 for none), where it began and was last heard,
  // and how many steps in a row have not heard it.
  char current_ = 0;
  int64_t currentOn_ = 0, currentLast_ = 0;
  int misses_ = 0;
  DtmfToneDetector::Step previous_;  // the step before, for a digit's onset
  int64_t n_ = 0;                    // samples fed
  std::vector<DtmfString> strings_;
};

}  // namespace device::audio
