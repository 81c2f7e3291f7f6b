#include "device/audio/dsp/burst_meter.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/fsk_tone_meter.h"
#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tones.h"
#include "device/audio/dsp/unframed_signal.h"

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
// A signal whose louder half holds this much more than its quieter half
// sounds in bursts with gaps between.
constexpr double kGapped = 1.5;
// Fewer quiet blocks than this say nothing about the noise; this many (half
// a second) say enough.
constexpr size_t kFewestQuietBlocks = 3;
constexpr size_t kEnoughQuietBlocks = 25;
// A burst no louder than the noise reads as this share of what was heard.
constexpr double kLeastSignalShare = 0.1;
// The preamble is looked for this far before the message: the longest
// seizure and mark run with their tolerance.
constexpr double kPreambleBits = 600;
// The carrier is taken as present while its envelope stays above this share
// of the message's.
constexpr double kCarrierShare = 0.35;
// The mixed-down signal is summed over this many samples for the preamble
// (a null at 1 kHz and its multiples takes the mixing's image away).
constexpr int kSum = 8;
// Bell 202's space is 1.83 times its mark, V.23's 1.62: between them.
constexpr double kBetweenRatios = 1.72;
// A bit clock within this share of 1200 bit/s moved no tone (an exchange's
// 1 % and a sound card's).
constexpr double kClockOnTime = 0.02;
// An alternating signal longer than any standard's seizure (330 bits) is a
// message whose tones the spectrum blurred (a fast bit clock spreads them)
// when its tones change no more often than this share of its bits.
constexpr double kLongestSeizureBits = 400;
constexpr double kMessageTonesPerBit = 0.75;
// Beyond this twist the preamble's lengths are not measured.
constexpr double kPreambleTwistDb = 10;
// The DTMF receiver times a digit to within a window of its detector at
// either edge; the tones are measured this far inside them.
constexpr int64_t kDtmfEdge = 128;
// V.23 and Bell 202 send the same bytes, so the tones say which it was.
// With the bit clock off, a clock moved everything, and the tones' ratio
// (which no clock error moves) tells; with it on time, the standard whose
// tones lie nearer (a V.23 space 8 % high has Bell 202's ratio).
Standard FskStandardOfTones(double markHz, double spaceHz, std::optional<double> bitRate) {
  if (!bitRate || std::fabs(*bitRate / kFskBitRate - 1) > kClockOnTime)
    return spaceHz / markHz > kBetweenRatios ? Standard::Bell202 : Standard::ClipV23;
  const auto distance = [&](Standard st) {
    const FskTones t = NominalFskTones(st);
    return std::fabs(std::log(markHz / t.markHz)) + std::fabs(std::log(spaceHz / t.spaceHz));
  };
  return distance(Standard::Bell202) < distance(Standard::ClipV23) ? Standard::Bell202 : Standard::ClipV23;
}

// Each FSK figure against its standard's nominal one.
void FskOffsets(BurstReport& r) {
  const FskTones nominal = NominalFskTones(r.standard);
  if (r.markHz && *r.markHz > 0) r.markOffsetPct = 100 * (*r.markHz / nominal.markHz - 1);
  if (r.spaceHz && *r.spaceHz > 0) r.spaceOffsetPct = 100 * (*r.spaceHz / nominal.spaceHz - 1);
  if (r.bitRate && *r.bitRate > 0) r.bitRateOffsetPct = 100 * (*r.bitRate / kFskBitRate - 1);
}

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
};

BurstMeter::BurstMeter() : x_(kHistory, 0.f), raw_(kHistory, 0), lowPass_(Butterworth<2>::LowPass(3400.0)) {}

