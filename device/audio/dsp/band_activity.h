#pragma once
// Spans of the telephone band clearly louder than the line's quiet noise for
// as long as a caller-ID burst lasts: what a burst the receivers could not
// frame still leaves on the line. Works on 10 ms blocks of the band audio
// the receivers hear; the noise is the quietest 50 ms of the last few
// seconds, so a span shows against the line as it is, loud or quiet.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace device::audio {

class BandActivity {
 public:
  struct Span {
    int64_t start = 0, end = 0;
  };
  static constexpr int kBlock = 80;  // 10 ms
  // Shorter than a DTMF digit or a V.23 seizure's start is no burst; longer
  // than a long FSK message with its preamble is speech or a tone.
  static constexpr int64_t kShortest = 8000 / 20;
  static constexpr int64_t kLongest = 3 * 8000;
  // Above the noise by this much: a burst 3 dB over the noise adds 4.8 dB,
  // the noise alone stays within a dB or so of its quietest 50 ms.
  static constexpr double kAboveNoiseDb = 3;

  BandActivity();
  // Appends the spans that ended, of a burst-like length.
  void Feed(const float* band, size_t count, std::vector<Span>& out);
  // A signal is sounding over the noise right now.
  bool Active() const { return active_; }
  // The line's quiet floor: its quietest 50 ms of the last few seconds, dBm0.
  double FloorDbm0() const;

 private:
  void EndOfBlock(std::vector<Span>& out);

  static constexpr int kSmooth = 5;         // blocks: 50 ms
  static constexpr int kFloorBlocks = 400;  // 4 s of the line
  static constexpr int kHangover = 20;      // 200 ms: a DTMF digit's gap stays inside the span
  std::vector<double> blocks_;              // the last kSmooth blocks' sums of squares
  std::vector<double> smoothed_;            // the last kFloorBlocks 50 ms powers
  size_t nextBlock_ = 0, nextSmoothed_ = 0, filledSmoothed_ = 0;
  double sum_ = 0;
  int filled_ = 0;
  int blocksSeen_ = 0;
  int64_t n_ = 0;
  bool active_ = false;
  int64_t spanStart_ = 0, lastLoud_ = 0;
};

}  // namespace device::audio
