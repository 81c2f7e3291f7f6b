#include "device/audio/dsp/burst_meter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "device/audio/dsp/dbm0.h"
#include "device/audio/dsp/median.h"
#include "device/audio/dsp/tones.h"

namespace device::audio {
namespace {
using Complex = std::complex<double>;

// The noise before a burst: 100 ms, ending this long before the carrier
// started (the burst's own rise and the receivers' timing stay out).
constexpr int64_t kNoiseWindow = kSampleRate / 10;
constexpr int64_t kNoiseGap = kSampleRate / 50;
// A signal just before the burst (an alert tone 45 ms before the data)
// leaves at least this much line to measure.
constexpr int64_t kShortestNoise = kSampleRate / 50;
// The preamble is looked for this far before the message: the longest
// seizure and mark run with their tolerance.
constexpr double kPreambleBits = 600;
// The carrier is taken as present while its envelope stays above this share
// of the message's.
constexpr double kCarrierShare = 0.35;
// A burst no louder than the noise reads as this share of what was heard.
constexpr double kLeastSignalShare = 0.1;
// Seizures shorter than this give no tone or rate of their own; the
// receivers' figures stand.
constexpr double kSeizureForFigures = 40;
// Chunks the seizure's bit clock is followed over: the clock's phase moves
// little within one, and 25 Hz of alternation either way stays unambiguous.
constexpr int kClockChunk = 160;
// The DTMF receiver times a digit to within a window of its detector at
// either edge; the tones are measured this far inside them.
constexpr int64_t kDtmfEdge = 128;

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

}  // namespace

BurstMeter::BurstMeter() : x_(kHistory, 0.f), raw_(kHistory, 0) {}

void BurstMeter::Feed(const int16_t* raw, const float* band, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const size_t at = size_t((n_ + int64_t(i)) & (kHistory - 1));
    x_[at] = band[i];
    raw_[at] = raw[i];
  }
  n_ += int64_t(count);
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

double BurstMeter::MeanSquare(int64_t from, int64_t to) const {
  from = std::max({from, n_ - kHistory + 1, int64_t(0)});
  to = std::min(to, n_);
  if (to <= from) return 0;
  double sum = 0;
  for (int64_t i = from; i < to; ++i) sum += double(X(i)) * X(i);
  return sum / double(to - from);
}

double BurstMeter::NoiseMeanSquare(int64_t burstStart, int64_t quietFrom) const {
  const int64_t to = burstStart - kNoiseGap;
  return MeanSquare(std::max(to - kNoiseWindow, std::min(quietFrom, to - kShortestNoise)), to);
}

void BurstMeter::Measure(BurstReport& r, int64_t quietFrom) const {
  if (r.standard == Standard::ClipDtmf)
    MeasureDtmf(r);
  else
    MeasureFsk(r, quietFrom);
  // The burst's own level: the noise under it taken off, while there is
  // more burst than noise to tell.
  const double noise = NoiseMeanSquare(r.start, quietFrom);
  const double total = MeanSquareForDbm0(r.levelDbm0);
  r.noiseDbm0 = Dbm0FromMeanSquare(noise);
  if (r.standard != Standard::ClipDtmf)
    r.levelDbm0 = Dbm0FromMeanSquare(std::max(total - noise, kLeastSignalShare * total));
  r.snrDb = r.levelDbm0 - *r.noiseDbm0;
  MeasureBelowBand(r);
}

BurstReport BurstMeter::MeasureUnframed(int64_t start, int64_t end, int64_t quietFrom) const {
  BurstReport r;
  r.fate = BurstFate::NotFramed;
  r.start = r.messageStart = start;
  r.end = end;
  const double noise = NoiseMeanSquare(start, quietFrom);
  const double total = MeanSquare(start, end);
  r.noiseDbm0 = Dbm0FromMeanSquare(noise);
  r.levelDbm0 = Dbm0FromMeanSquare(std::max(total - noise, kLeastSignalShare * total));
  r.snrDb = r.levelDbm0 - *r.noiseDbm0;
  MeasureBelowBand(r);
  return r;
}

// FSK: the burst mixed down to the middle of its two tones. There the mark
// turns one way and the space the other, so the phase the signal turns
// through says the frequency over any stretch, and its envelope says where
// the carrier is. The mark run gives the mark tone; a seizure (alternating
// bits, as many of each) gives the middle, hence the space tone, and its bit
// clock the rate.
struct BurstMeter::Baseband {
  int64_t lo = 0;                          // sample position of z[0]
  double centre = 0, bit = 0;              // the mixing frequency; samples per bit
  int b1 = 1;                              // one bit, in whole samples
  std::vector<Complex> z;                  // mixed down, summed over 8 samples
  std::vector<double> turn;                // phase turned from the sample before, radians
  size_t msg = 0;                          // the message's first sample
  size_t markStart = 0, carrierStart = 0;  // where the mark run and the seizure begin
  double env = 0;                          // the carrier's envelope over the message

