#pragma once
// One telephone line's caller-ID decoding: the receivers of every standard
// (or the one the device fixes) listen in parallel, and each call is reported
// once even when two receivers hear the same burst (Bell 202 and V.23 tones
// are close enough for both FSK receivers to frame it).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

class LineDecoder {
 public:
  explicit LineDecoder(Standard fixed = Standard::Auto);
  ~LineDecoder();
  LineDecoder(const LineDecoder&) = delete;
  LineDecoder& operator=(const LineDecoder&) = delete;

  Standard standard() const { return fixed_; }

  // Feeds 8 kHz mono samples; appends what completed to `out`. A call is
  // reported shortly (about 0.2 s) after its burst ends.
  void Feed(const int16_t* samples, size_t count, std::vector<LineEvent>& out);

 private:
  struct Impl;
  Standard fixed_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace device::audio
