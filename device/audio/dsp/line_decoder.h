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
#include "device/audio/dsp/dtmf_receiver.h"
#include "device/audio/dsp/line_events.h"

namespace device::audio {

// What the receivers made and measured of one burst they framed, decoded or
// not: for line checks built on the decoder.
struct BurstMeasurement {
  Standard standard = Standard::Auto;  // as reported
  double markHz = 0;                   // FSK mark tone, from the mark run before the message
  double bitRate = 0;                  // FSK bit/s of the reading taken (to within 0.4 %)
  double quality = 0;                  // FSK tone purity over the message, 0..1
  int64_t start = 0, end = 0;          // sample positions of the message (FSK) or the digits (DTMF)
  BurstFate fate = BurstFate::Decoded;
  std::optional<CallerIdMessage> message;  // fate Decoded
  uint8_t messageType = 0;                 // FSK: the first character
  int bytesRead = 0, bytesExpected = 0;    // FSK: characters heard, and the length the message gave
  std::vector<DtmfDigit> digits;           // DTMF: every digit from the start code on
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
  // reported shortly (about 0.2 s) after its burst ends. `bursts`, when
  // given, gets every burst settled, in the order they ended: the calls and
  // checksum failures of `out`, and those that are neither (cut off,
  // unreadable, DTMF strings with lost digits or no end code).
  void Feed(const int16_t* samples, size_t count, std::vector<LineEvent>& out,
            std::vector<BurstMeasurement>* bursts = nullptr);
  // The band-filtered samples of the last Feed (what the receivers heard).
  const float* Filtered() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace device::audio
