#include "device/audio/dsp/reading_doubt.h"

#include <algorithm>
#include <cmath>

namespace device::audio {
namespace {

// The noise is taken a quarter wider than measured: tails heavier than a
// Gaussian's (a click, hum, a gain step) make wrong bits likelier than the
// spread alone says.
constexpr double kWiden = 1.25;
// The noise is taken no narrower than this share of the distance between
// the mean one and the mean zero: a Gaussian as narrow as a clean reading's
// would call a bit read near zero certain, since it lies a hair nearer one
// side; real lines' noise has heavier tails than that.
constexpr double kLeastNoiseShare = 0.12;
// A group needs this many bits for its own mean; fewer borrow the mean of
// all bits of that value.
constexpr int kLeastInGroup = 4;

// A bit's group: its value and its neighbours' (a lone one between zeros
// reads weaker than one in a run).
int Group(bool before, bool value, bool after) { return int(before) << 2 | int(value) << 1 | int(after); }

}  // namespace

ReadingDoubt::ReadingDoubt(const std::vector<Soft>& characters) {
  const size_t n = characters.size();
  wrong_.assign(n, {});
  bytes_.assign(n, 0);
  std::vector<std::array<int, 10>> group(n);
  double sum[8] = {}, valueSum[2] = {};
  int count[8] = {}, valueCount[2] = {};
  for (size_t c = 0; c < n; ++c) {
    for (int b = 0; b < 10; ++b) {
      const bool value = characters[c][b] > 0;
      // Before a start bit the line idles at mark, after a stop bit comes a
      // start bit or idle mark.
      const bool before = b == 0 ? true : characters[c][b - 1] > 0;
      const bool after = b == 9 ? (c + 1 < n ? characters[c + 1][0] > 0 : true) : characters[c][b + 1] > 0;
      const int g = Group(before, value, after);
      group[c][b] = g;
      sum[g] += characters[c][b], ++count[g];
      valueSum[value] += characters[c][b], ++valueCount[value];
      if (value && b >= 1 && b <= 8) bytes_[c] |= uint8_t(1 << (b - 1));
    }
  }
  double mean[8];
  for (int g = 0; g < 8; ++g) {
    const int v = (g >> 1) & 1;
    mean[g] = count[g] >= kLeastInGroup ? sum[g] / count[g] : valueCount[v] ? valueSum[v] / valueCount[v] : 0;
  }
  double squares = 0;
  int used = 0;
  for (size_t c = 0; c < n; ++c)
    for (int b = 0; b < 10; ++b) {
      const double r = characters[c][b] - mean[group[c][b]];
      squares += r * r, ++used;
    }
  // No narrower than a share of the distance between what ones and zeros
  // read: however clean the rest, a bit near the middle could have gone
  // either way.
  const double apart =
      std::fabs((valueCount[1] ? valueSum[1] / valueCount[1] : 0) - (valueCount[0] ? valueSum[0] / valueCount[0] : 0));
  const double measured = squares / std::max(1, used - 8);
  separation_ = apart / 2 / std::sqrt(std::max(1e-12, measured));
  const double variance =
      std::max({1e-12, kWiden * kWiden * measured, kLeastNoiseShare * kLeastNoiseShare * apart * apart});
  for (size_t c = 0; c < n; ++c)
    for (int b = 0; b < 10; ++b) {
      // Against the group its opposite value would have fallen in.
      const double v = characters[c][b], own = mean[group[c][b]], other = mean[group[c][b] ^ 2];
      const double evidence = ((v - other) * (v - other) - (v - own) * (v - own)) / (2 * variance);
      wrong_[c][size_t(b)] = 1 / (1 + std::exp(std::min(700.0, evidence)));
    }
}

void ReadingDoubt::Correct(size_t c, int bit, double stillWrong) {
  wrong_[c][size_t(bit)] = stillWrong;
  if (bit >= 1 && bit <= 8) bytes_[c] ^= uint8_t(1 << (bit - 1));
}

double ReadingDoubt::Undetected(size_t from) const {
  // Two wrong bits at a weight below the top, one read 1 and one read 0,
  // leave the sum as it was; so do any two at the top weight, and (far
  // rarer) three that carry into one another, bounded here by every three.
  double ones[8] = {}, zeros[8] = {}, topSquares = 0, sums[4] = {}, none = 0;
  for (size_t c = from; c < wrong_.size(); ++c) {
    for (int k = 0; k < 8; ++k) {
      const double p = wrong_[c][size_t(k + 1)];
      ((bytes_[c] >> k) & 1 ? ones : zeros)[k] += p;
      if (k == 7) topSquares += p * p;
      for (int power = 1; power <= 3; ++power) sums[power] += std::pow(p, power);
      none += std::log1p(-std::min(p, 0.999999));
    }
  }
  double undetected = (sums[1] * sums[1] * sums[1] - 3 * sums[1] * sums[2] + 2 * sums[3]) / 6;
  for (int k = 0; k < 7; ++k) undetected += ones[k] * zeros[k];
  const double top = ones[7] + zeros[7];
  undetected += (top * top - topSquares) / 2;
  return undetected / (undetected + std::exp(none));
}

}  // namespace device::audio
