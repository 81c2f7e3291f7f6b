#pragma once
// Cuts whatever blocks arrive into steps of a fixed size, holding the
// remainder for the next block, so what is computed per step is the same
// whether the audio comes a sample at a time or as a whole file.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace device::audio {

template <size_t Size>
class FixedSteps {
 public:
  // Calls step(const int16_t*) once for every whole step, in order.
  template <class StepFn>
  void Feed(const int16_t* samples, size_t count, StepFn&& step) {
    while (count > 0) {
      if (held_.empty() && count >= Size) {
        step(samples);
        samples += Size;
        count -= Size;
        continue;
      }
      const size_t take = std::min(count, Size - held_.size());
      held_.insert(held_.end(), samples, samples + take);
      samples += take;
      count -= take;
      if (held_.size() == Size) {
        step(held_.data());
        held_.clear();
      }
    }
  }

 private:
  std::vector<int16_t> held_;  // samples short of a whole step
};

}  // namespace device::audio
