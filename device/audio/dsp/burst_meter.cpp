#include "device/audio/dsp/burst_meter.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tones.h"

namespace device::audio {
namespace {
using Complex = std::complex<double>;

// The quiet line before a burst: 20 ms blocks over the 4 s before it,
// ending this long before the carrier started (the burst's own rise and the
// receivers' timing stay out), none within kBusyMargin of another signal.
constexpr int64_t kNoiseBlock = kSampleRate / 50;
constexpr int64_t kNoiseReach = 4 * kSampleRate;
constexpr int64_t kNoiseGap = kSampleRate / 50;
constexpr int64_t kBusyMargin = 3 * kSampleRate / 100;
// Of those blocks the quieter ones are the line's noise: a signal no
// detector named (speech, a tone) may fill most of the 4 s, the noise itself
// varies by a few per cent from block to block. The blocks up to this share
// of the way up, and those within kQuietSpread of them, are taken.
constexpr double kQuietShare = 0.3;
constexpr double kQuietSpread = 1.5;
// Fewer quiet blocks than this say nothing about the noise.
constexpr size_t kFewestQuietBlocks = 3;
// A burst no louder than the noise reads as this share of what was heard.
constexpr double kLeastSignalShare = 0.1;
// The preamble is looked for this far before the message: the longest
// seizure and mark run with their tolerance.
constexpr double kPreambleBits = 600;
// The carrier is taken as present while its envelope stays above this share
// of the message's.
constexpr double kCarrierShare = 0.35;
// The mixed-down signal is summed over this many samples (a null at 1 kHz
// and its multiples takes the mixing's image away); a position is one tone
// alone when the discriminator has read that tone this long before it and
// a little after.
constexpr int kSum = 8;
constexpr int kPureBefore = 10, kPureAfter = 5;
// Positions of one tone needed for its frequency and level.
constexpr int kFewestPure = 8;
// The bit clock is looked for within this share of 1200 bit/s, in steps of
// this many bit/s, and believed when the transitions agree on it this well.
constexpr double kRateReach = 0.1;
constexpr double kRateStep = 0.5;
constexpr double kLeastClockAgreement = 0.3;
constexpr int kFewestTransitions = 20;
// The DTMF receiver times a digit to within a window of its detector at
// either edge; the tones are measured this far inside them.
constexpr int64_t kDtmfEdge = 128;
// A signal no receiver framed is an FSK pair when two tones this far apart
// hold this share of its power; V.23 tones lie 800 Hz apart, Bell 202 1000,
// each scaled by a clock's error.
constexpr double kPairLeastHz = 650, kPairMostHz = 1150, kPairBetweenHz = 890;
constexpr double kPairShare = 0.4;
// ... and DTMF when its frames each hold a low and a high group tone that
// carry this share of the frame.
constexpr double kDtmfFrameShare = 0.6;
constexpr int kSpectrumFrame = 256;  // 32 ms, 31 Hz bins
constexpr double kSpectrumStepHz = 10;

QString FskLayout(uint8_t type) {
  switch (type) {
    case 0x80:
    case 0x82:
    case 0x86:
    case 0x89: return QStringLiteral("MDMF");
    case 0x04:
    case 0x06: return QStringLiteral("SDMF");
    case 0x90: return QStringLiteral("DLE");
    default: return QStringLiteral("0x%1").arg(type, 2, 16, QLatin1Char('0'));
  }
}

// The 8-sample sum's gain for a tone `offsetHz` from the mixing frequency.
double SumGain(double offsetHz) {
  const double a = M_PI * offsetHz / kSampleRate;
  return std::fabs(std::sin(kSum * a)) / std::max(1e-9, std::fabs(std::sin(a)));
}

// Power of `x` at `hz` (Goertzel), as the mean square of a sine that strong.
double TonePower(const float* x, int n, double hz) {
  const double c = 2 * std::cos(2 * M_PI * hz / kSampleRate);
  double s1 = 0, s2 = 0;
  for (int i = 0; i < n; ++i) {
    const double s = x[i] + c * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return 2 * (s1 * s1 + s2 * s2 - c * s1 * s2) / (double(n) * n);
}

bool Overlaps(const BurstMeter::Span& s, int64_t from, int64_t to) { return s.start < to && from < s.end; }

}  // namespace

// The burst mixed down to the middle of its two tones. There the mark turns
// one way and the space the other, so the phase the signal turns through
// says the frequency, and its envelope where the carrier is.
struct BurstMeter::Baseband {
  int64_t lo = 0;            // sample position of z[0]
  double centre = 0;         // the mixing frequency
  std::vector<Complex> z;    // mixed down, summed over kSum samples
  std::vector<double> turn;  // phase turned from the sample before, radians
  double env = 0;            // the carrier's mean envelope (over the message when there is one)
  // Framed FSK only: the message and the preamble.
  double bit = 0;  // samples per bit
  int b1 = 1;      // one bit, in whole samples
  size_t msg = 0;  // the message's first sample
  size_t markStart = 0, carrierStart = 0;

