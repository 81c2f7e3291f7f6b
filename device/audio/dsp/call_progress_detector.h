#pragma once
// The exchange's call-progress tones between or before rings: dial, busy,
// congestion or reorder, ringback, in the tone plans of Turkey and Europe
// (one tone about 425 to 450 Hz), North America (pairs of 350, 440, 480
// and 620 Hz) and the UK (400 Hz, or pairs with 350 and 450 Hz). A tone is
// one or two steady tones low in the band; its cadence says which. They are
// reported as tones, so a busy tone before a ring is never taken for a
// caller-ID burst that failed.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/audio/dsp/band_activity.h"
#include "device/audio/dsp/line_events.h"

namespace device::audio {

class CallProgressDetector {
 public:
  static constexpr int kBlock = kSampleRate / 50;  // 20 ms
  using Span = BandActivity::Span;

  CallProgressDetector();
  // `band`: line audio in the telephone band, `count` a multiple of kBlock
  // fed block-aligned; `ringing`: a ring is sounding (its harmonics are no
  // tone); `humHz`, `humDbm0`: the mains frequency when hum is on the line
  // (0: none) and the level of its fundamental: its harmonics, always weaker,
  // are no tone either. Appends each tone that ended to
  // `tones`, and each stretch a tone sounded in to `sounded` as soon as it
  // ends, so the watch keeps it out of the bursts.
  void Feed(const float* band, size_t count, bool ringing, double humHz, double humDbm0, std::vector<WatchEvent>& tones,
            std::vector<Span>& sounded);
  // The audio ended: a tone still pending is reported.
  void Finish(std::vector<WatchEvent>& tones);
  // The tone being heard, as far as it has gone: a cycle judged before the
  // tone is over still knows what it was.
  std::optional<CallProgressToneEvent> Current() const;
  // Where a tone still to be reported may start (INT64_MAX: none pending).
  int64_t PendingStart() const;

 private:
  struct Period {
    int64_t start = 0, end = 0;
    double lowHz = 0, highHz = 0;  // 0: a single tone
    double levelDbm0 = -100;
  };
  void EndOfBlock(const float* block, bool ringing, double humHz, double humDbm0, std::vector<WatchEvent>& tones,
                  std::vector<Span>& sounded);
  void EndPeriod(double humHz, double humDbm0, std::vector<WatchEvent>& tones, std::vector<Span>& sounded);
  void Classify(std::vector<WatchEvent>& tones);
  static std::optional<CallProgressToneEvent> Classified(const std::vector<Period>& periods);

  // Each block's low share: a second-order low-pass at 700 Hz.
  double b0_, b1_, b2_, a1_, a2_, z1_ = 0, z2_ = 0;
  std::vector<float> window_;  // the last two blocks: 40 ms, 25 Hz bins
  int64_t n_ = 0;
  bool on_ = false;
  int misses_ = 0;
  Period period_;                 // the one sounding
  std::vector<double> spectrum_;  // summed over the period's blocks
  double periodPower_ = 0;
  int periodBlocks_ = 0;
  std::vector<Period> periods_;  // of the tone being heard
};

}  // namespace device::audio
