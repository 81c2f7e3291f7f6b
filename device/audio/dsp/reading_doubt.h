#pragma once
// How far an FSK reading can be trusted once its byte sum passes. A byte sum
// misses two wrong bits of one weight read the opposite ways (and any two at
// the top weight, whose carry is lost), so a reading whose bits include a few
// that could have gone either way passes now and then with a wrong name or
// number in it.
//
// Each bit's chance of being wrong comes from the reading's own soft values:
// the bits are grouped by their value and their neighbours' (which is what
// intersymbol interference, twist and a slow or fast clock make them read
// differently by), the spread within the groups is the noise, and a bit is
// as likely wrong as its soft value lies as near the mean of its group's
// opposite as of its own group's. All of it is in the reading's own terms,
// never in absolute level.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace device::audio {

class ReadingDoubt {
 public:
  // Ten soft values a character (start bit, eight data bits least
  // significant first, stop bit), the slicing level taken off.
  using Soft = std::array<float, 10>;
  explicit ReadingDoubt(const std::vector<Soft>& characters);

  // The chance that bit `bit` (0 start, 1..8 data, 9 stop) of character `c` was read wrong.
  double Wrong(size_t c, int bit) const { return wrong_[c][size_t(bit)]; }
  // The chance that the reading is wrong although its byte sum passed:
  // wrong bits the sum cannot see, against a reading with no wrong bit.
  // `from` leaves the first characters out (those a reading's length
  // already vouches for).
  double Undetected(size_t from = 0) const;
  // How far apart ones and zeros read, in the noise's spread (each side's
  // distance from the middle): a measure of the reading's signal against
  // its noise, whatever its level.
  double Separation() const { return separation_; }
  // Takes bit `bit` of character `c` as read the other way, with the chance
  // `stillWrong` that it was right after all.
  void Correct(size_t c, int bit, double stillWrong);

 private:
  std::vector<std::array<double, 10>> wrong_;
  std::vector<uint8_t> bytes_;
  double separation_ = 0;
};

}  // namespace device::audio