  // The turn over one bit before k, and the envelope over two.
  double SmoothTurn(size_t k) const {
    double t = 0;
    for (size_t j = k + 1 - size_t(std::min<size_t>(k, size_t(b1))); j <= k; ++j) t += turn[j];
    return t / b1;
  }
  double SmoothEnv(size_t k) const {
    double e = 0;
    const size_t from = k >= size_t(2 * b1) ? k - size_t(2 * b1) : 0;
    for (size_t j = from; j <= k; ++j) e += std::abs(z[j]);
    return e / double(k - from + 1);
  }
  // +1 where the discriminator reads the upper tone (space), -1 the lower
  // (mark), over three samples.
  int Side(size_t k) const {
    const double t = turn[k] + (k > 0 ? turn[k - 1] : 0) + (k + 1 < turn.size() ? turn[k + 1] : 0);
    return t > 0 ? 1 : -1;
  }
};

BurstMeter::BurstMeter() : x_(kHistory, 0.f), raw_(kHistory, 0) {
  // A fourth-order Butterworth low-pass at 3400 Hz: the band's top.
  const double w = 2 * M_PI * 3400.0 / kSampleRate;
  const double q[2] = {0.54119610, 1.30656296};
  for (int k = 0; k < 2; ++k) {
    const double alpha = std::sin(w) / (2 * q[k]), a0 = 1 + alpha;
    Section& s = lowPass_[k];
    s.b0 = (1 - std::cos(w)) / 2 / a0;
    s.b1 = (1 - std::cos(w)) / a0;
    s.b2 = s.b0;
    s.a1 = -2 * std::cos(w) / a0;
    s.a2 = (1 - alpha) / a0;
  }
}

void BurstMeter::Feed(const int16_t* raw, const float* band, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    double v = band[i];
    for (Section& s : lowPass_) {
      const double y = s.b0 * v + s.z1;
      s.z1 = s.b1 * v - s.a1 * y + s.z2;
      s.z2 = s.b2 * v - s.a2 * y;
      v = y;
    }
    const size_t at = size_t((n_ + int64_t(i)) & (kHistory - 1));
    x_[at] = float(v);
    raw_[at] = raw[i];
  }
  n_ += int64_t(count);
}

double BurstMeter::MeanSquare(int64_t from, int64_t to) const {
  from = std::max({from, n_ - kHistory + 1, int64_t(0)});
  to = std::min(to, n_);
  if (to <= from) return 0;
  double sum = 0;
  for (int64_t i = from; i < to; ++i) sum += double(X(i)) * X(i);
  return sum / double(to - from);
}

std::optional<BurstMeter::Noise> BurstMeter::QuietLine(int64_t before, const std::vector<Span>& busy) const {
  const int64_t to = before - kNoiseGap;
  const int64_t from = std::max({to - kNoiseReach, n_ - kHistory + 1, int64_t(0)});
  std::vector<std::pair<double, int64_t>> blocks;
  // Blocks on a fixed grid, so the same audio gives the same noise.
  for (int64_t b = (from + kNoiseBlock - 1) / kNoiseBlock * kNoiseBlock; b + kNoiseBlock <= to; b += kNoiseBlock) {
    const bool near = std::any_of(busy.begin(), busy.end(), [&](const Span& s) {
      return Overlaps(s, b - kBusyMargin, b + kNoiseBlock + kBusyMargin);
    });
    if (!near) blocks.push_back({MeanSquare(b, b + kNoiseBlock), b});
  }
  if (blocks.size() < kFewestQuietBlocks) return std::nullopt;
  std::sort(blocks.begin(), blocks.end());
  const double bound = kQuietSpread * blocks[size_t(kQuietShare * double(blocks.size() - 1))].first;
  Noise n;
  double sum = 0;
  for (const auto& [power, at] : blocks) {
    if (power > bound) break;
    sum += power;
    n.blocks.push_back(at);
  }
  n.meanSquare = sum / double(n.blocks.size());
  return n;
}

void BurstMeter::MeasureLevel(BurstReport& r, const std::vector<Span>& busy) const {
  const std::optional<Noise> noise = QuietLine(r.start, busy);
  const double total = MeanSquareForDbm0(r.levelDbm0);
  if (!noise) return;
  r.noiseDbm0 = Dbm0FromMeanSquare(noise->meanSquare);
  // The burst's own level: the noise under it taken off, while there is
  // more burst than noise to tell.
  if (r.standard != Standard::ClipDtmf)
    r.levelDbm0 = Dbm0FromMeanSquare(std::max(total - noise->meanSquare, kLeastSignalShare * total));
  r.snrDb = r.levelDbm0 - *r.noiseDbm0;
}

void BurstMeter::MeasureBelowBand(BurstReport& r) const {
  const int64_t from = std::max({r.start, n_ - kHistory + 1, int64_t(0)}), to = std::min(r.end, n_);
  if (to <= from) return;
  double all = 0;
  int64_t clipped = 0;
  for (int64_t i = from; i < to; ++i) {
    const double v = raw_[size_t(i & (kHistory - 1))];
    all += v * v;
    if (v >= 32767 || v <= -32767) ++clipped;
  }
  // The band and what lies below it are all but uncorrelated: their powers add.
  r.humDbm0 = Dbm0FromMeanSquare(std::max(0.0, all / double(to - from) - MeanSquare(from, to)));
  r.clippedPct = 100.0 * double(clipped) / double(to - from);
}

void BurstMeter::Measure(BurstReport& r, const std::vector<Span>& busy) const {
  if (r.standard == Standard::ClipDtmf)
    MeasureDtmf(r);
  else
    MeasureFsk(r, busy);
  MeasureLevel(r, busy);
  MeasureBelowBand(r);
}

BurstReport BurstMeter::MeasureUnframed(int64_t start, int64_t end, const std::vector<Span>& busy) const {
  BurstReport r;
  r.fate = BurstFate::NotFramed;
  r.start = r.messageStart = start;
  r.end = end;
  r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(start, end));
  MeasureLevel(r, busy);
  MeasureBelowBand(r);
  RecogniseUnframed(r, busy);
  return r;
}