  // Mean frequency over [a, b).
  double Hz(size_t a, size_t b) const {
    double t = 0;
    for (size_t k = a + 1; k < b; ++k) t += turn[k];
    return b > a + 1 ? centre + t * kSampleRate / (2 * M_PI * double(b - a - 1)) : 0.0;
  }
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

void BurstMeter::MeasureFsk(BurstReport& r, int64_t quietFrom) const {
  const FskTones nominal = NominalFskTones(r.standard);
  Baseband z;
  z.centre = (nominal.markHz + nominal.spaceHz) / 2;
  z.bit = kSampleRate / r.readingBitRate.value_or(kFskBitRate);
  r.layout = FskLayout(r.messageType);
  r.bitRate = r.readingBitRate;
  r.markHz = r.readingMarkHz;

  int64_t end = r.end;
  if (r.bytesRead > 0) end = std::min(end, r.messageStart + int64_t(std::lround(r.bytesRead * 10 * z.bit)));
  z.lo = std::max({r.messageStart - int64_t(kPreambleBits * z.bit), n_ - kHistory + 16, int64_t(8)});
  if (end <= z.lo + 16 || r.messageStart <= z.lo) {
    r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(r.messageStart, end));
    return;
  }
  // Baseband over [lo, end): mixed down, summed over 8 samples (a null at
  // 1 kHz and its multiples takes the mixing's image away).
  const size_t len = size_t(end - z.lo);
  z.z.resize(len);
  Complex acc;
  std::vector<Complex> mixed(len);
  for (size_t k = 0; k < len; ++k) {
    const int64_t i = z.lo + int64_t(k);
    mixed[k] = double(X(i)) * std::polar(1.0, -2 * M_PI * z.centre * double(i % kSampleRate) / kSampleRate);
    acc += mixed[k];
    if (k >= 8) acc -= mixed[k - 8];
    z.z[k] = acc;
  }
  z.turn.assign(len, 0.0);
  for (size_t k = 1; k < len; ++k) z.turn[k] = std::arg(z.z[k] * std::conj(z.z[k - 1]));
  z.msg = size_t(r.messageStart - z.lo);
  for (size_t k = z.msg; k < len; ++k) z.env += std::abs(z.z[k]);
  z.env /= double(len - z.msg);
  z.b1 = std::max(1, int(std::lround(z.bit)));

  MeasurePreamble(z, r);
  r.start = z.lo + int64_t(z.carrierStart);
  r.end = end;
  r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(r.start, end));
  if (*r.markBits >= 8) r.markHz = z.Hz(z.markStart + size_t(2 * z.b1), z.msg - size_t(z.b1));
  if (*r.seizureBits >= kSeizureForFigures) MeasureSeizure(z, r);
  if (*r.markBits >= 8 && *r.seizureBits >= kSeizureForFigures) MeasureTwist(z, quietFrom, r);

  if (r.markHz && *r.markHz > 0) r.markOffsetPct = 100 * (*r.markHz / nominal.markHz - 1);
  if (r.spaceHz && *r.spaceHz > 0) r.spaceOffsetPct = 100 * (*r.spaceHz / nominal.spaceHz - 1);
  if (r.bitRate && *r.bitRate > 0) r.bitRateOffsetPct = 100 * (*r.bitRate / kFskBitRate - 1);
}

