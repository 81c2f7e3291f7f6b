#pragma once
// One telephone line's caller-ID decoding: a front end that removes what lies
// below the telephone band, then the receivers of every standard (or the one
// the device fixes) in parallel. Each call is reported once even when two
// receivers hear the same burst (Bell 202 and V.23 tones are close enough
// for both FSK receivers to frame it); which standard it was is decided by
// the mark tone measured on the line, not by which receiver framed it.
//
// The audio is decoded in steps of kStep samples whatever blocks Feed is
// given: a sound card, a FIFO and a file deliver different blocks, and the
// same audio must give the same calls and bursts however it arrives.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/audio/dsp/burst_report.h"
#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

class LineDecoder {
 public:
  // Samples a decoding step takes (20 ms).
  static constexpr size_t kStep = kSampleRate / 50;

  // `samples` fed to the decoder are raw line audio: it removes DC, hum and
  // ringing itself.
  explicit LineDecoder(Standard fixed = Standard::Auto);
  ~LineDecoder();
  LineDecoder(const LineDecoder&) = delete;
  LineDecoder& operator=(const LineDecoder&) = delete;

  // Feeds 8 kHz mono samples; appends what completed to `out`. A call is
  // reported shortly (about 0.2 s) after its burst ends. `bursts`, when
  // given, gets every burst settled, in the order they ended, with what the
  // receivers made of it: the calls and checksum failures of `out`, and
  // those that are neither (a message that is no call, cut off, unreadable,
  // DTMF strings with lost digits or no end code). Samples short of a whole
  // step wait for the next Feed.
  void Feed(const int16_t* samples, size_t count, std::vector<LineEvent>& out,
            std::vector<BurstReport>* bursts = nullptr);
  // The band-filtered samples of the last step decoded (what the receivers
  // heard): kStep of them, once a Feed has completed a step.
  const float* Filtered() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace device::audio
