#pragma once
// Hears DTMF tone pairs, window by window, as telephone DTMF receivers do:
// each tone within a few per cent of its nominal frequency, twist up to
// 8 dB either way (and a little beyond), nearly all of the window's energy
// in the two tones.
//
// Each 16 ms window (Hann, every 8 ms) is correlated with the eight tones.
// A window's bins are wide (62.5 Hz) and say little of where in the bin a
// tone lies, so the frequency of each tone is measured from how its phase
// advances from one window to the next; that tells a tone 1.5 % off (to be
// accepted) from one 3.5 % off (to be refused), and corrects the power the
// bin lost to the offset, which otherwise reads as twist.
#include <complex>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace device::audio {

class DtmfToneDetector {
 public:
  static constexpr int kWindow = 128;
  static constexpr int kHop = 64;

  // What one step heard: the key whose pair sounded over the last two
  // windows, or 0. `at` is the sample position where the earlier window began.
  struct Step {
    int64_t at = 0;
    char key = 0;
    float twistDb = 0;  // the pair's high tone above its low tone, when a key is heard
    float power = 0;    // the later window's mean square
  };

  DtmfToneDetector();
  // `x` without anything below the telephone band.
  void Feed(const float* x, size_t count, std::vector<Step>& out);
  // `count` samples of a line too quiet to carry a pair: steps that hear
  // nothing, without analysing them.
  void FeedQuiet(size_t count, std::vector<Step>& out);

 private:
  // The strongest tone of each group in one window.
  struct Window {
    int low = -1, high = -1;  // indices into the tone table
    std::complex<double> yLow, yHigh;
    double pLow = 0, pHigh = 0;  // mean-square power of each tone, as the bin reads it
    double power = 0;            // mean-square power of the whole window
  };
  Window Analyse() const;
  char Judge(const Window& before, const Window& now, float* twistDb) const;
  // Mean-square power the latest window holds at `hz`.
  double HarmonicPower(double hz) const;

  float wcos_[kWindow][8], wsin_[kWindow][8], w_[kWindow];  // by sample, then bin
  float buf_[kWindow] = {};
  int filled_ = 0;
  int64_t n_ = 0;  // samples fed
  Window last_;
};

}  // namespace device::audio