BurstMeter::Baseband BurstMeter::MixDown(int64_t from, int64_t to, double centre) const {
  Baseband z;
  z.lo = from;
  z.centre = centre;
  const size_t len = size_t(std::max<int64_t>(0, to - from));
  z.z.assign(len, {});
  z.turn.assign(len, 0.0);
  std::vector<Complex> mixed(len);
  Complex acc;
  for (size_t k = 0; k < len; ++k) {
    const int64_t i = from + int64_t(k);
    mixed[k] = double(X(i)) * std::polar(1.0, -2 * M_PI * centre * double(i - from) / kSampleRate);
    acc += mixed[k];
    if (k >= size_t(kSum)) acc -= mixed[k - size_t(kSum)];
    z.z[k] = acc;
  }
  for (size_t k = 1; k < len; ++k) z.turn[k] = std::arg(z.z[k] * std::conj(z.z[k - 1]));
  for (const Complex& v : z.z) z.env += std::abs(v);
  z.env /= double(std::max<size_t>(1, len));
  return z;
}

// Framed FSK: the preamble from the message back, then the tones, their
// levels and the bit clock over the whole burst.
void BurstMeter::MeasureFsk(BurstReport& r, const std::vector<Span>& busy) const {
  const FskTones nominal = NominalFskTones(r.standard);
  const double bit = kSampleRate / r.readingBitRate.value_or(kFskBitRate);
  r.layout = FskLayout(r.messageType);
  r.bitRate = r.readingBitRate;
  r.markHz = r.readingMarkHz;

  int64_t end = r.end;
  if (r.bytesRead > 0) end = std::min(end, r.messageStart + int64_t(std::lround(r.bytesRead * 10 * bit)));
  const int64_t lo = std::max({r.messageStart - int64_t(kPreambleBits * bit), n_ - kHistory + 16, int64_t(8)});
  if (end <= lo + 16 || r.messageStart <= lo) {
    r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(r.messageStart, end));
    return;
  }
  Baseband z = MixDown(lo, end, (nominal.markHz + nominal.spaceHz) / 2);
  z.bit = bit;
  z.b1 = std::max(1, int(std::lround(bit)));
  z.msg = size_t(r.messageStart - lo);
  z.env = 0;
  for (size_t k = z.msg; k < z.z.size(); ++k) z.env += std::abs(z.z[k]);
  z.env /= double(z.z.size() - z.msg);
  MeasurePreamble(z, r);
  r.start = lo + int64_t(z.carrierStart);
  r.end = end;
  r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(r.start, end));

  // The tones and the clock over the carrier alone.
  Baseband carrier = MixDown(r.start, end, z.centre);
  carrier.env = z.env;
  MeasureTones(carrier, QuietLine(r.start, busy), r);
  if (const std::optional<double> rate = MeasureBitRate(carrier)) r.bitRate = rate;
  if (r.markHz && *r.markHz > 0) r.markOffsetPct = 100 * (*r.markHz / nominal.markHz - 1);
  if (r.spaceHz && *r.spaceHz > 0) r.spaceOffsetPct = 100 * (*r.spaceHz / nominal.spaceHz - 1);
  if (r.bitRate && *r.bitRate > 0) r.bitRateOffsetPct = 100 * (*r.bitRate / kFskBitRate - 1);
}

