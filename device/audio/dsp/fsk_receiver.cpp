#include "device/audio/dsp/fsk_receiver.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>

#include "device/audio/dsp/japanese_frame.h"
#include "device/audio/dsp/message_parser.h"
#include "device/audio/dsp/reading_doubt.h"
#include "device/audio/dsp/tones.h"
#include "device/audio/dsp/twist_equalizer.h"

namespace device::audio {
namespace {

constexpr uint8_t kJapanStart = kJapaneseFrameStart;
// Tone purity (the share of the power that the stronger of the two
// three-bit tone filters catches): a steady carrier reads near 1, white noise
// about 0.15, a message's changing bits about 0.4 even at 6 dB SNR. The mark
// run before a message and the message as a whole must keep these.
constexpr float kMarkPurity = 0.5f;
constexpr double kMessagePurity = 0.25;
// Bit-rate hypotheses, as fractions off the nominal 1200 bit/s: the
// exchange's 1 % and a sound card's error make 2 %, and lines beyond the
// standard reach 3 %; a burst that reads is never refused for its rate. Steps of 0.75 % leave at most 0.4 % to the
// tracked clock, which follows that over any message length (it moves up to 1/16 bit a character).
constexpr double kRateOffsets[] = {0.0, -0.0075, 0.0075, -0.015, 0.015, -0.0225, 0.0225, -0.03, 0.03};
// A reading that passes its byte sum is taken only when the chance that
// wrong bits cancelled in it is under this (ReadingDoubt): one reading in
// a million of those a line in poor health leaves in doubt (a burst is read
// a few dozen ways, each of which could pass by luck).
constexpr double kMostDoubt = 1e-6;
// Nor is a reading taken whose ones and zeros lie less than this many
// noise spreads from the middle: noise on a line that poor has tails far
// heavier than a Gaussian's, and its wrong bits read as sure as right ones
// (wrong readings that passed came at 4 to 5.6). Bursts in white noise
// 9 dB under them read from 4.1 (V.23) and 6.7 (Bell 202), 12 dB from 7.
constexpr double kLeastSeparation = 5.5;
// A single bit the byte sum points at is corrected only when it is this
// much likelier the culprit than every other bit of its weight together.
constexpr double kLeastCulpritOdds = 1000;
// Nor when the culprit itself was read this sure or surer: on a clean line
// every bit is sure, the odds between them are noise, and a byte sum that
// fails there was sent wrong (a bit of it corrected is a guess).
constexpr double kLeastCulpritDoubt = 0.01;
// A character without the carrier: its bits' power, each in the tone it
// reads as, under an eighth (9 dB) of what that tone held in the characters
// before it, for both tones. An automatic gain's 6 dB step inside the burst
// keeps a quarter; noise at the SNR a reading needs keeps less.
constexpr double kCarrierLostShare = 1.0 / 8;
// Characters with the carrier (type, length and one more) that make a burst
// that failed worth reporting: fewer are as likely a false start.
constexpr int kHeardCharacters = 3;
// Tones this far apart in level are read again, each against its own level.
constexpr double kTwistWorthDb = 1.5;
// A burst whose tones arrived this far apart in level, and which no
// reading passed, is read again with the twist taken out (TwistEqualizer):
// a line's loss that tilts the band delays one tone against the other too
// (a sample and more at 10 dB), and where a loud tone gives way to a weak
// one its tail then fills the weak bit's filter. From 40 bits before the
// message, inside its mark run, so the shelf and the filters have settled.
constexpr double kEqualizeWorthDb = 3;
constexpr double kEqualizeLeadBits = 40;

// The Japanese frame's first two characters, DLE SOH, as the hunt takes
// them: with one bit read wrong at most, which a line's twist does to a
// lone weak bit beside the loud tone (the readings then read them with the
// twist taken out, and the CRC decides).
bool NearJapaneseStart(uint8_t b, uint8_t want) { return std::popcount(unsigned(b ^ want)) <= 1; }

// Message types both layouts share: call setup and message waiting, each as
// MDMF and SDMF.
bool IsClipType(uint8_t b) { return b == 0x80 || b == 0x04 || b == 0x82 || b == 0x06; }
// ETSI's further types on V.23 lines: advice of charge, short message.
bool IsEtsiOtherType(uint8_t b) { return b == 0x86 || b == 0x89; }

template <class Frames>
ReadingDoubt DoubtOf(const Frames& frames) {
  std::vector<ReadingDoubt::Soft> soft(frames.size());
  for (size_t c = 0; c < frames.size(); ++c)
    std::copy(std::begin(frames[c].soft), std::end(frames[c].soft), soft[c].begin());
  return ReadingDoubt(soft);
}

template <class Frames>
std::vector<uint8_t> BytesOf(const Frames& frames) {
  std::vector<uint8_t> bytes;
  bytes.reserve(frames.size());
  for (const auto& f : frames) bytes.push_back(f.byte);
  return bytes;
}

}  // namespace

FskReceiver::FskReceiver(Standard tones, Standard only)
    : tones_(tones), only_(only), bit_(double(kSampleRate) / kFskBitRate), demod_(tones) {
  hunt_ = int64_t(std::lround(10 * bit_)) + 1;
}

double FskReceiver::DAt(double t) const {
  const double fl = std::floor(t);
  const int64_t i = int64_t(fl);
  const double f = t - fl, d0 = reading_->D(i), d1 = reading_->D(i + 1);
  return d0 + f * (d1 - d0) - slice_;
}

// Where a reading of `frames` should slice: midway between what its mark
// bits and its space bits read, where the filters cover a whole window.
// With the tones at one level that is zero; with twist, the louder tone's
// share in the other's filter moves it towards the louder tone. `twistDb`
// gets the mark's power over the space's.
double FskReceiver::SliceLevel(const std::vector<Frame>& frames, double* twistDb) const {
  double mark = 0, space = 0, markPower = 0, spacePower = 0;
  int marks = 0, spaces = 0;
  for (const Frame& f : frames) {
    for (int b = 0; b < 10; ++b) {
      const FskDemodulator::Window w = reading_->At(int64_t(std::lround(f.start + (b + 1) * bit_)));
      if (w.D() > 0)
        mark += w.D(), markPower += w.mark, ++marks;
      else
        space += w.D(), spacePower += w.space, ++spaces;
    }
  }
  *twistDb = 0;
  if (marks == 0 || spaces == 0 || markPower <= 0 || spacePower <= 0) return 0;
  *twistDb = 10 * std::log10((markPower / marks) / (spacePower / spaces));
  return (mark / marks + space / spaces) / 2;
}

FskReceiver::Frame FskReceiver::FrameAt(double s, double bit) const {
  Frame f;
  f.start = s;
  for (int b = 0; b < 10; ++b) f.soft[b] = float(DAt(s + (b + 1) * bit));
  f.score = -f.soft[0] + f.soft[9];
  for (int b = 1; b <= 8; ++b) {
    f.score += std::fabs(f.soft[b]);
    if (f.soft[b] > 0) f.byte |= uint8_t(1 << (b - 1));
  }
  return f;
}

// The best-scoring frame within `steps` eighths of a bit of `s`.
FskReceiver::Frame FskReceiver::BestFrame(double s, int steps, double bit) const {
  const double step = bit / 8;
  Frame best = FrameAt(s, bit);
  for (int j = -steps; j <= steps; ++j) {
    if (j == 0) continue;
    Frame f = FrameAt(s + j * step, bit);
    if (f.score > best.score) best = f;
  }
  return best;
}

bool FskReceiver::FirstByteAccepted(uint8_t b) const {
  if (tones_ == Standard::Bell202) return IsClipType(b);
  if (only_ == Standard::JapanV23) return NearJapaneseStart(b, kJapanStart);
  if (only_ == Standard::ClipV23) return IsClipType(b) || IsEtsiOtherType(b);
  return IsClipType(b) || IsEtsiOtherType(b) || NearJapaneseStart(b, kJapanStart);
}

// A first character the hunt takes for the Japanese layout's DLE: one of
// the other layouts' types (0x80 is a bit from DLE) is theirs.
bool FskReceiver::JapaneseStart(uint8_t b) const {
  if (tones_ == Standard::Bell202) return false;
  if (only_ != Standard::JapanV23 && (IsClipType(b) || IsEtsiOtherType(b))) return false;
  return NearJapaneseStart(b, kJapanStart);
}

int FskReceiver::MessageLength(const std::vector<uint8_t>& bytes) const {
  if (bytes.empty()) return 0;
  if (bytes[0] == kJapanStart && tones_ != Standard::Bell202) return JapaneseFrameLength(bytes);
  if (bytes.size() < 2) return 0;
  if (bytes[1] == 0) return -1;
  return bytes[1] + 3;
}

// Reads frames from `first`, `bit` samples a bit, until the message length is
// reached. `track` follows the bit clock frame by frame and lets idle marks
// sit between characters; otherwise the clock runs on from the first start
// bit. Returns false while samples are missing.
bool FskReceiver::Decode(double first, bool track, double bit, std::vector<Frame>& frames) const {
  frames.clear();
  std::vector<uint8_t> bytes;
  double s = first;
  for (;;) {
    Frame f;
    if (!NextFrame(s, track, bit, !frames.empty(), f)) return false;
    frames.push_back(f);
    bytes.push_back(f.byte);
    const int len = MessageLength(bytes);
    if (len < 0 || (len > 0 && int(bytes.size()) >= len)) return true;
    // Half of the measured timing error carries over, so noise does not
    // throw the clock around.
    s = (track ? s + 0.5 * (f.start - s) : s) + 10 * bit;
  }
}

// The character expected at `s`: with a tracked clock the best frame near
// it, or, where a mark stands in for its start bit, the first of the next
// three bits that starts one (idle marks between characters). Moves `s` on
// by the idle bits; false while samples are missing.
bool FskReceiver::NextFrame(double& s, bool track, double bit, bool idleAllowed, Frame& f) const {
  const double margin = 11 * bit + bit / 4 + 2;  // samples a frame and its search need
  if (s + margin >= double(reading_->Count())) return false;
  f = track ? BestFrame(s, 1, bit) : FrameAt(s, bit);
  if (!track || f.soft[0] <= 0 || !idleAllowed) return true;
  for (int k = 1; k <= 3; ++k) {
    if (s + k * bit + margin >= double(reading_->Count())) return false;
    const Frame g = BestFrame(s + k * bit, 1, bit);
    if (g.soft[0] < 0 && g.soft[9] > 0) {
      f = g;
      s += k * bit;
      break;
    }
  }
  return true;
}

std::optional<FskReceiver::Accepted> FskReceiver::Accept(std::vector<uint8_t> bytes) const {
  const int len = MessageLength(bytes);
  if (len <= 0 || int(bytes.size()) != len) return std::nullopt;
  Accepted a;
  if (bytes[0] == kJapanStart && tones_ != Standard::Bell202) {
    const std::optional<std::vector<uint8_t>> content = JapaneseFrameContent(bytes);
    if (!content) return std::nullopt;
    a.layout = Standard::JapanV23;
    a.call = ParseFskMessage(Standard::JapanV23, content->data(), int(content->size()));
  } else {
    unsigned sum = 0;
    for (uint8_t b : bytes) sum += b;
    if ((sum & 0xFF) != 0) return std::nullopt;
    a.layout = tones_ == Standard::Bell202 ? Standard::Bell202 : Standard::ClipV23;
    a.call = ParseFskMessage(a.layout, bytes.data(), len - 1);
    if (!a.call) a.nonCall = ParseFskNonCall(a.layout, bytes.data(), len - 1);
  }
  if (!a.call && !a.nonCall) return std::nullopt;
  return a;
}

// The checksum is a byte sum, so one wrong bit at weight 2^k leaves the sum
// off by exactly +-2^k. Only bits of that weight and that value can be the
// culprit; one of them is corrected when it is clearly the likeliest, and
// the corrected reading is held to the same doubt as any other.
std::optional<FskReceiver::Accepted> FskReceiver::FlipOneBit(const std::vector<Frame>& frames) const {
  if (frames.size() < 4 || frames[0].byte == kJapanStart) return std::nullopt;
  unsigned sum = 0;
  for (const Frame& f : frames) sum += f.byte;
  const int diff = int(sum & 0xFF);
  int k = -1, want = -1;  // weight, and the value the wrong bit was read as
  for (int j = 0; j < 8; ++j) {
    if (diff == (1 << j)) {
      k = j;
      want = 1;
    } else if (diff == ((256 - (1 << j)) & 0xFF)) {
      k = j;
      want = 0;
    }
  }
  if (k < 0 || !Framed(frames)) return std::nullopt;
  ReadingDoubt doubt = DoubtOf(frames);
  double odds = 0, best = 0;
  size_t where = 0;
  // Not the type or length bytes: a wrong length would have framed differently.
  for (size_t i = 2; i < frames.size(); ++i) {
    if (k != 7 && ((frames[i].byte >> k) & 1) != want) continue;
    const double p = std::min(doubt.Wrong(i, k + 1), 0.999999), o = p / (1 - p);
    odds += o;
    if (o > best) best = o, where = i;
  }
  if (best <= 0 || best < kLeastCulpritOdds * (odds - best) || best / (1 + best) < kLeastCulpritDoubt)
    return std::nullopt;
  doubt.Correct(where, k + 1, (odds - best) / odds);
  if (doubt.Separation() < kLeastSeparation || doubt.Undetected(2) >= kMostDoubt) return std::nullopt;
  std::vector<uint8_t> bytes = BytesOf(frames);
  bytes[where] ^= uint8_t(1 << k);
  return Accept(bytes);
}

// Every character framed by its start and stop bit: a clock that slipped
// reads whole characters a bit off, each bit as sure as the rest, and now
// and then such a reading passes a byte sum.
bool FskReceiver::Framed(const std::vector<Frame>& frames) {
  return std::all_of(frames.begin(), frames.end(), [](const Frame& f) { return f.soft[0] < 0 && f.soft[9] > 0; });
}

std::optional<FskReceiver::Accepted> FskReceiver::Trusted(const std::vector<Frame>& frames) const {
  if (!Framed(frames)) return std::nullopt;
  std::optional<Accepted> a = Accept(BytesOf(frames));
  // A CRC is not fooled by a few wrong bits; a byte sum is.
  if (!a || frames[0].byte == kJapanStart) return a;
  const ReadingDoubt doubt = DoubtOf(frames);
  if (doubt.Separation() >= kLeastSeparation && doubt.Undetected() < kMostDoubt) return a;
  return std::nullopt;
}

bool FskReceiver::CarrierThroughout(const std::vector<Frame>& frames, double* quality) const {
  double purity = 0;
  for (const Frame& f : frames) purity += CharacterPurity(f);
  *quality = frames.empty() ? 0 : purity / double(frames.size());
  if (frames.empty() || CarrierFrames(frames) < frames.size()) return false;  // the carrier went away mid-message
  return *quality >= kMessagePurity;
}

double FskReceiver::CharacterPurity(const Frame& f) const {
  double purity = 0;
  for (int b = 0; b < 10; ++b)
    purity += std::min(1.f, reading_->Purity(int64_t(std::lround(f.start + (b + 1) * bit_))));
  return purity / 10;
}

// Tone purity over the first `count` frames: noise that happened to frame
// reads well under a carrier's, cut off or not.
double FskReceiver::HeardQuality(const std::vector<Frame>& frames, size_t count) const {
  double purity = 0;
  const size_t n = std::min(count, frames.size());
  for (size_t i = 0; i < n; ++i) purity += CharacterPurity(frames[i]);
  return n ? purity / double(n) : 0;
}

size_t FskReceiver::CarrierFrames(const std::vector<Frame>& frames) const {
  // Each bit's power in the tone it reads as, summed per tone and character:
  // with twist, a character of spaces holds less power than one of marks.
  struct Tones {
    double power[2] = {};
    int bits[2] = {};
  };
  std::vector<Tones> heard(frames.size());
  for (size_t c = 0; c < frames.size(); ++c) {
    for (int b = 0; b < 10; ++b) {
      const FskDemodulator::Window w = reading_->At(int64_t(std::lround(frames[c].start + (b + 1) * bit_)));
      const int mark = w.mark > w.space;
      heard[c].power[mark] += mark ? w.mark : w.space;
      ++heard[c].bits[mark];
    }
  }
  // The first characters came right after a mark run, so they had the
  // carrier; each one after them is judged against the three before it, so
  // an automatic gain's step or swing is followed.
  for (size_t i = 1; i < frames.size(); ++i) {
    Tones before;
    for (size_t j = i < 3 ? 0 : i - 3; j < std::max<size_t>(i, std::min<size_t>(3, frames.size())); ++j)
      for (int t = 0; t < 2; ++t) before.power[t] += heard[j].power[t], before.bits[t] += heard[j].bits[t];
    // The carrier is gone when neither tone is left.
    double share = 0;
    bool judged = false;
    for (int t = 0; t < 2; ++t) {
      if (before.bits[t] == 0 || before.power[t] <= 0 || heard[i].bits[t] == 0) continue;
      share = std::max(share, (heard[i].power[t] / heard[i].bits[t]) / (before.power[t] / before.bits[t]));
      judged = true;
    }
    if (judged && share < kCarrierLostShare) return i;
  }
  return frames.size();
}

// The mark tone's frequency from the mark run before the first start bit:
// the phase the signal, mixed down by this receiver's mark, turns through
// between the two halves of the run. Nine bits give about 60 samples, enough
// to tell 1200 from 1300 Hz at any SNR a message decodes at. The halves lie
// 30 samples apart, so that phase alone is ambiguous beyond 133 Hz from our
// mark, which the other standard's mark reaches 1.7 times its tolerance off;
// the turn between quarters (ambiguous only beyond 267 Hz) picks the turn.
double FskReceiver::MarkHz(double first) const {
  const int64_t end = int64_t(first - bit_ / 2);
  const int half = int(4.5 * bit_), quarter = half / 2;
  const int64_t begin = end - 2 * half;
  if (begin < 0 || begin + kHistory <= demod_.Count()) return 0;
  std::complex<double> a, b, q[4];
  for (int64_t i = begin; i < end; ++i) {
    const std::complex<double> z =
        double(demod_.X(i)) * std::polar(1.0, -2 * M_PI * demod_.MarkHz() * double(i % kSampleRate) / kSampleRate);
    (i < begin + half ? a : b) += z;
    if (i < begin + 4 * quarter) q[(i - begin) / quarter] += z;
  }
  if (std::abs(a) == 0 || std::abs(b) == 0) return 0;
  const std::complex<double> quarterTurn = q[1] * std::conj(q[0]) + q[2] * std::conj(q[1]) + q[3] * std::conj(q[2]);
  const double coarse = std::arg(quarterTurn) * kSampleRate / (2 * M_PI * quarter);
  const double turn = kSampleRate / double(half);  // what a whole turn between the halves is in Hz
  double fine = std::arg(b * std::conj(a)) * kSampleRate / (2 * M_PI * half);
  fine += turn * std::round((coarse - fine) / turn);
  return demod_.MarkHz() + fine;
}

void FskReceiver::RestartHunt(int64_t at) {
  const int window = int(std::lround(10 * bit_));
  hunt_ = std::max<int64_t>(at, window + 1);
  marks_ = 0;
  puritySum_ = 0;
  for (int64_t i = hunt_ - window; i < hunt_; ++i) {
    marks_ += D(i) > 0;
    puritySum_ += demod_.Purity(i);
  }
  phase_ = Phase::kHunting;
}

// The whole message is in: read it at every bit-rate hypothesis and keep the
// best-scoring reading that passes. Read sliced at zero first; then, when
// nothing passed and the two tones arrived at clearly different levels (a
// line's twist), sliced where this burst's marks and spaces read alike, so a
// lone bit of the weaker tone between the louder one's is not lost to its
// neighbours.
void FskReceiver::Finish(std::vector<BurstReport>& out, const std::vector<Frame>& nominal, bool nominalComplete) {
  Outcome o;
  o.bit = bit_;
  o.end = int64_t(nominal.back().start + 10 * bit_);
  const std::vector<Frame> carried(nominal.begin(), nominal.begin() + long(CarrierFrames(nominal)));
  const double twistDb = ReadEveryWay(carried, o);
  if (!o.accepted && std::fabs(twistDb) >= kEqualizeWorthDb && Equalize(twistDb)) {
    ReadEveryWay(carried, o);
    reading_ = &demod_;
    readFrom_ = first_;
  }
  JudgeCarrier(nominal, nominalComplete, o);
  Report(out, nominal, nominalComplete, o);
  // After a failed reading, hunt on just past its start: the "message" may
  // have been a noise dip in the marks before the real one.
  RestartHunt(o.accepted && o.carrier ? o.end : std::max(candidate_ + 1, int64_t(first_ + bit_)));
}

// Reads the message at every rate, sliced at zero first; then, when
// nothing passed and the two tones arrived at clearly different levels (a
// line's twist), sliced where this burst's marks and spaces read alike, so
// a lone bit of the weaker tone between the louder one's is not lost to its
// neighbours. Returns the twist measured, the mark above the space.
double FskReceiver::ReadEveryWay(const std::vector<Frame>& carried, Outcome& o) {
  slice_ = 0;
  double twistDb = 0;
  const double slice = SliceLevel(carried, &twistDb);
  for (int pass = 0; pass < 2 && !o.accepted; ++pass) {
    if (pass == 1 && std::fabs(twistDb) < kTwistWorthDb) break;
    slice_ = pass == 0 ? 0.0 : slice;
    const Reading bestScoring = ReadAtEveryRate(o);
    if (!o.accepted && bestScoring.bit > 0) o.bit = bestScoring.bit;
    ReadWithFixedClock(o);
    if (!o.accepted && !bestScoring.frames.empty() && (o.accepted = FlipOneBit(bestScoring.frames)))
      o.taken = bestScoring.frames;
  }
  slice_ = 0;
  return twistDb;
}

// The burst again from a little before its message, the twist taken out,
// for the readings to use instead of the line as heard.
bool FskReceiver::Equalize(double twistDb) {
  const int64_t from = int64_t(first_ - kEqualizeLeadBits * bit_), to = demod_.Count();
  if (from <= to - kHistory) return false;
  if (!equalized_) equalized_ = std::make_unique<FskDemodulator>(tones_);
  equalized_->Restart(from);
  TwistEqualizer equalizer(demod_.MarkHz(), demod_.SpaceHz(), -twistDb);
  std::vector<float> x(size_t(to - from));
  for (int64_t i = from; i < to; ++i) x[size_t(i - from)] = demod_.X(i);
  equalizer.Run(x.data(), x.size(), x.data());
  equalized_->Feed(x.data(), x.size());
  reading_ = equalized_.get();
  // The shelf moves the tones in time a little: the first character is
  // framed again where the equalized burst reads it best.
  readFrom_ = BestFrame(first_, 4, bit_).start;
  return true;
}

// A tracked clock at each rate hypothesis; returns the best-scoring reading,
// passing or not.
FskReceiver::Reading FskReceiver::ReadAtEveryRate(Outcome& o) const {
  Reading best;
  for (double offset : kRateOffsets) {
    const double b = bit_ / (1 + offset);
    if (!Decode(readFrom_, true, b, o.frames)) continue;  // read another length: not this rate
    double score = 0;
    for (const Frame& f : o.frames) score += f.score;
    score /= double(o.frames.size());
    if (score > best.score) best = {o.frames, b, score};
    if (o.accepted && score <= o.score) continue;
    if (std::optional<Accepted> a = Trusted(o.frames)) {
      o.accepted = std::move(a);
      o.taken = o.frames;
      o.score = score;
      o.bit = b;
    }
  }
  return best;
}

// Whether the carrier lasted, judged on the frames of the rate taken. A
// failure is only reported for a burst the nominal reading framed whole with
// the carrier throughout: a cut-off burst or other tones read at an odd rate
// are no failed caller ID.
void FskReceiver::JudgeCarrier(const std::vector<Frame>& nominal, bool nominalComplete, Outcome& o) const {
  if (o.accepted) o.frames = o.taken;
  if (o.accepted || Decode(first_, true, o.bit, o.frames)) o.end = int64_t(o.frames.back().start + 10 * o.bit);
  o.carrier = CarrierThroughout(o.frames.empty() ? nominal : o.frames, &o.quality);
  double nominalQuality = 0;
  o.failed = nominalComplete && CarrierThroughout(nominal, &nominalQuality);
}

// A clock that runs on from the first start bit, at the rate taken and an
// eighth of a bit either side.
void FskReceiver::ReadWithFixedClock(Outcome& o) const {
  for (double shift : {0.0, -o.bit / 8, o.bit / 8}) {
    if (o.accepted) return;
    if (Decode(readFrom_ + shift, false, o.bit, o.frames) && (o.accepted = Trusted(o.frames))) o.taken = o.frames;
  }
}

// What the receiver made of the burst, for the decoder to settle.
void FskReceiver::Report(std::vector<BurstReport>& out, const std::vector<Frame>& nominal, bool nominalComplete,
                         const Outcome& o) const {
  BurstReport burst;
  burst.start = burst.messageStart = int64_t(first_);
  burst.end = o.end;
  burst.quality = o.quality;
  burst.readingBitRate = kSampleRate / o.bit;
  if (const double mark = MarkHz(first_); mark > 0) burst.readingMarkHz = mark;
  const std::vector<Frame>& heard = o.frames.empty() ? nominal : o.frames;
  burst.messageType = nominal[0].byte;
  burst.bytesRead = int(CarrierFrames(heard));
  burst.bytesExpected = std::max(0, MessageLength(BytesOf(nominal)));
  const Standard framed = nominal[0].byte == kJapanStart && tones_ != Standard::Bell202 ? Standard::JapanV23 : tones_;
  if (o.accepted && o.carrier) {
    burst.standard = o.accepted->layout;
    if (o.accepted->call) {
      burst.message = o.accepted->call;
      burst.message->standard = o.accepted->layout;
    } else {
      burst.fate = BurstFate::NotACall;
      burst.nonCall = o.accepted->nonCall;
    }
    out.push_back(std::move(burst));
  } else if (o.carrier && o.failed) {
    burst.fate = BurstFate::ChecksumFailed;
    burst.standard = framed;
    out.push_back(std::move(burst));
  } else if (burst.bytesRead >= kHeardCharacters && HeardQuality(heard, size_t(burst.bytesRead)) >= kMessagePurity) {
    // Not a call and no checksum failure, but a burst all the same, for the
    // line check to judge: cut off, or a carrier too disturbed to read.
    burst.fate = burst.bytesRead < int(heard.size()) || !nominalComplete ? BurstFate::CutOff : BurstFate::Unreadable;
    burst.standard = framed;
    out.push_back(std::move(burst));
  }
}

// Still collecting while the carrier lasts. A false start may announce a
// long message; once the carrier is plainly gone, stop waiting. A slower
// rate needs more samples, and another rate may read another length: wait
// for every reading that still hears the carrier.
bool FskReceiver::StillCollecting(const std::vector<Frame>& frames, bool complete) const {
  double quality = 0;
  if (!complete && (frames.size() < 4 || CarrierThroughout(frames, &quality))) return true;
  std::vector<Frame> other;
  for (double offset : kRateOffsets)
    if (!Decode(first_, true, bit_ / (1 + offset), other) && (other.size() < 4 || CarrierThroughout(other, &quality)))
      return true;
  return false;
}

void FskReceiver::Step(std::vector<BurstReport>& out) {
  const int64_t n = demod_.Count();
  if (phase_ == Phase::kPriming) {
    if (n <= hunt_) return;
    RestartHunt(hunt_);
  }
  if (n - hunt_ > kHistory / 2) RestartHunt(n - int64_t(std::lround(10 * bit_)));
  for (;;) {
    if (phase_ == Phase::kCollecting) {
      std::vector<Frame> frames;
      const bool complete = Decode(first_, true, bit_, frames);
      if (complete && MessageLength(BytesOf(frames)) < 0) {
        // Not a message after all: hunt on just past the false start.
        RestartHunt(std::max(candidate_ + 1, int64_t(first_ + bit_)));
        continue;
      }
      if (StillCollecting(frames, complete)) return;
      Finish(out, frames, complete);
      continue;
    }
    Hunt();
    if (phase_ != Phase::kCollecting) return;
  }
}

// Looks for a start bit after ten bits that read mark with a clean tone,
// up to the samples demodulated; stops where it frames a first character.
void FskReceiver::Hunt() {
  const int window = int(std::lround(10 * bit_));
  const int64_t n = demod_.Count();
  while (hunt_ < n - 1) {
    const int64_t i = hunt_;
    if (D(i) < 0 && D(i - 1) >= 0 && marks_ >= window * 8 / 10 && puritySum_ >= kMarkPurity * window) {
      const double crossing = double(i - 1) + D(i - 1) / (D(i - 1) - D(i));
      const double s0 = crossing - bit_ / 2;
      if (s0 + 11 * bit_ + bit_ / 2 + 2 >= double(n)) return;  // wait for the whole first character
      Frame f = BestFrame(s0, 4, bit_);
      bool framed = f.soft[0] < 0 && f.soft[9] > 0 && FirstByteAccepted(f.byte);
      // Behind a long mark run much louder than the space, the start bit may
      // read as mark, and the first space heard is a data bit: frame a bit
      // earlier, the start bit taken as read.
      if (!framed && s0 - bit_ > double(n - kHistory)) {
        const Frame earlier = BestFrame(s0 - bit_, 4, bit_);
        if (earlier.soft[9] > 0 && FirstByteAccepted(earlier.byte)) f = earlier, framed = true;
      }
      // The Japanese layout's DLE goes on with SOH (at one of the rates); a
      // DLE read in the mark run or the noise before it does not.
      if (framed && JapaneseStart(f.byte)) {
        if (f.start + 26 * bit_ >= double(n)) return;  // wait for the second character at every rate
        framed = false;
        for (double offset : kRateOffsets) {
          const double b = bit_ / (1 + offset);
          double next = f.start + 10 * b;
          Frame second;
          framed = framed ||
                   (NextFrame(next, true, b, true, second) && NearJapaneseStart(second.byte, kJapaneseFrameSecond));
        }
      }
      if (framed) {
        first_ = readFrom_ = f.start;
        candidate_ = i;
        phase_ = Phase::kCollecting;
        return;
      }
    }
    marks_ += (D(i) > 0) - (D(i - window) > 0);
    puritySum_ += double(demod_.Purity(i)) - demod_.Purity(i - window);
    ++hunt_;
  }
}

void FskReceiver::Feed(const float* x, size_t count, std::vector<BurstReport>& out) {
  // Demodulate in slices so the hunt never falls out of the history.
  size_t done = 0;
  while (done < count) {
    const size_t slice = std::min<size_t>(count - done, 4096);
    demod_.Feed(x + done, slice);
    done += slice;
    Step(out);
  }
}

void FskReceiver::FeedQuiet(size_t count, std::vector<BurstReport>& out) {
  demod_.FeedQuiet(count);
  // Nothing reads mark in a quiet stretch longer than the hunt's window:
  // the hunt goes on after it with no marks counted.
  if (phase_ == Phase::kHunting && count >= size_t(std::lround(10 * bit_)) && hunt_ < demod_.Count() - 1) {
    hunt_ = demod_.Count() - 1;
    marks_ = 0;
    puritySum_ = 0;
  }
  Step(out);
}

}  // namespace device::audio
