#pragma once
// Our own FSK caller-ID receiver (1200 baud, V.23 or Bell 202 tones).
//
// spandsp's receiver decides each bit once, with one bit clock, and loses
// messages at signal-to-noise ratios a line coupler meets every day. This one
// keeps the soft output of a matched filter pair (one bit long, one per tone,
// read against the window's own power so an automatic gain or a level step
// changes nothing) for the whole burst and decodes each message several
// ways: with a tracked bit clock at each of a few bit rates around the
// nominal one (exchanges are allowed 1 % off, sound cards add their own
// error), with a fixed clock from the first start bit, and by correcting the
// single least reliable bit the checksum points at. The checksum (or CRC)
// picks the reading, but a reading whose doubtful bits could cancel in the
// byte sum is a guess, not a call. A burst no reading passes becomes a
// checksum failure only when it really was a carrier all along (not noise or
// a cut-off burst).
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "device/audio/dsp/burst_report.h"
#include "device/audio/dsp/fsk_demodulator.h"

namespace device::audio {

class FskReceiver {
 public:
  // `tones`: ClipV23 (also hears the Japanese layout unless `only` says
  // otherwise) or Bell202. `only`: accept only this message layout (Auto: any
  // the tones carry).
  FskReceiver(Standard tones, Standard only = Standard::Auto);
  FskReceiver(const FskReceiver&) = delete;
  FskReceiver& operator=(const FskReceiver&) = delete;

  // `x` are samples without anything below the telephone band; `out` gets
  // every burst settled, decoded or not, with what the receiver made of it
  // (its fate, the message, its reading's rate and mark tone).
  void Feed(const float* x, size_t count, std::vector<BurstReport>& out);
  // `count` samples of a line too quiet to carry anything, skipped cheaply.
  void FeedQuiet(size_t count, std::vector<BurstReport>& out);

 private:
  static constexpr int kHistory = FskDemodulator::kHistory;

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
    std::vector<Frame> taken;   // the frames of the reading accepted
  };
  enum class Phase {
    kPriming,     // the first mark window is not demodulated yet
    kHunting,     // looking for a start bit after a mark run
    kCollecting,  // a first character framed; waiting for the whole message
  };

  float D(int64_t i) const { return demod_.D(i); }  // the line as heard, for the hunt
  double DAt(double t) const;                       // the soft output as the reading takes it, less the slicing level
  double SliceLevel(const std::vector<Frame>& frames, double* twistDb) const;
  void Step(std::vector<BurstReport>& out);
  void Hunt();
  void RestartHunt(int64_t at);
  void Finish(std::vector<BurstReport>& out, const std::vector<Frame>& nominal, bool nominalComplete);
  // The steps of Finish, in turn.
  double ReadEveryWay(const std::vector<Frame>& carried, Outcome& o);
  bool Equalize(double twistDb);
  Reading ReadAtEveryRate(Outcome& o) const;
  void JudgeCarrier(const std::vector<Frame>& nominal, bool nominalComplete, Outcome& o) const;
  void ReadWithFixedClock(Outcome& o) const;
  void Report(std::vector<BurstReport>& out, const std::vector<Frame>& nominal, bool nominalComplete,
              const Outcome& o) const;

  Frame FrameAt(double s, double bit) const;
  Frame BestFrame(double s, int steps, double bit) const;
  bool FirstByteAccepted(uint8_t b) const;
  bool JapaneseStart(uint8_t b) const;
  // Total message length from the bytes so far, 0 while unknown, -1 nonsense.
  int MessageLength(const std::vector<uint8_t>& bytes) const;
  bool Decode(double first, bool track, double bit, std::vector<Frame>& frames) const;
  bool NextFrame(double& s, bool track, double bit, bool idleAllowed, Frame& f) const;
  bool StillCollecting(const std::vector<Frame>& frames, bool complete) const;
  std::optional<Accepted> Accept(std::vector<uint8_t> bytes) const;
  // A reading that passed and is not a guess.
  std::optional<Accepted> Trusted(const std::vector<Frame>& frames) const;
  std::optional<Accepted> FlipOneBit(const std::vector<Frame>& frames) const;
  static bool Framed(const std::vector<Frame>& frames);
  bool CarrierThroughout(const std::vector<Frame>& frames, double* quality) const;
  // Frames read before the carrier went away (all of them when it lasted).
  size_t CarrierFrames(const std::vector<Frame>& frames) const;
  double HeardQuality(const std::vector<Frame>& frames, size_t count) const;
  double CharacterPurity(const Frame& f) const;
  double MarkHz(double first) const;

  Standard tones_;
  Standard only_;
  double bit_;        // nominal samples per bit
  double slice_ = 0;  // the level readings slice the soft output at
  FskDemodulator demod_;
  std::unique_ptr<FskDemodulator> equalized_;  // a burst again, its twist taken out
  const FskDemodulator* reading_ = &demod_;    // what the readings read: the line or that
  int64_t hunt_ = 1;                           // next sample the start-bit hunt looks at
  Phase phase_ = Phase::kPriming;
  int marks_ = 0;          // samples of the ten bits before the hunt cursor that read mark
  double puritySum_ = 0;   // and their tone purity, summed
  double first_ = 0;       // start of the message being collected
  double readFrom_ = 0;    // and where the readings take it to start
  int64_t candidate_ = 0;  // where the hunt found that start
};

}  // namespace device::audio