// The mark run: back from the message while the tone stays on the mark
// side and the carrier is there. The seizure: back from the mark run while
// the carrier is there. The smoothing reaches a bit or two back; the
// figures are in bits.
void BurstMeter::MeasurePreamble(Baseband& z, BurstReport& r) const {
  size_t markStart = z.msg;
  while (markStart > size_t(z.b1) && z.SmoothTurn(markStart - 1) < 0 &&
         z.SmoothEnv(markStart - 1) >= kCarrierShare * z.env)
    --markStart;
  size_t carrierStart = markStart;
  while (carrierStart > size_t(2 * z.b1) && z.SmoothEnv(carrierStart - 1) >= kCarrierShare * z.env) --carrierStart;
  r.markBits = double(z.msg - markStart) / z.bit;
  r.seizureBits = std::max(0.0, double(markStart - carrierStart) / z.bit - 1);
  z.markStart = markStart;
  z.carrierStart = carrierStart;
}

// Each tone alone: where the discriminator has read one tone for longer
// than the sum reaches (the mark run, runs of spaces in the message). Its
// frequency is the mean phase it turns through there (a mean of the turns,
// in which the mixing's image, rotating, cancels run by run), its level the
// envelope there less the noise's, each corrected for the sum's gain at its
// offset.
// Twist is the space's level over the mark's, on any burst, with or without
// a seizure.
void BurstMeter::MeasureTones(const Baseband& z, const std::optional<Noise>& noise, BurstReport& r) const {
  double turnOf[2] = {};
  double power[2] = {};
  int count[2] = {};
  const size_t len = z.z.size();
  for (size_t k = size_t(kPureBefore) + 1; k + size_t(kPureAfter) < len; ++k) {
    if (std::abs(z.z[k]) < kCarrierShare * z.env) continue;
    const int side = z.Side(k);
    bool pure = true;
    for (size_t j = k - size_t(kPureBefore); j <= k + size_t(kPureAfter) && pure; ++j) pure = z.Side(j) == side;
    if (!pure) continue;
    const int t = side > 0;
    turnOf[t] += z.turn[k];
    power[t] += std::norm(z.z[k]);
    ++count[t];
  }
  double hz[2] = {};
  for (int t = 0; t < 2; ++t)
    if (count[t] >= kFewestPure) hz[t] = z.centre + turnOf[t] / count[t] * kSampleRate / (2 * M_PI);
  if (hz[0] > 0) r.markHz = hz[0];
  if (hz[1] > 0) r.spaceHz = hz[1];
  if (hz[0] <= 0 || hz[1] <= 0) return;
  // The noise in the summed envelope, mixed and summed the same way.
  double noisePower = 0;
  if (noise) {
    int n = 0;
    for (int64_t b : noise->blocks) {
      const Baseband q = MixDown(b, b + kNoiseBlock, z.centre);
      for (size_t k = size_t(kSum); k < q.z.size(); ++k, ++n) noisePower += std::norm(q.z[k]);
    }
    noisePower /= std::max(1, n);
  }
  const double mark = power[0] / count[0] - noisePower, space = power[1] / count[1] - noisePower;
  if (mark <= 0 || space <= 0) return;
  const double gainMark = SumGain(hz[0] - z.centre), gainSpace = SumGain(hz[1] - z.centre);
  r.twistDb = 10 * std::log10((space / (gainSpace * gainSpace)) / (mark / (gainMark * gainMark)));
}

