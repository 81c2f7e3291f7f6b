#pragma once
// Everything one telephone line's audio says about caller ID: the rings and
// their cadence, line reversals, the dual-tone alert, every caller-ID burst
// the receivers frame (decoded or not) with its figures and what came before
// it, and once per ring cycle a verdict on why caller ID did or did not
// arrive. One per line, fed raw 8 kHz line audio; the program's audio thread
// and the line-check command share it, and it decodes through the same
// LineDecoder as the calls (nothing is decoded twice).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "device/audio/dsp/line_events.h"

namespace device::audio {

class LineWatch {
 public:
  // Ring cycles: rings further apart than this belong to different calls; a
  // burst this long before a first ring belongs to its cycle.
  static constexpr int64_t kCycleGap = 8 * kSampleRate;

  // `line` is the number the verdicts' texts name (0 for a device of one
  // line, named without a number). `fixed`: the standard the device is set
  // to (Auto: every receiver).
  explicit LineWatch(int line = 0, Standard fixed = Standard::Auto);
  ~LineWatch();
  LineWatch(const LineWatch&) = delete;
  LineWatch& operator=(const LineWatch&) = delete;

  // Feeds raw line audio; appends what completed, in the order it was
  // learnt (a burst is reported shortly after it ends, a ring when it ends,
  // a signal no receiver framed when the ring after it comes, a verdict when
  // the cycle's second ring ends or the cycle is over). The audio is watched
  // in the decoder's steps (LineDecoder::kStep), so the events and their
  // figures are the same however the audio is cut into Feeds.
  void Feed(const int16_t* samples, size_t count, std::vector<WatchEvent>& out);
  // The audio has ended: settles what is pending and judges the open cycle.
  void Finish(std::vector<WatchEvent>& out);
  // A signal is sounding in the band right now (a burst, a tone, speech):
  // audio that ends now ends in the middle of it.
  bool Sounding() const;
  // No event still to come starts before this position: events that start
  // earlier can be put in time order and passed on.
  int64_t Horizon() const;
  // An event is learnt at most this long after it starts: a signal no
  // receiver framed (up to 3 s long) when the ring that follows it within a
  // cycle's gap has ended (a ring lasts up to 3 s, and its end is known a
  // few blocks later).
  static constexpr int64_t kLatest = kCycleGap + 7 * kSampleRate;
  // A call-progress tone is learnt when it has ended: events after one up
  // to this long are held back for it.
  static constexpr int64_t kLongestTone = 120 * kSampleRate;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace device::audio
