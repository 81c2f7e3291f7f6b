#pragma once
// Visits a record variant with one lambda per record kind.

namespace device {

template <class... F>
struct Overload : F... {
  using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

}  // namespace device
