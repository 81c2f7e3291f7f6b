#pragma once
// Our own FSK caller-ID receiver (1200 baud, V.23 or Bell 202 tones).
//
// spandsp's receiver decides each bit once, with one bit clock, and loses
// messages at signal-to-noise ratios a line coupler meets every day. This one
// keeps the soft output of a matched filter pair (one bit long, one per tone)
// for the whole burst and decodes each message several ways: with a tracked
// bit clock at each of a few bit rates around the nominal one (exchanges are
// allowed 1 % off, sound cards add their own error), with a fixed clock from
// the first start bit, and by correcting the single least reliable bit the
// checksum points at. The checksum (or CRC) picks the reading, but a reading
// whose weakest bits could cancel in the byte sum is a guess, not a call. A
// burst no reading passes becomes a checksum failure only when it really was
// a carrier all along (not noise or a cut-off burst).
#include <cstdint>
#include <optional>
#include <vector>

#include "device/audio/dsp/burst_report.h"

namespace device::audio {

class FskReceiver {
 public:
  // `tones`: ClipV23 (also hears the Japanese layout unless `only` says
  // otherwise) or Bell202. `only`: accept only this message layout (Auto: any
  // the tones carry).
  FskReceiver(Standard tones, Standard only = Standard::Auto);

  // `x` are samples without anything below the telephone band; `out` gets
  // every burst settled, decoded or not, with what the receiver made of it
  // (its fate, the message, its reading's rate and mark tone).
  void Feed(const float* x, size_t count, std::vector<BurstReport>& out);

 private:
  static constexpr int kHistory = 1 << 15;  // 4 s: longer than any message
  static constexpr int kTaps = 7;
  static constexpr int kLongTaps = 20;
  static constexpr int kTablePeriod = 80;  // samples holding whole periods of all four tones

  struct Frame {
    uint8_t byte = 0;
    double start = 0;  // chosen start-bit position
    float soft[10] = {};
    double score = 0;
  };
  struct Reading {
    std::vector<Frame> frames;
    double bit = 0;  // samples per bit it was read with
    double score = 0;
  };
  // What one way of reading a message passed: a call, or a message that
  // carries none.
  struct Accepted {
    std::optional<CallerIdMessage> call;
    std::optional<NonCallMessage> nonCall;
    Standard layout = Standard::Auto;
  };
  // Everything the readings of one message came to.
  struct Outcome {
    std::optional<Accepted> accepted;
    double score = 0;           // the mean frame score of the accepted reading
    double bit = 0;             // samples per bit of the reading taken
    int64_t end = 0;            // where its last character ends
    double quality = 0;         // tone purity over the message
    bool carrier = false;       // the carrier lasted through the reading taken
    bool failed = false;        // the nominal reading framed it whole with the carrier: a real burst that failed
    std::vector<Frame> frames;  // the last reading made
  };
  enum class Phase {
    kPriming,     // the first mark window is not demodulated yet
    kHunting,     // looking for a start bit after a mark run
    kCollecting,  // a first character framed; waiting for the whole message
  };

  float D(int64_t i) const { return d_[i & (kHistory - 1)]; }
  float Purity(int64_t i) const { return purity_[i & (kHistory - 1)]; }
  float Energy(int64_t i) const { return e_[i & (kHistory - 1)]; }
  float X(int64_t i) const { return x_[i & (kHistory - 1)]; }
  double DAt(double t) const;  // mark power less space power, less the slicing level
  double SliceLevel(const std::vector<Frame>& frames, double* twistDb) const;
  void Demodulate(float x);
  void Step(std::vector<BurstReport>& out);
  void RestartHunt(int64_t at);
  void Finish(std::vector<BurstReport>& out, const std::vector<Frame>& nominal, bool nominalComplete);
  // The steps of Finish, in turn.
  Reading ReadAtEveryRate(Outcome& o) const;
  void JudgeCarrier(const std::vector<Frame>& nominal, bool nominalComplete, Outcome& o) const;
  void ReadWithFixedClock(Outcome& o) const;
  void Report(std::vector<BurstReport>& out, const std::vector<Frame>& nominal, bool nominalComplete,
              const Outcome& o) const;

  Frame FrameAt(double s, double bit) const;
  Frame BestFrame(double s, int steps, double bit) const;
  bool FirstByteAccepted(uint8_t b) const;
  // Total message length from the bytes so far, 0 while unknown, -1 nonsense.
  int MessageLength(const std::vector<uint8_t>& bytes) const;
  bool Decode(double first, bool track, double bit, std::vector<Frame>& frames) const;
  std::optional<Accepted> Accept(std::vector<uint8_t> bytes) const;
  std::optional<Accepted> FlipOneBit(const std::vector<Frame>& frames) const;
  bool Guessed(const std::vector<Frame>& frames) const;
  bool CarrierThroughout(const std::vector<Frame>& frames, double* quality) const;
  // Frames read before the carrier went away (all of them when it lasted).
  size_t CarrierFrames(const std::vector<Frame>& frames) const;
  double HeardQuality(const std::vector<Frame>& frames, size_t count) const;
  double MarkHz(double first) const;

  Standard tones_;
  Standard only_;
  double bit_;  // nominal samples per bit
  double markHz_;
  double slice_ = 0;  // the level readings slice the discriminator at
  float markTable_[kTablePeriod][2], spaceTable_[kTablePeriod][2];
  float zm_[kTaps][2] = {}, zs_[kTaps][2] = {}, sq_[kTaps] = {};
  int tap_ = 0, phase80_ = 0, longTap_ = 0;  // n_ modulo kTaps, kTablePeriod and kLongTaps
  float longZm_[kLongTaps][2] = {}, longZs_[kLongTaps][2] = {}, longSq_[kLongTaps] = {};
  double longM_[2] = {}, longS_[2] = {}, longP_ = 0;
  std::vector<float> d_, e_, purity_, x_;
  int64_t n_ = 0;     // samples demodulated
  int64_t hunt_ = 1;  // next sample the start-bit hunt looks at
  Phase phase_ = Phase::kPriming;
  int marks_ = 0;          // samples of the ten bits before the hunt cursor that read mark
  double puritySum_ = 0;   // and their tone purity, summed
  double first_ = 0;       // start of the message being collected
  int64_t candidate_ = 0;  // where the hunt found that start
};

}  // namespace device::audio
