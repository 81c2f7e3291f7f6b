#include "tools/audio/signal_generator.h"

#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES
extern "C" {
#include <spandsp.h>
}

#include <QFile>
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>

#include "device/audio/dsp/spandsp_standard.h"
#include "device/audio/dsp/tones.h"
#include "platform/codepage.h"

namespace audiogen {
namespace {

using Absence = device::audio::CallerIdMessage::Absence;
constexpr double kFullScaleDbm0 = 3.14 + 3.02;

int16_t Saturate(double v) { return int16_t(std::clamp(std::lround(v), -32768L, 32767L)); }

double RmsForDbm0(double dbm0) { return 32768.0 * std::pow(10.0, (dbm0 - kFullScaleDbm0) / 20.0); }

QByteArray DateTimeText(const CallBurst& c) {
  return QString::asprintf("%02d%02d%02d%02d", c.month, c.day, c.hour, c.minute).toLatin1();
}

QByteArray DtmfDigits(const CallBurst& c) {
  if (c.dtmfHashVariant) {
    if (c.absence == Absence::Withheld) return "D1#";
    if (c.absence == Absence::Unavailable) return "D3#";
    return "A" + c.number.toLatin1() + "#";
  }
  if (c.absence == Absence::Withheld) return "B10C";
  if (c.absence == Absence::Unavailable) return "B00C";
  QByteArray digits = c.dtmfStart + c.number.toLatin1();
  if (!c.dtmfRedirecting.isEmpty()) digits += "D" + c.dtmfRedirecting.toLatin1();
  if (!c.dtmfInfo.isEmpty()) digits += "B" + c.dtmfInfo.toLatin1();
  return digits + "C";
}

QByteArray FskMessage(const CallBurst& c, adsi_tx_state_t* tx) {
  uint8_t msg[256];
  int len = 0;
  // spandsp doubles a field length of 16 (the Japanese layout's DLE) in every
  // layout; the others are written here as they go on the line.
  auto add = [&](uint8_t type, const QByteArray& body) {
    if (c.standard == Standard::JapanV23 || len == 0) {
      len = adsi_add_field(tx, msg, len, type, reinterpret_cast<const uint8_t*>(body.constData()), int(body.size()));
      return;
    }
    if (type != 0) msg[len++] = type, msg[len++] = uint8_t(body.size());
    for (char b : body) msg[len++] = uint8_t(b);
  };
  const char absenceCode = c.absence == Absence::Withheld ? 'P' : 'O';
  if (c.standard == Standard::JapanV23) {
    add(JCLIP_MDMF_CALLERID, {});
    if (c.absence == Absence::None)
      add(JCLIP_CALLER_NUMBER, c.number.toLatin1());
    else
      add(JCLIP_ABSENCE, QByteArray(1, absenceCode));
  } else if (c.sdmf) {
    add(CLASS_SDMF_CALLERID, {});
    add(0, DateTimeText(c) + (c.absence == Absence::None ? c.number.toLatin1() : QByteArray(1, absenceCode)));
  } else {
    add(CLIP_MDMF_CALLERID, {});
    if (c.month > 0) add(CLIP_DATETIME, DateTimeText(c));
    if (c.absence == Absence::None)
      add(CLIP_CALLER_NUMBER, c.number.toLatin1());
    else
      add(CLIP_ABSENCE1, QByteArray(1, absenceCode));
    if (!c.name.isEmpty()) add(CLIP_CALLER_NAME, platform::ToAnsi(c.name));
  }
  return QByteArray(reinterpret_cast<const char*>(msg), std::max(len, 0));
}

// Gain that brings the louder part of `s` (20 ms frames above a tenth of the
// loudest frame's power: the carrier, or the tone pairs without their gaps)
// to `levelDbm0`.
double GainToLevel(const Samples& s, double levelDbm0) {
  constexpr size_t kFrame = 160;
  std::vector<double> powers;
  for (size_t i = 0; i + kFrame <= s.size(); i += kFrame) {
    double p = 0;
    for (size_t j = i; j < i + kFrame; ++j) p += double(s[j]) * s[j];
    powers.push_back(p / kFrame);
  }
  if (powers.empty()) return 1.0;
  const double peak = *std::max_element(powers.begin(), powers.end());
  double sum = 0;
  int n = 0;
  for (double p : powers)
    if (p > peak / 10) sum += p, ++n;
  if (n == 0 || sum <= 0) return 1.0;
  return RmsForDbm0(levelDbm0) / std::sqrt(sum / n);
}

// Second-order sections (audio-EQ cookbook forms), run in double.
struct Biquad {
  double b0, b1, b2, a1, a2, z1 = 0, z2 = 0;
  double Run(double v) {
    const double y = b0 * v + z1;
    z1 = b1 * v - a1 * y + z2;
    z2 = b2 * v - a2 * y;
    return y;
  }
};

Biquad Section(const char* kind, double hz, double q, double gainDb = 0) {
  const double w = 2 * M_PI * hz / 8000.0, cw = std::cos(w), alpha = std::sin(w) / (2 * q);
  const double a = std::pow(10.0, gainDb / 40);
  double b0, b1, b2, a0 = 1 + alpha, a1 = -2 * cw, a2 = 1 - alpha;
  if (kind[0] == 'h') {
    b0 = b2 = (1 + cw) / 2;
    b1 = -(1 + cw);
  } else if (kind[0] == 'l') {
    b0 = b2 = (1 - cw) / 2;
    b1 = 1 - cw;
  } else {  // high shelf
    const double s = 2 * std::sqrt(a) * alpha;
    b0 = a * ((a + 1) + (a - 1) * cw + s);
    b1 = -2 * a * ((a - 1) + (a + 1) * cw);
    b2 = a * ((a + 1) + (a - 1) * cw - s);
    a0 = (a + 1) - (a - 1) * cw + s;
    a1 = 2 * ((a - 1) - (a + 1) * cw);
    a2 = (a + 1) - (a - 1) * cw - s;
  }
  return {b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

void RunSections(Samples& s, std::vector<Biquad> sections) {
  for (int16_t& v : s) {
    double x = v;
    for (Biquad& b : sections) x = b.Run(x);
    v = Saturate(x);
  }
}

std::vector<Biquad> BandSections() {
  return {Section("h", 300, 0.541), Section("h", 300, 1.307), Section("l", 3400, 0.541), Section("l", 3400, 1.307)};
}

// A section's gain at `hz`, in dB.
double GainDb(const Biquad& b, double hz) {
  const std::complex<double> z = std::polar(1.0, -2 * M_PI * hz / 8000.0);  // z^-1
  const std::complex<double> num = b.b0 + z * (b.b1 + z * b.b2), den = 1.0 + z * (b.a1 + z * b.a2);
  return 20 * std::log10(std::abs(num / den));
}

// A slope across the FSK band, as a long loop's loss tilts it: a shelf
// midway between the two tones whose gain is chosen so that `highHz` comes
// out exactly `db` above `lowHz`, scaled so they sit `db`/2 either side of
// where they were (a shelf's own gain figure spreads over more than the
// interval between the tones, so it cannot be given as it is).
void Tilt(Samples& s, double db, double lowHz, double highHz) {
  const double centre = (lowHz + highHz) / 2;
  auto difference = [&](double shelfDb) {
    const Biquad b = Section("s", centre, 0.707, shelfDb);
    return GainDb(b, highHz) - GainDb(b, lowHz);
  };
  // The difference grows with the shelf's gain (about half of it); bisect.
  double lo = std::min(0.0, 4 * db), hi = std::max(0.0, 4 * db);
  for (int i = 0; i < 60; ++i) {
    const double mid = (lo + hi) / 2;
    (difference(mid) < db ? lo : hi) = mid;
  }
  Biquad b = Section("s", centre, 0.707, (lo + hi) / 2);
  const double scale = std::pow(10.0, -(GainDb(b, lowHz) + GainDb(b, highHz)) / 40);
  b.b0 *= scale, b.b1 *= scale, b.b2 *= scale;
  RunSections(s, {b});
}

Samples DtmfDigitsAudio(const QByteArray& digits, const BurstShape& shape) {
  const double low = std::pow(10.0, -shape.twistDb / 40), high = 1 / low;
  const double phase = 2 * M_PI * shape.carrierPhase;
  Samples out = Silence(0.05);
  for (char d : digits) {
    double fl = 0, fh = 0;
    if (!device::audio::DtmfKeyTones(d, &fl, &fh)) continue;
    fl *= shape.toneFactor;
    fh *= shape.toneFactor;
    const int n = shape.dtmfToneMs * 8;
    for (int t = 0; t < n; ++t)
      out.push_back(Saturate(8000 * (low * std::sin(2 * M_PI * fl * t / 8000.0 + phase) +
                                     high * std::sin(2 * M_PI * fh * t / 8000.0 + 2 * phase))));
    Append(out, Silence(shape.dtmfGapMs / 1000.0));
  }
  return out;
}

// Every character a name may carry: printable ASCII on Bell 202 lines, every
// printable character of the code page elsewhere.
QString NameCharacters(Standard standard) {
  QString all;
  for (int b = 0x20; b <= (standard == Standard::Bell202 ? 0x7E : 0xFF); ++b) {
    const QByteArray byte(1, char(b));
    const QString c = platform::FromAnsi(byte);
    if (c.size() == 1 && c[0].isPrint() && platform::ToAnsi(c) == byte) all += c;
  }
  return all;
}

QString RandomDigits(QRandomGenerator& rng, int count) {
  QString s;
  for (int i = 0; i < count; ++i) s += QChar(u'0' + rng.bounded(10));
  return s;
}

QString RandomName(Standard standard, QRandomGenerator& rng) {
  static const QString bell = NameCharacters(Standard::Bell202), other = NameCharacters(Standard::ClipV23);
  const QString& from = standard == Standard::Bell202 ? bell : other;
  const int length = 1 + rng.bounded(20);
  QString name;
  while (name.size() < length) {
    const QChar c = from[rng.bounded(int(from.size()))];
    // The parser trims what it shows: a name starts and ends with a letter.
    if (c.isSpace() && (name.isEmpty() || name.size() + 1 == length)) continue;
    name += c;
  }
  return name;
}

void RandomDtmfLayout(CallBurst& c, QRandomGenerator& rng) {
  switch (rng.bounded(6)) {
    case 0: c.dtmfHashVariant = true; break;
    case 1: c.dtmfStart = 'D'; break;
    case 2:
      c.dtmfRedirecting = RandomDigits(rng, 3 + rng.bounded(10));
      if (rng.bounded(2)) c.dtmfInfo = RandomDigits(rng, 2);
      break;
    default: break;
  }
}

}  // namespace

CallBurst MakeCallBurst(Standard standard, const QString& number, const QString& name, const QDateTime& sent) {
  CallBurst c;
  c.standard = standard;
  c.number = number;
  c.name = name;
  c.month = sent.date().month();
  c.day = sent.date().day();
  c.hour = sent.time().hour();
  c.minute = sent.time().minute();
  return c;
}

CallBurst RandomCall(Standard standard, QRandomGenerator& rng) {
  CallBurst c;
  c.standard = standard;
  // spandsp's Japanese frame counts a field length of 16 doubled in the
  // message length, which no exchange does: such numbers are left out.
  do c.number = RandomDigits(rng, 3 + rng.bounded(18));
  while (standard == Standard::JapanV23 && c.number.size() == 16);
  if (rng.bounded(10) == 0) {
    c.number.clear();
    c.absence = rng.bounded(2) ? Absence::Withheld : Absence::Unavailable;
  }
  if (standard == Standard::ClipDtmf) {
    RandomDtmfLayout(c, rng);
    return c;
  }
  if (standard == Standard::JapanV23) return c;
  c.month = 1 + rng.bounded(12), c.day = 1 + rng.bounded(31), c.hour = rng.bounded(24), c.minute = rng.bounded(60);
  if (standard == Standard::Bell202 && rng.bounded(8) == 0)
    c.sdmf = true;
  else if (rng.bounded(5) != 0)
    c.name = RandomName(standard, rng);
  return c;
}

QByteArray MessageBytes(const CallBurst& call) {
  if (call.standard == Standard::ClipDtmf) return DtmfDigits(call);
  adsi_tx_state_t* tx = adsi_tx_init(nullptr, device::audio::SpandspAdsiStandard(call.standard));
  QByteArray m = FskMessage(call, tx);
  adsi_tx_free(tx);
  return m;
}

Samples CallerIdBurst(const CallBurst& call, double levelDbm0, bool corruptChecksum) {
  return CallerIdBurst(call, levelDbm0, corruptChecksum ? BurstShape{.wrongBits = 0x5A} : BurstShape{});
}

Samples CallerIdBurst(const CallBurst& call, double levelDbm0, const BurstShape& shape) {
  const bool nominal = shape.bitRateFactor == 1.0 && shape.toneFactor == 1.0 && shape.spaceFactor == 1.0 &&
                       shape.twistDb == 0.0 && shape.dtmfToneMs == 70 && shape.dtmfGapMs == 70 &&
                       shape.carrierPhase == 0;
  if (call.standard == Standard::ClipDtmf && !nominal) {
    Samples out = DtmfDigitsAudio(MessageBytes(call), shape);
    Amplify(out, GainToLevel(out, levelDbm0));
    return out;
  }
  adsi_tx_state_t* tx = adsi_tx_init(nullptr, device::audio::SpandspAdsiStandard(call.standard));
  if (call.standard != Standard::ClipDtmf && (shape.seizureBits >= 0 || shape.markBits >= 0)) {
    const bool japan = call.standard == Standard::JapanV23;
    adsi_tx_set_preamble(tx, shape.seizureBits >= 0 ? shape.seizureBits : (japan ? 0 : 300),
                         shape.markBits >= 0 ? shape.markBits : (japan ? 75 : 180), -1, -1);
  }
  const QByteArray msg = MessageBytes(call);
  adsi_tx_put_message(tx, reinterpret_cast<const uint8_t*>(msg.constData()), int(msg.size()));
  if (shape.wrongBits && call.standard != Standard::ClipDtmf && shape.wrongByte >= 1 && tx->msg_len >= shape.wrongByte)
    tx->msg[tx->msg_len - shape.wrongByte] ^= shape.wrongBits;
  if (call.standard != Standard::ClipDtmf) {
    tx->fsktx.baud_rate = int(std::lround(tx->fsktx.baud_rate * shape.bitRateFactor));
    for (int32_t& rate : tx->fsktx.phase_rates) rate = int32_t(std::lround(rate * shape.toneFactor));
    tx->fsktx.phase_rates[0] = int32_t(std::lround(tx->fsktx.phase_rates[0] * shape.spaceFactor));  // bit 0
    // The transmitter counts a bit in hundredths of a bit per second.
    tx->fsktx.phase_acc = uint32_t(std::fmod(shape.carrierPhase, 1.0) * 4294967296.0);
    tx->fsktx.baud_frac = int(std::fmod(shape.bitPhase, 1.0) * 100 * 8000);
  }
  Samples out = DrainAdsi(tx);
  if (call.standard != Standard::ClipDtmf && shape.twistDb != 0.0) {
    const bool bell = call.standard == Standard::Bell202;
    Tilt(out, shape.twistDb, (bell ? 1200 : 1300) * shape.toneFactor, (bell ? 2200 : 2100) * shape.toneFactor);
  }
  Amplify(out, GainToLevel(out, levelDbm0));
  return out;
}

Samples DrainAdsi(adsi_tx_state_t* tx) {
  Samples out;
  int16_t buf[160];
  for (int n = 160; n == 160;) {
    n = adsi_tx(tx, buf, 160);
    out.insert(out.end(), buf, buf + n);
  }
  adsi_tx_free(tx);
  return out;
}

Samples Silence(double seconds) { return Samples(size_t(std::max(0.0, seconds) * 8000), 0); }

Samples Ring(double seconds, double levelDbm0) {
  Samples out(size_t(std::max(0.0, seconds) * 8000));
  std::vector<double> v(out.size());
  for (size_t i = 0; i < v.size(); ++i) v[i] = std::tanh(3.0 * std::sin(2 * M_PI * 25.0 * double(i) / 8000.0));
  double sq = 0;
  for (double x : v) sq += x * x;
  const double gain = v.empty() ? 0 : RmsForDbm0(levelDbm0) / std::sqrt(sq / double(v.size()));
  for (size_t i = 0; i < v.size(); ++i) out[i] = Saturate(v[i] * gain);
  return out;
}

Samples Tone(double hz, double seconds, double levelDbm0) {
  Samples out(size_t(std::max(0.0, seconds) * 8000));
  const double amp = RmsForDbm0(levelDbm0) * std::sqrt(2.0);
  for (size_t i = 0; i < out.size(); ++i) out[i] = Saturate(amp * std::sin(2 * M_PI * hz * double(i) / 8000.0));
  return out;
}

Samples AlertTone(double seconds, double levelDbm0, double twistDb) {
  Samples low = Tone(2130, seconds, levelDbm0), high = Tone(2750, seconds, levelDbm0 + twistDb);
  for (size_t i = 0; i < low.size(); ++i) low[i] = Saturate(double(low[i]) + high[i]);
  return low;
}

void AddReversal(Samples& samples, size_t at, double step, double decayMs) {
  const double decay = decayMs > 0 ? std::exp(-1000.0 / (decayMs * 8000)) : 1.0;
  double dc = step * 32768;
  for (size_t i = at; i < samples.size(); ++i, dc *= decay) samples[i] = Saturate(samples[i] + dc);
}

void AddNoise(Samples& samples, double levelDbm0, int seed) {
  awgn_state_t* noise = awgn_init_dbm0(nullptr, seed == 0 ? 1 : seed, float(levelDbm0));
  for (int16_t& s : samples) s = Saturate(double(s) + awgn(noise));
  awgn_free(noise);
}

void AddBandNoise(Samples& samples, double levelDbm0, int seed) {
  Samples noise(samples.size() + 800, 0);
  AddNoise(noise, levelDbm0 + 6, seed);  // headroom: filtering takes some off
  RunSections(noise, BandSections());
  noise.erase(noise.begin(), noise.begin() + 800);  // the filters' start
  const double gain = RmsForDbm0(levelDbm0) / std::max(1.0, RmsForDbm0(LevelDbm0(noise.data(), noise.size())));
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = Saturate(samples[i] + gain * noise[i]);
}

void AddHum(Samples& samples, const Hum& hum) {
  const double amp = RmsForDbm0(hum.levelDbm0) * std::sqrt(2.0);
  const double third = std::pow(10.0, hum.thirdDb / 20.0), fifth = std::pow(10.0, hum.fifthDb / 20.0);
  for (size_t i = 0; i < samples.size(); ++i) {
    const double t = 2 * M_PI * (hum.hz * double(i) / 8000.0 + hum.phase);
    samples[i] =
        Saturate(samples[i] + amp * (std::sin(t) + third * std::sin(3 * t + 0.7) + fifth * std::sin(5 * t + 1.9)));
  }
}

void AddHum(Samples& samples, double hz, double levelDbm0) { AddHum(samples, Hum{.hz = hz, .levelDbm0 = levelDbm0}); }

void PumpGain(Samples& samples, double depthDb, double hz, double phase) {
  for (size_t i = 0; i < samples.size(); ++i) {
    const double db = depthDb * std::sin(2 * M_PI * (hz * double(i) / 8000.0 + phase));
    samples[i] = Saturate(samples[i] * std::pow(10.0, db / 20));
  }
}

void StepGain(Samples& samples, size_t from, size_t to, double db) {
  const double gain = std::pow(10.0, db / 20);
  for (size_t i = from; i < std::min(to, samples.size()); ++i) samples[i] = Saturate(samples[i] * gain);
}

Samples Resample(const Samples& samples, double factor) {
  // Windowed-sinc interpolation, 16 samples either side.
  constexpr int kHalf = 16;
  Samples out;
  const double step = 1.0 / factor;
  for (double t = 0; t < double(samples.size()); t += step) {
    const int64_t c = int64_t(std::floor(t));
    double v = 0;
    for (int64_t k = c - kHalf + 1; k <= c + kHalf; ++k) {
      if (k < 0 || k >= int64_t(samples.size())) continue;
      const double x = t - double(k);
      const double sinc = std::fabs(x) < 1e-9 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
      const double window = 0.5 + 0.5 * std::cos(M_PI * x / kHalf);
      v += samples[size_t(k)] * sinc * window;
    }
    out.push_back(Saturate(v));
  }
  return out;
}

void TelephoneBand(Samples& samples) { RunSections(samples, BandSections()); }

void LongLoop(Samples& samples) {
  std::vector<Biquad> s = BandSections();
  s.push_back(Section("s", 1700, 0.5, -15.5));  // with the edge below, 6 dB at 2200 against 1200 Hz
  s.push_back(Section("l", 3000, 0.707));
  RunSections(samples, s);
}

void AddOffset(Samples& samples, int offset) {
  for (int16_t& s : samples) s = Saturate(double(s) + offset);
}

void Amplify(Samples& samples, double gain) {
  for (int16_t& s : samples) s = Saturate(double(s) * gain);
}

void Append(Samples& to, const Samples& from) { to.insert(to.end(), from.begin(), from.end()); }

double LevelDbm0(const int16_t* samples, size_t count) {
  double sq = 0;
  for (size_t i = 0; i < count; ++i) sq += double(samples[i]) * samples[i];
  if (count == 0 || sq <= 0) return -100.0;
  return 20.0 * std::log10(std::sqrt(sq / double(count)) / 32768.0) + kFullScaleDbm0;
}

Samples CallOnLine(const CallBurst& call, double levelDbm0, double snrDb, int seed, bool withRing) {
  Samples s = Silence(0.3);
  if (withRing) {
    Append(s, Ring(1.0, std::min(0.0, levelDbm0 + 20)));
    Append(s, Silence(0.5));
  }
  Append(s, CallerIdBurst(call, levelDbm0));
  Append(s, Silence(0.5));
  AddNoise(s, levelDbm0 - snrDb, seed);
  return s;
}

bool WriteWav(const QString& path, const Samples& samples, int channels, int rate) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  auto u32 = [](QByteArray& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.append(char(v >> (8 * i)));
  };
  auto u16 = [](QByteArray& b, uint16_t v) { b.append(char(v)), b.append(char(v >> 8)); };
  const uint32_t dataBytes = uint32_t(samples.size() * 2);
  QByteArray h;
  h += "RIFF";
  u32(h, 36 + dataBytes);
  h += "WAVEfmt ";
  u32(h, 16);
  u16(h, 1);
  u16(h, uint16_t(channels));
  u32(h, uint32_t(rate));
  u32(h, uint32_t(rate * channels * 2));
  u16(h, uint16_t(channels * 2));
  u16(h, 16);
  h += "data";
  u32(h, dataBytes);
  QByteArray body(reinterpret_cast<const char*>(samples.data()), qsizetype(dataBytes));  // little-endian host
  return f.write(h) == h.size() && f.write(body) == body.size();
}

Samples Interleave(const std::vector<Samples>& channels) {
  size_t len = 0;
  for (const Samples& c : channels) len = std::max(len, c.size());
  Samples out(len * channels.size(), 0);
  for (size_t ch = 0; ch < channels.size(); ++ch)
    for (size_t i = 0; i < channels[ch].size(); ++i) out[i * channels.size() + ch] = channels[ch][i];
  return out;
}

}  // namespace audiogen
