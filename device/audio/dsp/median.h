#pragma once
// The middle of a set of figures: the upper middle one of an even count.
#include <algorithm>
#include <functional>
#include <vector>

namespace device::audio {

// `values` must not be empty; it is taken by value because it is reordered.
template <class T, class Less = std::less<>>
T MedianOf(std::vector<T> values, Less less = {}) {
  const auto middle = values.begin() + typename std::vector<T>::difference_type(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end(), less);
  return *middle;
}

}  // namespace device::audio
