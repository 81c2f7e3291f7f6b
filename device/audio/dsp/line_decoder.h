#pragma once
// One telephone line's caller-ID decoding: a front end that removes what lies
// below the telephone band, then the receivers of every standard (or the one
// the device fixes) in parallel. Each call is reported once even when two
// receivers hear the same burst (Bell 202 and V.23 tones are close enough
// for both FSK receivers to frame it); which standard it was is decided by
// the mark tone measured on the line, not by which receiver framed it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

// What the receivers measured of the last FSK burst they settled (call or
// checksum failure): for line checks built on the decoder.
struct BurstMeasurement {
  Standard standard = Standard::Auto;  // as reported
  double markHz = 0;                   // mark tone, from the mark run before the message
  double bitRate = 0;                  // bit/s of the reading taken (to within 0.4 %)
  double quality = 0;                  // tone purity over the message, 0..1
  int64_t start = 0, end = 0;          // sample positions of the message
};

class LineDecoder {
 public:
  // `samples` fed to the decoder are raw line audio: it removes DC, hum and
  // ringing itself.
  explicit LineDecoder(Standard fixed = Standard::Auto);
  ~LineDecoder();
  LineDecoder(const LineDecoder&) = delete;
  LineDecoder& operator=(const LineDecoder&) = delete;

  // Feeds 8 kHz mono samples; appends what completed to `out`. A call is
  // reported shortly (about 0.2 s) after its burst ends.
  void Feed(const int16_t* samples, size_t count, std::vector<LineEvent>& out);
  // The last FSK burst settled; standard Auto while there was none.
  const BurstMeasurement& LastBurst() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace device::audio
