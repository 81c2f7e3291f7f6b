#pragma once
// A small set of enumeration values, stored as bits (one bit per value in
// declaration order), like the option sets of the grid and its columns.
#include <cstdint>
#include <initializer_list>

namespace grid {

template <typename E, typename Bits = uint32_t>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) bits_ |= Bit(v);
  }

  constexpr bool Contains(E v) const { return (bits_ & Bit(v)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TSet& Include(E v) {
    bits_ = Bits(bits_ | Bit(v));
    return *this;
  }
  constexpr TSet& Exclude(E v) {
    bits_ = Bits(bits_ & ~Bit(v));
    return *this;
  }
  constexpr TSet With(E v) const {
    TSet s = *this;
    return s.Include(v);
  }
  constexpr TSet Without(E v) const {
    TSet s = *this;
    return s.Exclude(v);
  }
  constexpr Bits Raw() const { return bits_; }
  static constexpr TSet FromRaw(Bits b) {
    TSet s;
    s.bits_ = b;
    return s;
  }

  constexpr bool operator==(const TSet&) const = default;
  // The values present in exactly one of the two sets.
  constexpr TSet operator^(const TSet& o) const { return FromRaw(Bits(bits_ ^ o.bits_)); }

 private:
  static constexpr Bits Bit(E v) { return Bits(Bits(1) << static_cast<int>(v)); }
  Bits bits_ = 0;
};

}  // namespace grid