// The mark run: back from the message while the tone stays on the mark
// side and the carrier is there. The seizure: back from the mark run while
// the carrier is there. The smoothing reaches a bit or two back; the
// figures are in bits.
void BurstMeter::MeasurePreamble(Baseband& z, BurstReport& r) const {
  z.markStart = z.msg;
  while (z.markStart > size_t(z.b1) && z.SmoothTurn(z.markStart - 1) < 0 &&
         z.SmoothEnv(z.markStart - 1) >= kCarrierShare * z.env)
    --z.markStart;
  z.carrierStart = z.markStart;
  while (z.carrierStart > size_t(2 * z.b1) && z.SmoothEnv(z.carrierStart - 1) >= kCarrierShare * z.env)
    --z.carrierStart;
  r.markBits = double(z.msg - z.markStart) / z.bit;
  r.seizureBits = std::max(0.0, double(z.markStart - z.carrierStart) / z.bit - 1);
}

// Whole pairs of bits of the seizure, clear of its edges: their mean tone is
// the middle of mark and space, and the discriminator alternates at half the
// bit rate, whose phase, followed chunk by chunk, gives the bit clock.
void BurstMeter::MeasureSeizure(const Baseband& z, BurstReport& r) const {
  const size_t a = z.carrierStart + size_t(4 * z.b1);
  const size_t b = z.markStart - size_t(2 * z.b1);
  const double pairs = std::floor(double(b - a) / (2 * z.bit));
  const double middle = z.Hz(a, a + size_t(std::lround(pairs * 2 * z.bit)));
  r.spaceHz = 2 * middle - r.markHz.value_or(0);
  const double f0 = r.readingBitRate ? *r.readingBitRate / 2 : kFskBitRate / 2;
  std::vector<double> phase;
  for (size_t c = a; c + kClockChunk <= b; c += kClockChunk) {
    Complex s;
    for (size_t k = c; k < c + kClockChunk; ++k)
      s += (z.turn[k] - (middle - z.centre) * 2 * M_PI / kSampleRate) *
           std::polar(1.0, -2 * M_PI * f0 * double(k) / kSampleRate);
    double p = std::arg(s);
    if (!phase.empty()) p = phase.back() + std::remainder(p - phase.back(), 2 * M_PI);
    phase.push_back(p);
  }
  if (phase.size() < 3) return;
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  const double count = double(phase.size());
  for (size_t k = 0; k < phase.size(); ++k) {
    sx += double(k);
    sy += phase[k];
    sxx += double(k) * double(k);
    sxy += double(k) * phase[k];
  }
  const double slope = (count * sxy - sx * sy) / (count * sxx - sx * sx);  // radians a chunk
  r.bitRate = 2 * (f0 + slope * kSampleRate / (2 * M_PI * kClockChunk));
}

// Twist: the mark run is the mark tone alone; the seizure holds as much of
// either tone, so its power less half the mark's is half the space's. The
// noise under both is taken off first.
void BurstMeter::MeasureTwist(const Baseband& z, int64_t quietFrom, BurstReport& r) const {
  const double noise = NoiseMeanSquare(r.start, quietFrom);
  const double mark = MeanSquare(z.lo + int64_t(z.markStart) + 2 * z.b1, r.messageStart - z.b1) - noise;
  const double seizure = MeanSquare(r.start + 4 * z.b1, z.lo + int64_t(z.markStart) - 2 * z.b1) - noise;
  if (mark > 0 && 2 * seizure - mark > 0) r.twistDb = 10 * std::log10((2 * seizure - mark) / mark);
}

// DTMF: each digit's two tones, by the phase each turns through between the
// halves of the digit (as the mark tone above), and their levels.
void BurstMeter::MeasureDtmf(BurstReport& r) const {
  r.layout = QStringLiteral("%1…%2")
                 .arg(QChar(r.digits.front().code))
                 .arg(r.fate == BurstFate::NoEndCode ? QString() : QString(QChar(r.digits.back().code)));
  r.start = r.digits.front().on;
  r.end = r.digits.back().off;
  std::vector<double> pairs, twists;
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
  }
  r.levelDbm0 = pairs.empty() ? Dbm0FromMeanSquare(MeanSquare(r.start, r.end)) : MedianOf(pairs);
  if (!twists.empty()) r.twistDb = MedianOf(twists);
}

}  // namespace device::audio