// The bit clock from where the discriminator changes tone: every change
// falls on a whole number of bits, so at the true rate they all turn the
// same way in a phasor that turns once a bit.
std::optional<double> BurstMeter::MeasureBitRate(const Baseband& z) const {
  std::vector<double> at;
  for (size_t k = 2; k + 1 < z.z.size(); ++k) {
    if (std::abs(z.z[k]) < kCarrierShare * z.env || z.Side(k) == z.Side(k - 1)) continue;
    const double a = std::fabs(z.turn[k - 1]), b = std::fabs(z.turn[k]);
    at.push_back(double(k - 1) + (a + b > 0 ? a / (a + b) : 0.5));
  }
  if (int(at.size()) < kFewestTransitions) return std::nullopt;
  const double first = kFskBitRate * (1 - kRateReach);
  const int steps = int(2 * kRateReach * kFskBitRate / kRateStep) + 1;
  std::vector<Complex> phasor(at.size()), step(at.size());
  for (size_t i = 0; i < at.size(); ++i) {
    phasor[i] = std::polar(1.0, 2 * M_PI * first * at[i] / kSampleRate);
    step[i] = std::polar(1.0, 2 * M_PI * kRateStep * at[i] / kSampleRate);
  }
  std::vector<double> agreement(static_cast<size_t>(steps));
  for (int s = 0; s < steps; ++s) {
    Complex sum;
    for (size_t i = 0; i < at.size(); ++i) {
      sum += phasor[i];
      phasor[i] *= step[i];
    }
    agreement[size_t(s)] = std::abs(sum) / double(at.size());
  }
  const int best = int(std::max_element(agreement.begin(), agreement.end()) - agreement.begin());
  if (agreement[size_t(best)] < kLeastClockAgreement) return std::nullopt;
  double fine = 0;
  if (best > 0 && best + 1 < steps) {
    const double a = agreement[size_t(best - 1)], b = agreement[size_t(best)], c = agreement[size_t(best + 1)];
    if (a - 2 * b + c < 0) fine = 0.5 * (a - c) / (a - 2 * b + c);
  }
  return first + (best + fine) * kRateStep;
}

