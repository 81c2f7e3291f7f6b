#pragma once
// What a line coupler passes below the telephone band: the ringing voltage
// (15 to 68 Hz, tens of volts, flattened by the coupler's limiter into a
// loud low-frequency or clipped signal of 0.2 to 3 s) and the DC step of a
// line reversal; and the mains hum under them. Works on 40 ms blocks, a
// whole period of the ringing voltage, so a ring's level does not swing with
// its phase and a step shows in one block's variance only, not as a ring.
// On a quiet line a ring stands far above the background; on a humming one
// it is found as the power it adds to the steady hum.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/audio/dsp/line_events.h"

namespace device::audio {

class RingDetector {
 public:
  static constexpr int kBlock = kSampleRate / 25;  // 40 ms
  // A ring lasts this long at least (a short ring pulse before on-hook data
  // is 200 to 450 ms) and at most (a steady signal is no ring).
  static constexpr int64_t kShortestRing = kSampleRate * 3 / 20;
  static constexpr int64_t kLongestRing = 3 * kSampleRate;

  // `raw`: the line audio as it came; `band`: the same in the telephone
  // band (the decoder's front end), which tells ringing from speech.
  // Appends RingEvent (start, end, level, clipped) and ReversalEvent.
  void Feed(const int16_t* raw, const float* band, size_t count, std::vector<WatchEvent>& out);
  // A ring is sounding now (as far as the blocks so far tell).
  bool Ringing() const { return ringing_; }
  // Or ended less than a second ago: the band may still carry its tail.
  bool RingingOrAfter() const;
  // The mains hum on the line: its frequency (50 or 60 Hz; 0 while there is
  // none to speak of) and level, outside the rings.
  double MainsHz() const { return mainsHz_; }
  double HumDbm0() const { return humDbm0_; }

 private:
  struct Block {
    int64_t start = 0;
    double mean = 0;       // DC
    double levelDbm0 = 0;  // RMS about the mean
    bool ringLike = false;
    std::vector<int16_t> samples;  // to time a step within the block
  };
  void EndOfBlock(std::vector<WatchEvent>& out);
  void CheckStep(std::vector<WatchEvent>& out);
  bool SustainedStep(std::vector<WatchEvent>& out);
  void DrainedStep(std::vector<WatchEvent>& out);
  void Reversal(int64_t at, double step, std::vector<WatchEvent>& out);
  void EndRing(std::vector<WatchEvent>& out);
  void MeasureMains();

  // Running sums of the block being filled.
  int filled_ = 0;
  double sum_ = 0, squares_ = 0, band_ = 0;
  int clipped_ = 0;
  std::vector<int16_t> raw_;  // the block's raw samples
  int64_t n_ = 0;

  double backgroundDbm0_ = -100;
  double backgroundLow_ = 0;  // mean square below the band, outside rings
  bool started_ = false;
  bool ringing_ = false;
  int quietBlocks_ = 0;  // blocks since the ring last looked like one
  int64_t ringStart_ = 0, ringEnd_ = 0;
  double ringSquares_ = 0;        // what the ring added to the background
  std::vector<int16_t> ringRaw_;  // the ring's raw samples, for its frequency
  int64_t ringSamples_ = 0, ringClipped_ = 0;
  int64_t lastRingEnd_ = -kSampleRate * 10;
  int64_t lastStep_ = -kSampleRate * 10;
  std::vector<Block> recent_;  // the last five blocks, oldest first
  // The mains hum: a second's Goertzel sums at 50 and 60 Hz.
  double mains_[2][2] = {};  // s1, s2 per frequency
  int mainsFilled_ = 0;
  double mainsHz_ = 0, humDbm0_ = -100;
};

}  // namespace device::audio
