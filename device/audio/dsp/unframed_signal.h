#pragma once
// What a signal in the band that no receiver framed is, from its spectrum
// in 32 ms frames: two tones an FSK pair apart near a standard's (caller ID
// in FSK, too far off frequency or speed to frame), a channel seizure alone
// (the burst stopped before its message), DTMF digits, or none of these.
#include <cstddef>
#include <optional>
#include <vector>

#include "device/audio/standard.h"

namespace device::audio {

struct UnframedSignal {
  enum class Kind { Unknown, FskPair, Seizure, Dtmf } kind = Kind::Unknown;
  Standard standard = Standard::Auto;
  double lowHz = 0, highHz = 0;  // FskPair: the two tones as the spectrum shows them
  // Dtmf: the shift that puts most frames on the keypad's tones, per cent,
  // the median frame's high tone over its low one, and its weaker tone.
  double toneOffsetPct = 0, twistDb = 0, weakerToneDbm0 = 0;

  // `x`: the signal's band audio.
  static UnframedSignal Of(const std::vector<float>& x);
};

}  // namespace device::audio
