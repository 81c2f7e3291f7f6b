#pragma once
// The two tones of an FSK burst measured each on its own: each tone mixed
// down to nothing and summed over as many samples as make the other tone
// vanish (10 for V.23's 800 Hz apart, 8 for Bell 202's 1000), so wherever
// one tone rules its sum, that tone alone is there, however much louder
// the other one is. There its frequency is the phase its sum turns through
// and its level the sum's size; where the ruling tone changes is where a
// bit boundary lies, and those boundaries give the bit clock. Works on any
// burst, with or without a seizure, at any twist a line has.
#include <cstddef>
#include <optional>
#include <vector>

namespace device::audio {

struct FskToneFigures {
  std::optional<double> markHz, spaceHz;
  std::optional<double> twistDb;  // the space's level over the mark's
  std::optional<double> bitRate;
  double tonesPerBit = 0;  // changes of tone per bit: near 1 in a channel seizure, about half in a message
  size_t markPositions = 0, spacePositions = 0;  // where each tone was heard alone
};

class FskToneMeter {
 public:
  // `x`: the burst's band audio; `markHz`, `spaceHz`: where to look for the
  // tones (the nominal ones, or what the spectrum showed); `noise`: stretches
  // of the quiet line around it, whose share is taken off each tone's level.
  static FskToneFigures Measure(const std::vector<float>& x, double markHz, double spaceHz,
                                const std::vector<std::vector<float>>& noise);

 private:
  static FskToneFigures MeasureAt(const std::vector<float>& x, double markHz, double spaceHz,
                                  const std::vector<std::vector<float>>& noise);
};

}  // namespace device::audio