void BurstMeter::Feed(const int16_t* raw, const float* band, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const double v = lowPass_.Step(band[i]);
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
  // Blocks on a fixed grid, so the same audio gives the same noise; back from
  // the burst, the nearest first, until enough of the line is heard (the line
  // as it is now, not as it was seconds ago).
  for (int64_t b = (to - kNoiseBlock) / kNoiseBlock * kNoiseBlock; b >= from && blocks.size() < kEnoughQuietBlocks;
       b -= kNoiseBlock) {
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

void BurstMeter::Measure(BurstReport& r, const std::vector<Span>& busy, bool standardFixed) const {
  if (r.standard == Standard::ClipDtmf)
    MeasureDtmf(r);
  else
    MeasureFsk(r, busy, standardFixed);
  MeasureLevel(r, busy);
  MeasureBelowBand(r);
}

BurstReport BurstMeter::MeasureUnframed(int64_t start, int64_t end, const std::vector<Span>& busy) const {
  BurstReport r;
  r.fate = BurstFate::NotFramed;
  r.start = r.messageStart = start;
  r.end = end;
  r.levelDbm0 = Dbm0FromMeanSquare(SoundingMeanSquare(start, end));
  MeasureLevel(r, busy);
  MeasureBelowBand(r);
  RecogniseUnframed(r, busy);
  return r;
}

// The signal's power while it sounds: a signal in bursts (DTMF digits and
// their gaps) is measured over its louder half, one that sounds throughout
// over all of it.
double BurstMeter::SoundingMeanSquare(int64_t from, int64_t to) const {
  std::vector<double> blocks;
  for (int64_t b = from; b + kNoiseBlock <= to; b += kNoiseBlock) blocks.push_back(MeanSquare(b, b + kNoiseBlock));
  const double all = MeanSquare(from, to);
  if (blocks.size() < 4) return all;
  std::sort(blocks.begin(), blocks.end());
  const size_t half = blocks.size() / 2;
  double low = 0, high = 0;
  for (size_t i = 0; i < blocks.size(); ++i) (i < half ? low : high) += blocks[i];
  low /= double(half);
  high /= double(blocks.size() - half);
  return high > kGapped * low ? high : all;
}

std::vector<float> BurstMeter::Band(int64_t from, int64_t to) const {
  std::vector<float> x(size_t(std::max<int64_t>(0, to - from)));
  for (size_t i = 0; i < x.size(); ++i) x[i] = X(from + int64_t(i));
  return x;
}

std::vector<std::vector<float>> BurstMeter::QuietBand(int64_t before, const std::vector<Span>& busy) const {
  std::vector<std::vector<float>> blocks;
  if (const std::optional<Noise> noise = QuietLine(before, busy))
    for (int64_t b : noise->blocks) blocks.push_back(Band(b, b + kNoiseBlock));
  return blocks;
}

void BurstMeter::TakeTones(const FskToneFigures& f, BurstReport& r) const {
  if (f.markHz) r.markHz = f.markHz;
  if (f.spaceHz) r.spaceHz = f.spaceHz;
  if (f.twistDb) r.twistDb = f.twistDb;
  if (f.bitRate) r.bitRate = f.bitRate;
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
void BurstMeter::MeasureFsk(BurstReport& r, const std::vector<Span>& busy, bool standardFixed) const {
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
  const FskToneFigures f =
      FskToneMeter::Measure(Band(r.start, end), nominal.markHz, nominal.spaceHz, QuietBand(r.start, busy));
  TakeTones(f, r);
  // The preamble is read off the discriminator between the tones, which a
  // tone far louder than the other rules throughout (so much louder that the
  // weaker is never heard alone, or by more than the twist here): its
  // lengths say nothing then.
  if (!r.markHz || !r.spaceHz || (r.twistDb && std::fabs(*r.twistDb) > kPreambleTwistDb))
    r.markBits = r.seizureBits = std::nullopt;
  if (!standardFixed && r.markHz && r.spaceHz && (r.standard == Standard::ClipV23 || r.standard == Standard::Bell202)) {
    r.standard = FskStandardOfTones(*r.markHz, *r.spaceHz, r.bitRate);
    if (r.message) r.message->standard = r.standard;
  }
  FskOffsets(r);
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

void BurstMeter::TakeFskFigures(Standard standard, const FskToneFigures& f, BurstReport& r) const {
  r.standard = standard;
  TakeTones(f, r);
  FskOffsets(r);
}

// What a signal no receiver framed is (unframed_signal.h), and the figures
// of its standard, as for a framed burst.
void BurstMeter::RecogniseUnframed(BurstReport& r, const std::vector<Span>& busy) const {
  const int64_t from = std::max({r.start, n_ - kHistory + 1, int64_t(0)}), to = std::min(r.end, n_);
  const std::vector<float> x = Band(from, to);
  const UnframedSignal u = UnframedSignal::Of(x);
  switch (u.kind) {
    case UnframedSignal::Kind::FskPair:
      TakeFskFigures(u.standard, FskToneMeter::Measure(x, u.lowHz, u.highHz, QuietBand(r.start, busy)), r);
      break;
    case UnframedSignal::Kind::Seizure: {
      const double bits = double(to - from) * kFskBitRate / kSampleRate;
      if (bits > kLongestSeizureBits) {
        // V.23's tones first; those heard say which standard it is (as for a
        // framed burst), and Bell 202's are then measured at their own places.
        const auto measure = [&](Standard st) {
          const FskTones t = NominalFskTones(st);
          return FskToneMeter::Measure(x, t.markHz, t.spaceHz, QuietBand(r.start, busy));
        };
        Standard best = Standard::ClipV23;
        FskToneFigures f = measure(best);
        if (f.markHz && f.spaceHz && FskStandardOfTones(*f.markHz, *f.spaceHz, f.bitRate) == Standard::Bell202)
          f = measure(best = Standard::Bell202);
        if (f.bitRate && f.tonesPerBit < kMessageTonesPerBit) {
          TakeFskFigures(best, f, r);
          break;
        }
      }
      // The burst stopped before its message began.
      r.standard = u.standard;
      r.seizureBits = bits;
      break;
    }
    case UnframedSignal::Kind::Dtmf:
      r.standard = Standard::ClipDtmf;
      r.toneOffsetPct = u.toneOffsetPct;
      r.twistDb = u.twistDb;
      r.weakerToneDbm0 = u.weakerToneDbm0;
      break;
    case UnframedSignal::Kind::Unknown: break;
  }
}

}  // namespace device::audio