// DTMF: each digit's two tones, by the phase each turns through between the
// halves of the digit (as the mark tone above), and their levels.
void BurstMeter::MeasureDtmf(BurstReport& r) const {
  r.layout = QStringLiteral("%1…%2")
                 .arg(QChar(r.digits.front().code))
                 .arg(r.fate == BurstFate::NoEndCode ? QString() : QString(QChar(r.digits.back().code)));
  r.start = r.digits.front().on;
  r.end = r.digits.back().off;
  std::vector<double> pairs, twists, weaker, offsets;
  for (DtmfDigit& d : r.digits) {
    double low = 0, high = 0;
    if (!DtmfKeyTones(d.code, &low, &high)) continue;
    // Inside the tones, clear of their edges.
    int64_t a = d.on + kDtmfEdge, b = d.off - kDtmfEdge;
    if (b - a < 80) {
      a = d.on;
      b = d.off;
    }
    const int64_t half = (b - a) / 2;
    auto tone = [&](double f0, std::optional<double>& hz, std::optional<double>& dbm0) {
      Complex h1, h2;
      for (int64_t i = a; i < a + 2 * half; ++i) {
        const Complex v = double(X(i)) * std::polar(1.0, -2 * M_PI * f0 * double(i % kSampleRate) / kSampleRate);
        (i < a + half ? h1 : h2) += v;
      }
      if (half <= 0 || std::abs(h1) == 0 || std::abs(h2) == 0) return;
      hz = f0 + std::arg(h2 * std::conj(h1)) * kSampleRate / (2 * M_PI * double(half));
      const double amplitude = (std::abs(h1) + std::abs(h2)) / double(half);  // 2|X|/N per half, averaged
      dbm0 = Dbm0FromMeanSquare(amplitude * amplitude / 2);
    };
    tone(low, d.lowHz, d.lowDbm0);
    tone(high, d.highHz, d.highDbm0);
    if (!d.lowDbm0 || !d.highDbm0) continue;
    d.twistDb = *d.highDbm0 - *d.lowDbm0;
    pairs.push_back(10 * std::log10(std::pow(10, *d.lowDbm0 / 10) + std::pow(10, *d.highDbm0 / 10)));
    twists.push_back(*d.twistDb);
    weaker.push_back(std::min(*d.lowDbm0, *d.highDbm0));
    const double lo = 100 * (d.lowHz.value_or(low) / low - 1), hi = 100 * (d.highHz.value_or(high) / high - 1);
    offsets.push_back(std::fabs(lo) >= std::fabs(hi) ? lo : hi);
  }
  r.levelDbm0 = pairs.empty() ? Dbm0FromMeanSquare(MeanSquare(r.start, r.end)) : MedianOf(pairs);
  if (pairs.empty()) return;
  r.twistDb = MedianOf(twists);
  r.weakerToneDbm0 = MedianOf(weaker);
  // One digit caught at its edge says little: the median digit's worse tone.
  r.toneOffsetPct = MedianOf(offsets, [](double a, double b) { return std::fabs(a) < std::fabs(b); });
}

