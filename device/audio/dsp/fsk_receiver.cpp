#include "device/audio/dsp/fsk_receiver.h"

extern "C" {
#include <spandsp.h>
}

#include <algorithm>
#include <cmath>

#include "device/audio/dsp/message_parser.h"

namespace device::audio {
namespace {

constexpr uint8_t kJapanStart = 0x90;  // DLE with its parity bit
// Tone purity (the share of the power that the stronger of the two
// three-bit tone filters catches): a steady carrier reads near 1, white noise
// about 0.15, a message's changing bits about 0.4 even at 6 dB SNR. The mark
// run before a message and the message as a whole must keep these.
constexpr float kMarkPurity = 0.5f;
constexpr double kMessagePurity = 0.25;

bool IsClipType(uint8_t b) { return b == 0x80 || b == 0x04 || b == 0x82 || b == 0x06; }

}  // namespace

FskReceiver::FskReceiver(Standard tones, Standard only)
    : tones_(tones),
      only_(only),
      bit_(double(kSampleRate) / 1200.0),
      d_(kHistory, 0.f),
      e_(kHistory, 0.f),
      purity_(kHistory, 0.f) {
  const double mark = tones == Standard::Bell202 ? 1200.0 : 1300.0;
  const double space = tones == Standard::Bell202 ? 2200.0 : 2100.0;
  // 80 samples hold a whole number of periods of all four tones.
  for (int i = 0; i < 80; ++i) {
    markTable_[i][0] = float(std::cos(2 * M_PI * mark * i / kSampleRate));
    markTable_[i][1] = float(-std::sin(2 * M_PI * mark * i / kSampleRate));
    spaceTable_[i][0] = float(std::cos(2 * M_PI * space * i / kSampleRate));
    spaceTable_[i][1] = float(-std::sin(2 * M_PI * space * i / kSampleRate));
  }
  hunt_ = int64_t(std::lround(10 * bit_)) + 1;
}

void FskReceiver::Demodulate(float x) {
  const int p = int(n_ % kTaps);
  const int t = int(n_ % 80);
  zm_[p][0] = x * markTable_[t][0], zm_[p][1] = x * markTable_[t][1];
  zs_[p][0] = x * spaceTable_[t][0], zs_[p][1] = x * spaceTable_[t][1];
  sq_[p] = x * x;
  // One bit of window: the newest six samples in full, the oldest in part.
  const int oldest = (p + 1) % kTaps;
  const float wOld = float(bit_ - (kTaps - 1));
  float mr = 0, mi = 0, sr = 0, si = 0, pw = 0;
  for (int k = 0; k < kTaps; ++k) {
    const float w = k == oldest ? wOld : 1.f;
    mr += w * zm_[k][0], mi += w * zm_[k][1];
    sr += w * zs_[k][0], si += w * zs_[k][1];
    pw += w * sq_[k];
  }
  const float m2 = mr * mr + mi * mi, s2 = sr * sr + si * si;
  const int64_t i = n_ & (kHistory - 1);
  d_[i] = m2 - s2;
  e_[i] = m2 + s2;
  // Purity over three bits: narrow filters, so noise and speech, whose power
  // spreads over the band, read low, and a steady carrier reads near 1.
  const int q = int(n_ % kLongTaps);
  for (int k = 0; k < 2; ++k) longM_[k] += double(zm_[p][k]) - longZm_[q][k], longZm_[q][k] = zm_[p][k];
  for (int k = 0; k < 2; ++k) longS_[k] += double(zs_[p][k]) - longZs_[q][k], longZs_[q][k] = zs_[p][k];
  longP_ += double(sq_[p]) - longSq_[q], longSq_[q] = sq_[p];
  const double lm = longM_[0] * longM_[0] + longM_[1] * longM_[1];
  const double ls = longS_[0] * longS_[0] + longS_[1] * longS_[1];
  purity_[i] = longP_ > 1.0 ? float(2.0 * std::max(lm, ls) / (kLongTaps * longP_)) : 0.f;
  ++n_;
}

double FskReceiver::DAt(double t) const {
  const double fl = std::floor(t);
  const int64_t i = int64_t(fl);
  const double f = t - fl;
  return D(i) + f * (D(i + 1) - D(i));
}

FskReceiver::Frame FskReceiver::FrameAt(double s) const {
  Frame f;
  f.start = s;
  for (int b = 0; b < 10; ++b) f.soft[b] = float(DAt(s + (b + 1) * bit_));
  f.score = -f.soft[0] + f.soft[9];
  for (int b = 1; b <= 8; ++b) {
    f.score += std::fabs(f.soft[b]);
    if (f.soft[b] > 0) f.byte |= uint8_t(1 << (b - 1));
  }
  return f;
}

FskReceiver::Frame FskReceiver::BestFrame(double s, int steps, double step) const {
  Frame best = FrameAt(s);
  for (int j = -steps; j <= steps; ++j) {
    if (j == 0) continue;
    Frame f = FrameAt(s + j * step);
    if (f.score > best.score) best = f;
  }
  return best;
}

bool FskReceiver::FirstByteAccepted(uint8_t b) const {
  if (tones_ == Standard::Bell202) return IsClipType(b);
  if (only_ == Standard::JapanV23) return b == kJapanStart;
  if (only_ == Standard::ClipV23) return IsClipType(b);
  return IsClipType(b) || b == kJapanStart;
}

int FskReceiver::MessageLength(const std::vector<uint8_t>& bytes) const {
  if (bytes.empty()) return 0;
  if (bytes[0] == kJapanStart && tones_ != Standard::Bell202) {
    if (bytes.size() < 7) return 0;
    return (bytes[6] & 0x7F) + 11;
  }
  if (bytes.size() < 2) return 0;
  if (bytes[1] == 0) return -1;
  return bytes[1] + 3;
}

// Reads frames from `first` until the message length is reached. `track`
// follows the bit clock frame by frame and lets idle marks sit between
// characters; otherwise the clock runs on from the first start bit.
// Returns false while samples are missing.
bool FskReceiver::Decode(double first, bool track, std::vector<Frame>& frames) const {
  frames.clear();
  std::vector<uint8_t> bytes;
  double s = first;
  const double step = bit_ / 8;
  for (;;) {
    if (s + 11 * bit_ + 2 * step + 2 >= double(n_)) return false;
    Frame f = track ? BestFrame(s, 1, step) : FrameAt(s);
    if (track && f.soft[0] > 0 && !frames.empty()) {
      // A mark where a start bit should be: idle between characters.
      bool found = false;
      for (int k = 1; k <= 3 && !found; ++k) {
        if (s + k * bit_ + 11 * bit_ + 2 * step + 2 >= double(n_)) return false;
        Frame g = BestFrame(s + k * bit_, 1, step);
        if (g.soft[0] < 0 && g.soft[9] > 0) f = g, s += k * bit_, found = true;
      }
    }
    frames.push_back(f);
    bytes.push_back(f.byte);
    const int len = MessageLength(bytes);
    if (len < 0 || (len > 0 && int(bytes.size()) >= len)) return true;
    // Half of the measured timing error carries over, so noise does not
    // throw the clock around.
    s = (track ? s + 0.5 * (f.start - s) : s) + 10 * bit_;
  }
}

std::optional<CallerIdMessage> FskReceiver::Accept(std::vector<uint8_t> bytes, Standard* layout) const {
  const int len = MessageLength(bytes);
  if (len <= 0 || int(bytes.size()) != len) return std::nullopt;
  if (bytes[0] == kJapanStart && tones_ != Standard::Bell202) {
    if (crc_itu16_calc(bytes.data() + 2, len - 2, 0) != 0) return std::nullopt;
    for (int i = 0; i < len - 2; ++i) bytes[i] &= 0x7F;
    *layout = Standard::JapanV23;
    return ParseFskMessage(Standard::JapanV23, bytes.data(), len - 2);
  }
  unsigned sum = 0;
  for (uint8_t b : bytes) sum += b;
  if ((sum & 0xFF) != 0) return std::nullopt;
  *layout = tones_ == Standard::Bell202 ? Standard::Bell202 : Standard::ClipV23;
  return ParseFskMessage(*layout, bytes.data(), len - 1);
}

// The checksum is a byte sum, so one wrong bit at weight 2^k leaves the sum
// off by exactly +-2^k. Only bits of that weight and that value can be the
// culprit; one of them is corrected when it is clearly the least certain.
std::optional<CallerIdMessage> FskReceiver::FlipOneBit(const std::vector<Frame>& frames, Standard* layout) const {
  if (frames.size() < 4 || frames[0].byte == kJapanStart) return std::nullopt;
  unsigned sum = 0;
  std::vector<float> all;
  for (const Frame& f : frames) {
    sum += f.byte;
    for (int b = 1; b <= 8; ++b) all.push_back(std::fabs(f.soft[b]));
  }
  const int diff = int(sum & 0xFF);
  int k = -1, want = -1;  // weight, and the value the wrong bit was read as
  for (int j = 0; j < 8; ++j) {
    if (diff == (1 << j))
      k = j, want = 1;
    else if (diff == ((256 - (1 << j)) & 0xFF))
      k = j, want = 0;
  }
  if (k < 0) return std::nullopt;
  std::nth_element(all.begin(), all.begin() + all.size() / 2, all.end());
  const float median = all[all.size() / 2];
  float least = 1e30f, second = 1e30f;
  int where = -1;
  // Not the type or length bytes: a wrong length would have framed differently.
  for (size_t i = 2; i < frames.size(); ++i) {
    const int v = (frames[i].byte >> k) & 1;
    if (k == 7 ? false : v != want) continue;
    const float c = std::fabs(frames[i].soft[k + 1]);
    if (c < least)
      second = least, least = c, where = int(i);
    else if (c < second)
      second = c;
  }
  if (where < 0 || least > 0.25f * median || second < 3.f * least) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (const Frame& f : frames) bytes.push_back(f.byte);
  bytes[where] ^= uint8_t(1 << k);
  return Accept(bytes, layout);
}

bool FskReceiver::CarrierThroughout(const std::vector<Frame>& frames, double* quality) const {
  std::vector<double> energy;
  double purity = 0;
  int count = 0;
  for (const Frame& f : frames) {
    double e = 0;
    for (int b = 0; b < 10; ++b) {
      const int64_t c = int64_t(std::lround(f.start + (b + 1) * bit_));
      e += Energy(c);
      purity += std::min(1.f, Purity(c));
      ++count;
    }
    energy.push_back(e);
  }
  *quality = count ? purity / count : 0;
  if (energy.empty()) return false;
  // The first characters came right after a mark run, so they had the
  // carrier; a character with a quarter of their energy did not.
  const size_t head = std::min<size_t>(3, energy.size());
  double reference = 0;
  for (size_t i = 0; i < head; ++i) reference += energy[i] / double(head);
  for (double e : energy)
    if (e < 0.25 * reference) return false;  // the carrier went away mid-message
  return *quality >= kMessagePurity;
}

void FskReceiver::Step(std::vector<FskBurst>& out) {
  const int window = int(std::lround(10 * bit_));
  auto restartHunt = [&](int64_t at) {
    hunt_ = std::max<int64_t>(at, window + 1);
    marks_ = 0;
    purity_sum_ = 0;
    for (int64_t i = hunt_ - window; i < hunt_; ++i) marks_ += D(i) > 0, purity_sum_ += Purity(i);
  };
  if (!hunting_started_) {
    if (n_ <= hunt_) return;  // the first mark window is not demodulated yet
    restartHunt(hunt_);
    hunting_started_ = true;
  }
  if (n_ - hunt_ > kHistory / 2) restartHunt(n_ - window), first_ = -1;
  for (;;) {
    if (first_ >= 0) {
      std::vector<Frame> frames;
      if (!Decode(first_, true, frames)) {
        // Still collecting. A false start may announce a long message; once
        // the carrier is plainly gone, stop waiting and hunt on.
        double quality = 0;
        if (frames.size() < 4 || CarrierThroughout(frames, &quality)) return;
        restartHunt(std::max(candidate_ + 1, int64_t(first_ + bit_)));
        first_ = -1;
        continue;
      }
      const int len = MessageLength(
          {frames.size() > 0 ? frames[0].byte : uint8_t(0), frames.size() > 1 ? frames[1].byte : uint8_t(0)});
      std::vector<uint8_t> bytes;
      for (const Frame& f : frames) bytes.push_back(f.byte);
      if (MessageLength(bytes) < 0 || len < 0) {
        // Not a message after all: hunt on just past the false start.
        restartHunt(std::max(candidate_ + 1, int64_t(first_ + bit_)));
        first_ = -1;
        continue;
      }
      FskBurst burst;
      burst.start = int64_t(first_);
      burst.end = int64_t(frames.back().start + 10 * bit_);
      const bool carrier = CarrierThroughout(frames, &burst.quality);
      Standard layout = tones_;
      std::optional<CallerIdMessage> m = Accept(bytes, &layout);
      std::vector<Frame> fixed;
      for (double shift : {0.0, -bit_ / 8, bit_ / 8}) {
        if (m) break;
        if (Decode(first_ + shift, false, fixed)) {
          std::vector<uint8_t> b2;
          for (const Frame& f : fixed) b2.push_back(f.byte);
          m = Accept(b2, &layout);
        }
      }
      if (!m) m = FlipOneBit(frames, &layout);
      if (m && carrier) {
        m->standard = layout;
        burst.standard = layout;
        burst.message = m;
        out.push_back(burst);
      } else if (carrier) {
        burst.standard = frames[0].byte == kJapanStart && tones_ != Standard::Bell202 ? Standard::JapanV23 : tones_;
        out.push_back(burst);
      }
      // After a failed reading, hunt on just past its start: the "message"
      // may have been a noise dip in the marks before the real one.
      restartHunt(burst.message ? burst.end : std::max(candidate_ + 1, int64_t(first_ + bit_)));
      first_ = -1;
      continue;
    }
    if (hunt_ >= n_ - 1) return;
    const int64_t i = hunt_;
    if (D(i) < 0 && D(i - 1) >= 0 && marks_ >= window * 8 / 10 && purity_sum_ >= kMarkPurity * window) {
      const double crossing = double(i - 1) + D(i - 1) / (D(i - 1) - D(i));
      const double s0 = crossing - bit_ / 2;
      if (s0 + 11 * bit_ + bit_ / 2 + 2 >= double(n_)) return;  // wait for the whole first character
      const Frame f = BestFrame(s0, 4, bit_ / 8);
      if (f.soft[0] < 0 && f.soft[9] > 0 && FirstByteAccepted(f.byte)) {
        first_ = f.start;
        candidate_ = i;
        continue;
      }
    }
    marks_ += (D(i) > 0) - (D(i - window) > 0);
    purity_sum_ += double(Purity(i)) - Purity(i - window);
    ++hunt_;
  }
}

void FskReceiver::Feed(const float* x, size_t count, std::vector<FskBurst>& out) {
  // Demodulate in slices so the hunt never falls out of the history.
  size_t done = 0;
  while (done < count) {
    const size_t slice = std::min<size_t>(count - done, 4096);
    for (size_t k = 0; k < slice; ++k) Demodulate(x[done + k]);
    done += slice;
    Step(out);
  }
}

}  // namespace device::audio
