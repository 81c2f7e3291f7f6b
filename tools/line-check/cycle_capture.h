#pragma once
// The evidence of one ring cycle that went wrong: its line's audio from a
// few seconds before its first ring (or burst) to just after its verdict,
// and the events heard in it. --keep writes it as a WAV with its own
// picture, and a long recording's plot draws it on a page of its own.
//
// A capturer per line holds the last two minutes of its audio and the
// events released in time order (event_order.h); a verdict is released
// only once the audio is well past it, so all it rests on is there.
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "device/audio/dsp/line_events.h"

namespace linecheck {

struct CycleCapture {
  int line = 0;
  int number = 0;  // the cycle's number on its line, from 1
  device::audio::CycleVerdict verdict;
  int64_t from = 0;  // the sample position of audio[0]
  std::vector<int16_t> audio;
  std::vector<device::audio::WatchEvent> events;  // in time order, the verdict last
};

// Whether a cycle is worth keeping: one that failed or came out of the
// standard (a message that is no call, such as message waiting, is not).
bool WorthKeeping(const device::audio::CycleVerdict& verdict);

class CycleCapturer {
 public:
  static constexpr int64_t kBefore = 5 * device::audio::kSampleRate;
  static constexpr int64_t kAfter = device::audio::kSampleRate / 2;
  static constexpr int64_t kHistory = 120 * device::audio::kSampleRate;

  explicit CycleCapturer(int line) : line_(line) {}
  void Feed(const int16_t* samples, size_t count);
  // An event of this line in time order; the capture of a verdict worth keeping.
  std::optional<CycleCapture> Take(const device::audio::WatchEvent& event);

 private:
  struct Held {
    int64_t start;
    device::audio::WatchEvent event;
  };
  int line_;
  int cycles_ = 0;
  std::deque<int16_t> audio_;
  int64_t audioStart_ = 0;
  std::deque<Held> events_;
};

}  // namespace linecheck