// What a signal no receiver framed is: its spectrum over the span, in 32 ms
// frames. Two tones an FSK pair apart that hold much of its power are
// caller ID in FSK, too far off or too fast to frame: measured as a framed
// burst is, about the middle of the two. Frames each holding a low and a
// high DTMF group tone are DTMF: their offset is the one that puts the most
// frames on the keypad's tones (a shift of a tenth moves most tones onto
// their neighbours, but not the start and end codes').
void BurstMeter::RecogniseUnframed(BurstReport& r, const std::vector<Span>& busy) const {
  const int64_t from = std::max({r.start, n_ - kHistory + 1, int64_t(0)}), to = std::min(r.end, n_);
  const int frames = int((to - from) / kSpectrumFrame);
  if (frames < 2) return;
  constexpr double kLowestHz = 600, kHighestHz = 2700;
  const int bins = int((kHighestHz - kLowestHz) / kSpectrumStepHz) + 1;
  std::vector<double> total(static_cast<size_t>(bins), 0.0);
  std::vector<std::vector<double>> frame(static_cast<size_t>(frames), std::vector<double>(static_cast<size_t>(bins)));
  std::vector<double> framePower(static_cast<size_t>(frames));
  std::vector<float> w(kSpectrumFrame);
  for (int f = 0; f < frames; ++f) {
    const int64_t at = from + int64_t(f) * kSpectrumFrame;
    double p = 0;
    for (int i = 0; i < kSpectrumFrame; ++i) {
      const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / kSpectrumFrame);
      w[size_t(i)] = float(hann * X(at + i));
      p += double(X(at + i)) * X(at + i);
    }
    framePower[size_t(f)] = p / kSpectrumFrame;
    for (int b = 0; b < bins; ++b) {
      // A Hann window keeps a quarter of a tone's power at its bin's centre.
      frame[size_t(f)][size_t(b)] = 4 * TonePower(w.data(), kSpectrumFrame, kLowestHz + b * kSpectrumStepHz);
      total[size_t(b)] += frame[size_t(f)][size_t(b)];
    }
  }
  const auto hzOf = [&](int b) { return kLowestHz + b * kSpectrumStepHz; };
  // Power near a bin: its main lobe, two bins of the window either side.
  const auto near = [&](const std::vector<double>& s, int b) {
    double sum = 0;
    for (int k = std::max(0, b - 6); k <= std::min(bins - 1, b + 6); ++k) sum += s[size_t(k)];
    return sum;
  };
  double all = 0;
  for (double v : total) all += v;
  if (all <= 0) return;
  // The two strongest peaks at least a pair apart.
  const int first = int(std::max_element(total.begin(), total.end()) - total.begin());
  int second = -1;
  for (int b = 0; b < bins; ++b) {
    const double apart = std::fabs(hzOf(b) - hzOf(first));
    if (apart >= kPairLeastHz && apart <= kPairMostHz && (second < 0 || total[size_t(b)] > total[size_t(second)]))
      second = b;
  }
  if (second >= 0 && (near(total, first) + near(total, second)) >= kPairShare * all) {
    const double lowHz = hzOf(std::min(first, second)), highHz = hzOf(std::max(first, second));
    r.standard = highHz - lowHz >= kPairBetweenHz ? Standard::Bell202 : Standard::ClipV23;
    const FskTones nominal = NominalFskTones(r.standard);
    Baseband z = MixDown(from, to, (lowHz + highHz) / 2);
    MeasureTones(z, QuietLine(r.start, busy), r);
    if (const std::optional<double> rate = MeasureBitRate(z)) r.bitRate = rate;
    if (r.markHz) r.markOffsetPct = 100 * (*r.markHz / nominal.markHz - 1);
    if (r.spaceHz) r.spaceOffsetPct = 100 * (*r.spaceHz / nominal.spaceHz - 1);
    if (r.bitRate) r.bitRateOffsetPct = 100 * (*r.bitRate / kFskBitRate - 1);
    return;
  }
  // DTMF: each frame's strongest low-group and high-group tone.
  struct Pair {
    double lowHz, highHz, lowPower, highPower;
  };
  std::vector<Pair> pairs;
  for (int f = 0; f < frames; ++f) {
    int lo = -1, hi = -1;
    for (int b = 0; b < bins; ++b) {
      const double hz = hzOf(b);
      if (hz >= 620 && hz <= 1040 && (lo < 0 || frame[size_t(f)][size_t(b)] > frame[size_t(f)][size_t(lo)])) lo = b;
      if (hz >= 1080 && hz <= 1800 && (hi < 0 || frame[size_t(f)][size_t(b)] > frame[size_t(f)][size_t(hi)])) hi = b;
    }
    const double pl = frame[size_t(f)][size_t(lo)], ph = frame[size_t(f)][size_t(hi)];
    if (pl + ph >= kDtmfFrameShare * framePower[size_t(f)]) pairs.push_back({hzOf(lo), hzOf(hi), pl, ph});
  }
  if (pairs.size() < 2) return;
  double bestShift = 0;
  size_t bestCount = 0;
  for (double shift = -0.12; shift <= 0.12 + 1e-9; shift += 0.001) {
    size_t count = 0;
    for (const Pair& p : pairs) {
      bool low = false, high = false;
      for (double t : kDtmfLowHz) low = low || std::fabs(p.lowHz / (t * (1 + shift)) - 1) <= 0.012;
      for (double t : kDtmfHighHz) high = high || std::fabs(p.highHz / (t * (1 + shift)) - 1) <= 0.012;
      count += low && high;
    }
    if (count > bestCount || (count == bestCount && std::fabs(shift) < std::fabs(bestShift))) {
      bestCount = count;
      bestShift = shift;
    }
  }
  if (bestCount * 2 < pairs.size()) return;
  r.standard = Standard::ClipDtmf;
  r.toneOffsetPct = 100 * bestShift;
  std::vector<double> twists, weaker;
  for (const Pair& p : pairs) {
    twists.push_back(10 * std::log10(p.highPower / p.lowPower));
    weaker.push_back(Dbm0FromMeanSquare(std::min(p.lowPower, p.highPower)));
  }
  r.twistDb = MedianOf(twists);
  r.weakerToneDbm0 = MedianOf(weaker);
}

}  // namespace device::audio
