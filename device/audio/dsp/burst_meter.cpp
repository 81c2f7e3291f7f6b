#include "device/audio/dsp/burst_meter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "device/audio/dsp/dbm0.h"

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
    case 0x82: return QStringLiteral("MDMF");
    case 0x04:
    case 0x06: return QStringLiteral("SDMF");
    case 0x90: return QStringLiteral("DLE");
    default: return QStringLiteral("0x%1").arg(type, 2, 16, QLatin1Char('0'));
  }
}

// The nominal tones of a DTMF key.
bool DtmfTones(char code, double* low, double* high) {
  static const char* kKeys = "123A456B789C*0#D";
  static const double kLow[] = {697, 770, 852, 941}, kHigh[] = {1209, 1336, 1477, 1633};
  const char* k = code ? std::strchr(kKeys, code) : nullptr;
  if (!k) return false;
  const int i = int(k - kKeys);
  *low = kLow[i / 4];
  *high = kHigh[i % 4];
  return true;
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

BurstReport BurstMeter::Measure(const BurstMeasurement& m, int64_t quietFrom) const {
  BurstReport r;
  r.standard = m.standard;
  r.message = m.message;
  r.fate = m.fate;
  r.quality = m.quality;
  r.bytesRead = m.bytesRead;
  r.bytesExpected = m.bytesExpected;
  r.start = r.messageStart = m.start;
  r.end = m.end;
  if (m.standard == Standard::ClipDtmf)
    MeasureDtmf(m, r);
  else
    MeasureFsk(m, quietFrom, r);
  // The burst's own level: the noise under it taken off, while there is
  // more burst than noise to tell.
  const double noise = NoiseMeanSquare(r.start, quietFrom);
  const double total = MeanSquareForDbm0(r.levelDbm0);
  r.noiseDbm0 = Dbm0FromMeanSquare(noise);
  if (m.standard != Standard::ClipDtmf)
    r.levelDbm0 = Dbm0FromMeanSquare(std::max(total - noise, kLeastSignalShare * total));
  r.snrDb = r.levelDbm0 - r.noiseDbm0;
  MeasureBelowBand(r);
  return r;
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
  r.snrDb = r.levelDbm0 - r.noiseDbm0;
  MeasureBelowBand(r);
  return r;
}

// FSK: the burst mixed down to the middle of its two tones. There the mark
// turns one way and the space the other, so the phase the signal turns
// through says the frequency over any stretch, and its envelope says where
// the carrier is. The mark run gives the mark tone; a seizure (alternating
// bits, as many of each) gives the middle, hence the space tone, and its bit
// clock the rate.
void BurstMeter::MeasureFsk(const BurstMeasurement& m, int64_t quietFrom, BurstReport& r) const {
  const bool bell = m.standard == Standard::Bell202;
  const double nominalMark = bell ? 1200 : 1300, nominalSpace = bell ? 2200 : 2100;
  const double centre = (nominalMark + nominalSpace) / 2;
  const double bit = kSampleRate / (m.bitRate > 0 ? m.bitRate : 1200.0);
  r.layout = FskLayout(m.messageType);
  r.bitRate = m.bitRate;
  r.markHz = m.markHz;

  int64_t end = m.end;
  if (m.bytesRead > 0) end = std::min(end, m.start + int64_t(std::lround(m.bytesRead * 10 * bit)));
  const int64_t lo = std::max({m.start - int64_t(kPreambleBits * bit), n_ - kHistory + 16, int64_t(8)});
  if (end <= lo + 16 || m.start <= lo) {
    r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(m.start, end));
    return;
  }
  // Baseband over [lo, end): mixed down, summed over 8 samples (a null at
  // 1 kHz and its multiples takes the mixing's image away).
  const size_t len = size_t(end - lo);
  std::vector<Complex> z(len);
  Complex acc;
  std::vector<Complex> mixed(len);
  for (size_t k = 0; k < len; ++k) {
    const int64_t i = lo + int64_t(k);
    mixed[k] = double(X(i)) * std::polar(1.0, -2 * M_PI * centre * double(i % kSampleRate) / kSampleRate);
    acc += mixed[k];
    if (k >= 8) acc -= mixed[k - 8];
    z[k] = acc;
  }
  std::vector<double> turn(len, 0.0);  // phase turned from the sample before, radians
  for (size_t k = 1; k < len; ++k) turn[k] = std::arg(z[k] * std::conj(z[k - 1]));
  auto hz = [&](size_t a, size_t b) {  // mean frequency over [a, b)
    double t = 0;
    for (size_t k = a + 1; k < b; ++k) t += turn[k];
    return b > a + 1 ? centre + t * kSampleRate / (2 * M_PI * double(b - a - 1)) : 0.0;
  };
  const size_t msg = size_t(m.start - lo);
  double env = 0;
  for (size_t k = msg; k < len; ++k) env += std::abs(z[k]);
  env /= double(len - msg);
  const int b1 = std::max(1, int(std::lround(bit)));
  auto smoothTurn = [&](size_t k) {  // over one bit before k
    double t = 0;
    for (size_t j = k + 1 - size_t(std::min<size_t>(k, size_t(b1))); j <= k; ++j) t += turn[j];
    return t / b1;
  };
  auto smoothEnv = [&](size_t k) {  // over two bits before k
    double e = 0;
    const size_t from = k >= size_t(2 * b1) ? k - size_t(2 * b1) : 0;
    for (size_t j = from; j <= k; ++j) e += std::abs(z[j]);
    return e / double(k - from + 1);
  };
  // The mark run: back from the message while the tone stays on the mark
  // side and the carrier is there.
  size_t markStart = msg;
  while (markStart > size_t(b1) && smoothTurn(markStart - 1) < 0 && smoothEnv(markStart - 1) >= kCarrierShare * env)
    --markStart;
  // The seizure: back from the mark run while the carrier is there.
  size_t carrierStart = markStart;
  while (carrierStart > size_t(2 * b1) && smoothEnv(carrierStart - 1) >= kCarrierShare * env) --carrierStart;
  // The smoothing reaches a bit or two back; the figures above are in bits.
  r.markBits = double(msg - markStart) / bit;
  r.seizureBits = std::max(0.0, double(markStart - carrierStart) / bit - 1);
  r.start = lo + int64_t(carrierStart);
  r.end = end;
  r.levelDbm0 = Dbm0FromMeanSquare(MeanSquare(r.start, end));

  if (r.markBits >= 8) r.markHz = hz(markStart + size_t(2 * b1), msg - size_t(b1));
  if (r.seizureBits >= kSeizureForFigures) {
    // Whole pairs of bits of the seizure, clear of its edges.
    const size_t a = carrierStart + size_t(4 * b1);
    const size_t b = markStart - size_t(2 * b1);
    const double pairs = std::floor(double(b - a) / (2 * bit));
    const double middle = hz(a, a + size_t(std::lround(pairs * 2 * bit)));
    r.spaceHz = 2 * middle - r.markHz;
    // The bit clock: the discriminator alternates at half the bit rate;
    // follow its phase chunk by chunk and take the slope.
    const double f0 = m.bitRate > 0 ? m.bitRate / 2 : 600.0;
    std::vector<double> phase;
    for (size_t c = a; c + kClockChunk <= b; c += kClockChunk) {
      Complex s;
      for (size_t k = c; k < c + kClockChunk; ++k)
        s += (turn[k] - (middle - centre) * 2 * M_PI / kSampleRate) *
             std::polar(1.0, -2 * M_PI * f0 * double(k) / kSampleRate);
      double p = std::arg(s);
      if (!phase.empty()) p = phase.back() + std::remainder(p - phase.back(), 2 * M_PI);
      phase.push_back(p);
    }
    if (phase.size() >= 3) {
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
  }
  // Twist: the mark run is the mark tone alone; the seizure holds as much
  // of either tone, so its power less half the mark's is half the space's.
  // The noise under both is taken off first.
  if (r.markBits >= 8 && r.seizureBits >= kSeizureForFigures) {
    const double noise = NoiseMeanSquare(r.start, quietFrom);
    const double mark = MeanSquare(lo + int64_t(markStart) + 2 * b1, m.start - b1) - noise;
    const double seizure = MeanSquare(r.start + 4 * b1, lo + int64_t(markStart) - 2 * b1) - noise;
    if (mark > 0 && 2 * seizure - mark > 0) r.twistDb = 10 * std::log10((2 * seizure - mark) / mark);
  }

  if (r.markHz > 0) r.markOffsetPct = 100 * (r.markHz / nominalMark - 1);
  if (r.spaceHz > 0) r.spaceOffsetPct = 100 * (r.spaceHz / nominalSpace - 1);
  if (r.bitRate > 0) r.bitRateOffsetPct = 100 * (r.bitRate / 1200 - 1);
}

// DTMF: each digit's two tones, by the phase each turns through between the
// halves of the digit (as the mark tone above), and their levels.
void BurstMeter::MeasureDtmf(const BurstMeasurement& m, BurstReport& r) const {
  const DtmfDigit& first = m.digits.front();
  r.layout = QStringLiteral("%1…%2")
                 .arg(QChar(first.code))
                 .arg(r.fate == BurstFate::NoEndCode ? QString() : QString(QChar(m.digits.back().code)));
  r.start = first.on;
  r.end = m.digits.back().off;
  std::vector<double> pairs, twists;
  for (const DtmfDigit& d : m.digits) {
    DtmfDigitReport dr;
    dr.code = d.code;
    dr.on = d.on;
    dr.off = d.off;
    double low = 0, high = 0;
    if (DtmfTones(d.code, &low, &high)) {
      // Inside the tones, clear of their edges.
      int64_t a = d.on + kDtmfEdge, b = d.off - kDtmfEdge;
      if (b - a < 80) {
        a = dr.on;
        b = dr.off;
      }
      const int64_t half = (b - a) / 2;
      auto tone = [&](double f0, double* hz, double* dbm0) {
        Complex h1, h2;
        for (int64_t i = a; i < a + 2 * half; ++i) {
          const Complex v = double(X(i)) * std::polar(1.0, -2 * M_PI * f0 * double(i % kSampleRate) / kSampleRate);
          (i < a + half ? h1 : h2) += v;
        }
        if (half <= 0 || std::abs(h1) == 0 || std::abs(h2) == 0) return;
        *hz = f0 + std::arg(h2 * std::conj(h1)) * kSampleRate / (2 * M_PI * double(half));
        const double amplitude = (std::abs(h1) + std::abs(h2)) / double(half);  // 2|X|/N per half, averaged
        *dbm0 = Dbm0FromMeanSquare(amplitude * amplitude / 2);
      };
      tone(low, &dr.lowHz, &dr.lowDbm0);
      tone(high, &dr.highHz, &dr.highDbm0);
      dr.twistDb = dr.highDbm0 - dr.lowDbm0;
      pairs.push_back(10 * std::log10(std::pow(10, dr.lowDbm0 / 10) + std::pow(10, dr.highDbm0 / 10)));
      twists.push_back(dr.twistDb);
    }
    r.digits.push_back(dr);
  }
  auto median = [](std::vector<double> v) {
    if (v.empty()) return 0.0;
    std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
    return v[v.size() / 2];
  };
  r.levelDbm0 = pairs.empty() ? Dbm0FromMeanSquare(MeanSquare(r.start, r.end)) : median(pairs);
  r.twistDb = median(twists);
}

}  // namespace device::audio
