// How often the line watch's verdict names the right cause. For every cause
// a verdict can give and every standard it applies to, recordings of a ring
// cycle with that fault at three sizes: just inside the standard, at its
// edge, and beyond it (for faults that are no figure, three kinds of the
// fault). Everything else on the line is drawn at random within the
// standard: the number, the name, the levels, the gaps, where the burst
// falls, the noise, the block sizes the audio is fed in. Prints, per row,
// how many verdicts named the cause and which verdicts were given, then the
// confusion of true causes against verdicts, and the goals met or missed.
// "distorted" has no row: it is what is left when a clean, strong carrier
// within every figure still reads as nothing, and every fault made here
// (gating, echo, jitter) shows as one of the figures first.
//
//   diagnosis_bench [--seed N] [--per-cell N] [--only TEXT] [--verbose] [--dump DIR]
extern "C" {
#include <spandsp.h>
}

#include <QCoreApplication>
#include <QDateTime>
#include <QRandomGenerator>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "device/audio/dsp/line_watch.h"
#include "device/audio/dsp/spandsp_standard.h"
#include "device/audio/dsp/tones.h"
#include "tools/audio/signal_generator.h"

using namespace device::audio;
using audiogen::BurstShape;
using audiogen::CallBurst;
using audiogen::Samples;

namespace {

constexpr int kFs = kSampleRate;

// What a row puts on the line, with its three sizes.
enum class Fault {
  Level,
  Snr,
  Tones,
  Rate,
  Twist,
  Hum,
  Timing,  // figures: inside, edge, beyond
  NoCallerId,
  Unframed,
  Checksum,
  CutOff,
  DigitsLost,
  NotACall,
  OtherFamily,
  CallProgress,
  AlertTone,
  CallWaiting,
  Rings,
  RingsUnderHum,  // faults that are no figure, or events to be heard
};

struct Row {
  const char* cause;  // the key a verdict beyond the standard (or of this fault) must give
  Fault fault;
  unsigned standards;            // bit per Standard
  const char* sizes[3];          // what each size is, for the table
  const char* figure = nullptr;  // the out_of_standard figure beyond it, when it decodes
  bool figureRow = true;         // inside and edge are good; else every size is the fault
};

constexpr unsigned kV23 = 1u << int(Standard::ClipV23), kBell = 1u << int(Standard::Bell202),
                   kDtmf = 1u << int(Standard::ClipDtmf), kJapan = 1u << int(Standard::JapanV23);
constexpr unsigned kFsk = kV23 | kBell | kJapan, kAll = kFsk | kDtmf;

const Row kRows[] = {
    {.cause = "too_weak",
     .fault = Fault::Level,
     .standards = kAll,
     .sizes = {"-30", "limit", "-45..-60"},
     .figure = "level"},
    {.cause = "too_noisy",
     .fault = Fault::Snr,
     .standards = kAll,
     .sizes = {"30 dB", "21 dB", "3..12 dB"},
     .figure = "snr"},
    {.cause = "off_frequency",
     .fault = Fault::Tones,
     .standards = kAll,
     .sizes = {"half limit", "limit", "3..10 %"},
     .figure = "offset"},
    {.cause = "off_speed",
     .fault = Fault::Rate,
     .standards = kFsk,
     .sizes = {"0.5 %", "1 %", "3..8 %"},
     .figure = "bit_rate"},
    {.cause = "twist",
     .fault = Fault::Twist,
     .standards = kV23 | kBell | kDtmf,
     .sizes = {"half limit", "limit", "12..25 dB"},
     .figure = "twist"},
    {.cause = "hum", .fault = Fault::Hum, .standards = kAll, .sizes = {"level of burst", "+18 dB, harmonics", "clips"}},
    {.cause = "out_of_standard",
     .fault = Fault::Timing,
     .standards = kV23 | kBell,
     .sizes = {"0.8 s", "0.55 s", "0.15..0.35 s"},
     .figure = "timing"},
    {.cause = "no_caller_id",
     .fault = Fault::NoCallerId,
     .standards = kV23,
     .sizes = {"2 rings", "3 rings", "noisy line"},
     .figureRow = false},
    {.cause = "unframed",
     .fault = Fault::Unframed,
     .standards = kV23,
     .sizes = {"V.21 300 baud", "band noise", "Bell 103"},
     .figureRow = false},
    {.cause = "checksum",
     .fault = Fault::Checksum,
     .standards = kFsk,
     .sizes = {"-15", "-25", "-35"},
     .figureRow = false},
    {.cause = "cut_off",
     .fault = Fault::CutOff,
     .standards = kAll,
     .sizes = {"85 %", "60 %", "30 %"},
     .figureRow = false},
    {.cause = "digits_lost",
     .fault = Fault::DigitsLost,
     .standards = kDtmf,
     .sizes = {"early", "middle", "late"},
     .figureRow = false},
    {.cause = "not_a_call",
     .fault = Fault::NotACall,
     .standards = kV23 | kBell,
     .sizes = {"waiting on", "waiting off", "SDMF on"},
     .figureRow = false},
    {.cause = "other_family",
     .fault = Fault::OtherFamily,
     .standards = kV23 | kBell | kDtmf,
     .sizes = {"-15", "-25", "-30"},
     .figureRow = false},
    {.cause = "call_progress_tone",
     .fault = Fault::CallProgress,
     .standards = kV23,
     .sizes = {"busy 425/450", "reorder NA", "ringback UK"},
     .figureRow = false},
    {.cause = "good",
     .fault = Fault::AlertTone,
     .standards = kV23 | kBell,
     .sizes = {"-15", "-25", "-35"},
     .figureRow = false},
    {.cause = "good",
     .fault = Fault::CallWaiting,
     .standards = kV23 | kBell,
     .sizes = {"-15", "-25", "-30"},
     .figureRow = false},
    {.cause = "no_caller_id",
     .fault = Fault::Rings,
     .standards = kV23,
     .sizes = {"25 Hz 1 s", "40 Hz 2 s clipped", "17 Hz 0.25 s"},
     .figureRow = false},
    {.cause = "no_caller_id",
     .fault = Fault::RingsUnderHum,
     .standards = kV23,
     .sizes = {"50 Hz -10", "60 Hz -6", "50 Hz -4"},
     .figureRow = false},
};

const char* FaultName(Fault f) {
  switch (f) {
    case Fault::Level: return "level";
    case Fault::Snr: return "SNR";
    case Fault::Tones: return "tone offset";
    case Fault::Rate: return "bit rate";
    case Fault::Twist: return "twist";
    case Fault::Hum: return "hum";
    case Fault::Timing: return "timing";
    case Fault::NoCallerId: return "no caller ID";
    case Fault::Unframed: return "unframed";
    case Fault::Checksum: return "checksum";
    case Fault::CutOff: return "cut off";
    case Fault::DigitsLost: return "digit lost";
    case Fault::NotACall: return "not a call";
    case Fault::OtherFamily: return "other family";
    case Fault::CallProgress: return "call-progress tone";
    case Fault::AlertTone: return "alert tone, reversal";
    case Fault::CallWaiting: return "call waiting";
    case Fault::Rings: return "rings";
    case Fault::RingsUnderHum: return "rings under hum";
  }
  return "?";
}

// One recording and what its verdict must be.
struct Recording {
  Samples audio;
  Standard fixed = Standard::Auto;
  QString number;              // the number sent; empty: none
  std::set<QString> accepted;  // verdict keys that name the cause
  QString figure;              // for out_of_standard: the figure that must be among `outside`
  bool energy = false;         // a burst was on the line: no_caller_id is wrong
  int rings = 2;               // rings that must be found; -1: any (hum may hide them)
  bool alert = false, reversal = false, callWaiting = false;
};

struct Random {
  QRandomGenerator rng;
  double Uniform(double a, double b) { return a + (b - a) * rng.generateDouble(); }
  int Int(int a, int b) { return a + int(rng.bounded(uint32_t(b - a + 1))); }
  bool Coin() { return rng.bounded(2u) == 1; }
};

QString RandomNumber(Random& r) {
  QString n;
  const int len = r.Int(7, 12);
  for (int i = 0; i < len; ++i) n += QChar('0' + r.Int(0, 9));
  return n;
}

// A name of any printable characters the layout's code page holds.
QString RandomName(Random& r, Standard st) {
  if (st == Standard::ClipDtmf || st == Standard::JapanV23) return {};
  static const QString kTurkish = QStringLiteral("ÇĞİÖŞÜçğıöşü");
  QString n;
  const int len = r.Int(3, 15);
  for (int i = 0; i < len; ++i) {
    if (st == Standard::ClipV23 && r.Int(0, 5) == 0)
      n += kTurkish[r.Int(0, int(kTurkish.size()) - 1)];
    else
      n += QChar(r.Int(0x21, 0x7E));
  }
  return n;
}

CallBurst RandomCall(Random& r, Standard st) {
  CallBurst c;
  c.standard = st;
  c.number = RandomNumber(r);
  c.name = RandomName(r, st);
  if (st == Standard::ClipV23 || st == Standard::Bell202)
    c.month = r.Int(1, 12), c.day = r.Int(1, 28), c.hour = r.Int(0, 23), c.minute = r.Int(0, 59);
  return c;
}

// Ringing through a coupler at `hz`: its limiter flattens it (clipped: cut
// at full scale as well).
Samples Ring(double hz, double seconds, double levelDbm0, bool clipped) {
  Samples s(size_t(seconds * kFs));
  const double peak = 32768 * std::pow(10.0, (levelDbm0 - 3.14) / 20) * std::sqrt(2.0);
  for (size_t i = 0; i < s.size(); ++i) {
    const double v = std::tanh(3 * std::sin(2 * M_PI * hz * double(i) / kFs)) * peak * (clipped ? 2.5 : 1.0);
    s[i] = int16_t(std::clamp(v, -32767.0, 32767.0));
  }
  return s;
}

// Mains hum with its odd harmonics, as a coupler picks it up.
void AddHum(Samples& s, double hz, double levelDbm0, double thirdDb, double fifthDb, double phase) {
  const double amp = 32768 * std::pow(10.0, (levelDbm0 - 3.14) / 20) * std::sqrt(2.0);
  const double third = std::pow(10.0, thirdDb / 20), fifth = std::pow(10.0, fifthDb / 20);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = 2 * M_PI * hz * double(i) / kFs + phase;
    const double v = s[i] + amp * (std::sin(t) + third * std::sin(3 * t + 0.5) + fifth * std::sin(5 * t + 1.3));
    s[i] = int16_t(std::clamp(v, -32768.0, 32767.0));
  }
}

// An FSK burst of raw message bytes (the transmitter adds the checksum).
Samples RawFskBurst(Standard st, uint8_t type, const QByteArray& body, bool sdmfBody, double levelDbm0) {
  adsi_tx_state_t* tx = adsi_tx_init(nullptr, SpandspAdsiStandard(st));
  uint8_t msg[256];
  int len = adsi_add_field(tx, msg, 0, type, nullptr, 0);
  if (sdmfBody) {
    len = adsi_add_field(tx, msg, len, 0, reinterpret_cast<const uint8_t*>(body.constData()), int(body.size()));
  } else {
    for (qsizetype i = 0; i + 1 < body.size(); i += 2 + uint8_t(body[i + 1]))
      len = adsi_add_field(tx, msg, len, uint8_t(body[i]), reinterpret_cast<const uint8_t*>(body.constData() + i + 2),
                           uint8_t(body[i + 1]));
  }
  adsi_tx_put_message(tx, msg, len);
  Samples out = audiogen::DrainAdsi(tx);
  audiogen::Amplify(out, std::pow(10.0, (levelDbm0 - audiogen::LevelDbm0(out.data(), out.size())) / 20));
  return out;
}

// Continuous-phase FSK of `bits` (true: mark), each bit `jitter` of its
// length off at random either way, the space tone `twistDb` above the mark,
// at `levelDbm0` over the whole.
Samples Modulate(Random& r, const std::vector<bool>& bits, double markHz, double spaceHz, double baud, double jitter,
                 double levelDbm0, double twistDb = 0) {
  std::vector<double> v;
  double phase = 0, t = 0;
  const double space = std::pow(10.0, twistDb / 20);
  for (bool mark : bits) {
    t += kFs / baud * (1 + r.Uniform(-jitter, jitter));
    while (double(v.size()) < t) {
      phase += 2 * M_PI * (mark ? markHz : spaceHz) / kFs;
      v.push_back((mark ? 1.0 : space) * std::sin(phase));
    }
  }
  double squares = 0;
  for (double x : v) squares += x * x;
  const double gain = 32768 * std::pow(10.0, (levelDbm0 - 6.16) / 20) / std::sqrt(squares / double(v.size()));
  Samples s(v.size());
  for (size_t i = 0; i < v.size(); ++i) s[i] = int16_t(std::clamp(gain * v[i], -32767.0, 32767.0));
  return s;
}

// Another modem's carrier of random bits, which no caller-ID receiver frames.
Samples OtherModem(Random& r, double markHz, double spaceHz, double baud, double seconds, double levelDbm0) {
  std::vector<bool> bits(size_t(seconds * baud));
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = r.Coin();
  return Modulate(r, bits, markHz, spaceHz, baud, 0, levelDbm0);
}

// A whole caller-ID burst (seizure, mark, message, checksum) of our own
// modulator: its bits timed `jitter` badly, its tones `toneFactor` off and
// `twistDb` apart, its rate `rateFactor` off.
struct OwnShape {
  double jitter = 0, twistDb = 0, toneFactor = 1, rateFactor = 1;
};
Samples OwnBurst(Random& r, const CallBurst& call, const OwnShape& shape, double levelDbm0) {
  QByteArray msg = audiogen::MessageBytes(call);
  msg[1] = char(msg.size() - 2);  // the transmitter fills the length in
  std::vector<bool> bits;
  for (int i = 0; i < 300; ++i) bits.push_back(i % 2 == 1);
  for (int i = 0; i < 180; ++i) bits.push_back(true);
  uint8_t sum = 0;
  for (char c : msg) sum = uint8_t(sum + uint8_t(c));
  QByteArray all = msg;
  all.append(char(uint8_t(-sum)));
  for (char c : all) {
    bits.push_back(false);
    for (int b = 0; b < 8; ++b) bits.push_back((uint8_t(c) >> b) & 1);
    bits.push_back(true);
  }
  const FskTones t = NominalFskTones(call.standard);
  return Modulate(r, bits, t.markHz * shape.toneFactor, t.spaceHz * shape.toneFactor, kFskBitRate * shape.rateFactor,
                  shape.jitter, levelDbm0, shape.twistDb);
}

// A call-progress tone's cadence: `on`/`off` seconds, repeated for `seconds`.
Samples ToneCadence(double lowHz, double highHz, const std::vector<double>& cadence, double seconds, double levelDbm0) {
  Samples s;
  for (size_t k = 0; double(s.size()) < seconds * kFs; ++k) {
    const double part = cadence[k % cadence.size()];
    if (k % 2 == 0) {
      Samples t = audiogen::Tone(lowHz, part, highHz > 0 ? levelDbm0 - 3 : levelDbm0);
      if (highHz > 0) {
        const Samples h = audiogen::Tone(highHz, part, levelDbm0 - 3);
        for (size_t i = 0; i < t.size(); ++i) t[i] = int16_t(t[i] + h[i]);
      }
      audiogen::Append(s, t);
    } else {
      audiogen::Append(s, audiogen::Silence(part));
    }
  }
  return s;
}

// The burst a row sends, and how it was shaped.
struct Sent {
  Samples burst;
  QString number;
  bool isCall = true;
};

Sent CallBurstOf(Random& r, Standard st, double levelDbm0, const BurstShape& shape = {}, bool badChecksum = false) {
  const CallBurst c = RandomCall(r, st);
  Sent s;
  s.number = c.number;
  s.burst = badChecksum ? audiogen::CallerIdBurst(c, levelDbm0, true) : audiogen::CallerIdBurst(c, levelDbm0, shape);
  return s;
}

double ToneLimitPct(Standard st) { return st == Standard::Bell202 ? 1.0 : 1.5; }

// The twist a size asks for: half the standard's range, its edge, far past it.
double TwistFor(Random& r, Standard st, int size) {
  const bool up = r.Coin();
  const double limit = st == Standard::Bell202 ? (up ? 10 : 6) : st == Standard::ClipDtmf ? 8 : 6;
  const double db = size == 0 ? limit / 2 : size == 1 ? limit : r.Uniform(12, 25);
  return up ? db : -db;
}

struct Cycle {
  Samples line;
  size_t burstAt = 0;  // where the burst begins in `line`
};

// Quiet line, ring, gap, burst, gap, ring, quiet line. The burst goes
// between the rings (DTMF: half the time before the first, after a reversal).
Cycle RingCycle(Random& r, const Samples& burst, double gapAfterRing, bool beforeFirst = false) {
  Cycle c;
  const double ringHz = 25, ringSeconds = r.Uniform(0.8, 1.6);
  c.line = audiogen::Silence(r.Uniform(0.4, 1.2));
  if (beforeFirst) {
    c.burstAt = c.line.size();
    audiogen::Append(c.line, burst);
    audiogen::Append(c.line, audiogen::Silence(r.Uniform(0.25, 0.45)));
    audiogen::Append(c.line, Ring(ringHz, ringSeconds, 0, true));
    audiogen::Append(c.line, audiogen::Silence(r.Uniform(2.5, 4)));
  } else {
    audiogen::Append(c.line, Ring(ringHz, ringSeconds, 0, true));
    audiogen::Append(c.line, audiogen::Silence(gapAfterRing));
    c.burstAt = c.line.size();
    audiogen::Append(c.line, burst);
    audiogen::Append(c.line, audiogen::Silence(r.Uniform(0.5, 1.2)));
  }
  audiogen::Append(c.line, Ring(ringHz, ringSeconds, 0, true));
  audiogen::Append(c.line, audiogen::Silence(r.Uniform(1.0, 2.0)));
  return c;
}

void Noise(Samples& s, double levelDbm0, int seed) { audiogen::AddBandNoise(s, levelDbm0, seed); }

// The figure rows: one figure at the size asked, everything else well inside.
Recording FigureRecording(const Row& row, Standard st, int size, Random& r, int seed) {
  Recording rec;
  // DTMF's level is each tone's, 3 dB under the pair's.
  double level = st == Standard::ClipDtmf ? r.Uniform(-27, -12) : r.Uniform(-30, -15);
  double snr = r.Uniform(30, 40), gap = r.Uniform(0.6, 1.5);
  // Hum 18 dB over the burst must not clip the card by itself.
  if (row.fault == Fault::Hum && size == 1) level = r.Uniform(-30, -24);
  BurstShape shape;
  const double tonePct = ToneLimitPct(st);
  switch (row.fault) {
    case Fault::Level: {
      // DTMF's limit is each tone's: the pair is 3 dB louder.
      const double pair = st == Standard::ClipDtmf ? 3 : 0;
      level = (size == 0 ? -30 : size == 1 ? (st == Standard::ClipDtmf ? -33 : -40) : r.Uniform(-60, -45)) + pair;
      snr = 30;
      break;
    }
    case Fault::Snr: snr = size == 0 ? 30 : size == 1 ? 21 : r.Uniform(3, 12); break;
    case Fault::Tones: {
      const double pct = size == 0 ? tonePct / 2 : size == 1 ? tonePct : r.Uniform(3, 10);
      shape.toneFactor = 1 + (r.Coin() ? pct : -pct) / 100;
      break;
    }
    case Fault::Rate: {
      const double pct = size == 0 ? 0.5 : size == 1 ? 1.0 : r.Uniform(3, 8);
      shape.bitRateFactor = 1 + (r.Coin() ? pct : -pct) / 100;
      break;
    }
    case Fault::Twist:
      shape.twistDb = TwistFor(r, st, size);
      // DTMF's weaker tone must stay within its level even at the edge.
      if (st == Standard::ClipDtmf && size < 2) level = r.Uniform(-20, -12);
      break;
    case Fault::Timing: gap = size == 0 ? 0.8 : size == 1 ? 0.55 : r.Uniform(0.15, 0.35); break;
    default: break;
  }
  Sent sent;
  if (row.fault == Fault::Twist && st != Standard::ClipDtmf) {
    // Our own modulator: the generator's tilt is made for twist within the standards.
    const CallBurst call = RandomCall(r, st);
    sent.number = call.number;
    sent.burst = OwnBurst(r, call, {.twistDb = shape.twistDb}, level);
  } else {
    sent = CallBurstOf(r, st, level, shape);
  }
  Cycle c = RingCycle(r, sent.burst, gap, st == Standard::ClipDtmf && row.fault != Fault::Timing && r.Coin());
  Noise(c.line, level - snr, seed);
  if (row.fault == Fault::Hum) {
    const double hz = r.Coin() ? 50 : 60, phase = r.Uniform(0, 6.28);
    if (size == 0) AddHum(c.line, hz, level, -20, -30, phase);
    if (size == 1) AddHum(c.line, hz, level + 18, -10, -10, phase);
    if (size == 2) AddHum(c.line, hz, r.Uniform(4.5, 8), -12, -20, phase);
    if (size == 2) rec.rings = -1;  // a card clipped by hum hides the rings too
  }
  rec.audio = std::move(c.line);
  rec.number = sent.number;
  rec.energy = true;
  if (size < 2 && row.fault != Fault::Hum) {
    rec.accepted = {QStringLiteral("good")};
  } else if (size < 2) {
    rec.accepted = {QStringLiteral("good")};
  } else {
    rec.accepted = {QString::fromLatin1(row.cause), QStringLiteral("out_of_standard")};
    if (row.fault == Fault::Hum) rec.accepted = {QStringLiteral("hum")};
    rec.figure = row.figure ? QString::fromLatin1(row.figure) : QString();
  }
  return rec;
}

Samples Cut(const Samples& s, double share) { return Samples(s.begin(), s.begin() + long(double(s.size()) * share)); }

Recording FaultRecording(const Row& row, Standard st, int size, Random& r, int seed) {
  Recording rec;
  rec.accepted = {QString::fromLatin1(row.cause)};
  rec.energy = true;
  const double level = r.Uniform(-28, -15), gap = r.Uniform(0.6, 1.5);
  double noise = level - r.Uniform(30, 40);
  Samples burst;
  bool beforeFirst = false;
  switch (row.fault) {
    case Fault::NoCallerId:
      rec.energy = false;
      if (size == 1) rec.rings = 3;
      if (size == 2) noise = r.Uniform(-45, -40);
      break;
    case Fault::Unframed:
      if (size == 0) burst = OtherModem(r, 1180, 980, 300, 0.8, level);  // V.21
      if (size == 1) {
        burst = audiogen::Silence(0.6);
        audiogen::AddBandNoise(burst, level, seed + 7);
      }
      if (size == 2) burst = OtherModem(r, 1270, 1070, 300, 1.2, level);  // Bell 103
      break;
    case Fault::Checksum: {
      const double at = size == 0 ? -15 : size == 1 ? -25 : -35;
      noise = at - r.Uniform(30, 40);
      burst = CallBurstOf(r, st, at, {}, true).burst;
      break;
    }
    case Fault::CutOff: {
      const Sent s = CallBurstOf(r, st, level);
      burst = Cut(s.burst, size == 0 ? 0.85 : size == 1 ? 0.6 : 0.3);
      break;
    }
    case Fault::DigitsLost: {
      // One digit of the number (never its start or end code) left out.
      // Digits 70 ms on, 71 off, after 50 ms of quiet (the generator's own timing).
      const Sent s = CallBurstOf(r, st, level, BurstShape{.dtmfToneMs = 70, .dtmfGapMs = 71});
      const int digits = int(s.number.size());
      const size_t digit = size_t(1 + (size == 0 ? 1 : size == 1 ? digits / 2 : digits - 2));
      const size_t from = 400 + digit * 141 * 8;
      burst = s.burst;
      rec.number = s.number;
      std::fill(burst.begin() + long(from), burst.begin() + long(from + 560), int16_t(0));
      break;
    }
    case Fault::NotACall:
      if (size == 2 && st == Standard::Bell202)
        burst = RawFskBurst(st, 0x06, QByteArray("BBB"), true, level);
      else
        burst = RawFskBurst(st, 0x82, QByteArray("\x0b\x01", 2) + char(size == 1 ? 0x00 : 0xFF), false, level);
      break;
    case Fault::OtherFamily: {
      const Standard sent = st == Standard::ClipDtmf ? Standard::ClipV23 : Standard::ClipDtmf;
      rec.fixed = st;
      rec.accepted = {sent == Standard::ClipDtmf ? QStringLiteral("dtmf_on_fsk_line")
                                                 : QStringLiteral("fsk_on_dtmf_line")};
      burst = CallBurstOf(r, sent, size == 0 ? -15 : size == 1 ? -25 : -30).burst;
      break;
    }
    default: break;
  }
  Cycle c = burst.empty() ? RingCycle(r, audiogen::Silence(0.2), gap) : RingCycle(r, burst, gap, beforeFirst);
  if (row.fault == Fault::NoCallerId && size == 1) {
    audiogen::Append(c.line, Ring(25, 1.0, 0, true));
    audiogen::Append(c.line, audiogen::Silence(1.0));
  }
  Noise(c.line, noise, seed);
  rec.audio = std::move(c.line);
  return rec;
}

// Tones, alerts, call waiting and rings: what must be heard, as well as the verdict.
Recording EventRecording(const Row& row, Standard st, int size, Random& r, int seed) {
  Recording rec;
  rec.accepted = {QString::fromLatin1(row.cause)};
  const double level = size == 0 ? -15 : size == 1 ? -25 : -33;
  Samples line = audiogen::Silence(r.Uniform(0.4, 1.0));
  switch (row.fault) {
    case Fault::CallProgress: {
      if (size == 0)
        audiogen::Append(line, ToneCadence(r.Coin() ? 425 : 450, 0, {0.5, 0.5}, r.Uniform(3, 5), -20));
      else if (size == 1)
        audiogen::Append(line, ToneCadence(480, 620, {0.25, 0.25}, r.Uniform(3, 5), -20));
      else
        audiogen::Append(line, ToneCadence(400, 450, {0.4, 0.2, 0.4, 2.0}, r.Uniform(6, 8), -20));
      audiogen::Append(line, audiogen::Silence(r.Uniform(0.8, 1.5)));
      audiogen::Append(line, Ring(25, 1, 0, true));
      audiogen::Append(line, audiogen::Silence(3.5));
      audiogen::Append(line, Ring(25, 1, 0, true));
      break;
    }
    case Fault::AlertTone: {
      // On hook: line reversal, the alert 100 ms before the data, the first ring after it.
      const Sent s = CallBurstOf(r, st, level);
      rec.number = s.number;
      rec.energy = rec.alert = rec.reversal = true;
      rec.rings = 1;
      const size_t reversalAt = line.size() + 800;
      audiogen::Append(line, audiogen::Silence(0.3));
      audiogen::Append(line, audiogen::AlertTone(0.09, level - 3));
      audiogen::Append(line, audiogen::Silence(r.Uniform(0.07, 0.3)));
      audiogen::Append(line, s.burst);
      audiogen::Append(line, audiogen::Silence(r.Uniform(0.55, 0.8)));
      audiogen::Append(line, Ring(25, 1, 0, true));
      audiogen::Append(line, audiogen::Silence(1.0));
      audiogen::AddReversal(line, reversalAt, r.Coin() ? 0.1 : -0.1, 300);
      break;
    }
    case Fault::CallWaiting: {
      // Off hook in a conversation: the alert, then the data without a seizure.
      const CallBurst c = RandomCall(r, st);
      rec.number = c.number;
      rec.energy = rec.alert = rec.callWaiting = true;
      rec.rings = 0;
      for (int word = 0; word < 4; ++word) {
        Samples w = audiogen::Silence(r.Uniform(0.3, 0.6));
        audiogen::AddBandNoise(w, r.Uniform(-25, -18), seed + word);
        audiogen::Append(line, w);
        audiogen::Append(line, audiogen::Silence(r.Uniform(0.2, 0.4)));
      }
      audiogen::Append(line, audiogen::AlertTone(0.08, level - 3));
      audiogen::Append(line, audiogen::Silence(r.Uniform(0.1, 0.3)));
      audiogen::Append(line, audiogen::CallerIdBurst(c, level, BurstShape{.seizureBits = 0, .markBits = 80}));
      audiogen::Append(line, audiogen::Silence(1.5));
      break;
    }
    case Fault::Rings:
    case Fault::RingsUnderHum: {
      const double hz = row.fault == Fault::RingsUnderHum ? 25 : size == 0 ? 25 : size == 1 ? 40 : 17;
      const double on = row.fault == Fault::RingsUnderHum ? 1.0 : size == 0 ? 1.0 : size == 1 ? 2.0 : 0.25;
      for (int ring = 0; ring < 2; ++ring) {
        audiogen::Append(line, Ring(hz, on, 0, size == 1));
        audiogen::Append(line, audiogen::Silence(r.Uniform(2.5, 4)));
      }
      if (row.fault == Fault::RingsUnderHum)
        AddHum(line, size == 1 ? 60 : 50, size == 0 ? -10 : size == 1 ? -6 : -4, -12, -20, r.Uniform(0, 6.28));
      break;
    }
    default: break;
  }
  Noise(line, -55, seed);
  rec.audio = std::move(line);
  return rec;
}

Recording Make(const Row& row, Standard st, int size, Random& r, int seed) {
  switch (row.fault) {
    case Fault::Level:
    case Fault::Snr:
    case Fault::Tones:
    case Fault::Rate:
    case Fault::Twist:
    case Fault::Hum:
    case Fault::Timing: return FigureRecording(row, st, size, r, seed);
    case Fault::CallProgress:
    case Fault::AlertTone:
    case Fault::CallWaiting:
    case Fault::Rings:
    case Fault::RingsUnderHum: return EventRecording(row, st, size, r, seed);
    default: return FaultRecording(row, st, size, r, seed);
  }
}

// What the watch made of a recording.
struct Outcome {
  QString verdict = QStringLiteral("none");
  bool named = false;
  int wrongNumbers = 0;
  bool noCallerIdOverEnergy = false;
};

// With a dump folder, every recording is also written there as a WAV file,
// numbered in the order judged, to be listened to or fed to the line check.
Outcome Judge(const Recording& rec, size_t block, bool verbose, const QString& dump) {
  static int judged = 0;
  if (!dump.isEmpty()) audiogen::WriteWav(QStringLiteral("%1/rec%2.wav").arg(dump).arg(judged), rec.audio);
  ++judged;
  LineWatch watch(1, rec.fixed);
  std::vector<WatchEvent> events;
  for (size_t i = 0; i < rec.audio.size(); i += block)
    watch.Feed(rec.audio.data() + i, std::min(block, rec.audio.size() - i), events);
  watch.Finish(events);
  Outcome o;
  int rings = 0, alerts = 0, reversals = 0;
  bool callWaiting = false;
  const CycleVerdict* verdict = nullptr;
  for (const WatchEvent& e : events) {
    if (std::holds_alternative<RingEvent>(e)) ++rings;
    if (std::holds_alternative<AlertToneEvent>(e)) ++alerts;
    if (std::holds_alternative<ReversalEvent>(e)) ++reversals;
    if (const auto* b = std::get_if<BurstReport>(&e)) {
      if (b->message && !b->otherFamily && b->message->number != rec.number) {
        ++o.wrongNumbers;
        if (verbose)
          std::fprintf(stderr, "    wrong number %s for %s\n", qPrintable(b->message->number), qPrintable(rec.number));
      }
      callWaiting = callWaiting || (b->fate == BurstFate::Decoded && b->callWaiting);
    }
    if (const auto* v = std::get_if<CycleVerdict>(&e); v && !verdict) verdict = v;
  }
  if (verdict) o.verdict = DiagnosisKey(verdict->diagnosis);
  o.named = rec.accepted.count(o.verdict) > 0;
  if (o.named && o.verdict == QStringLiteral("out_of_standard") && !rec.figure.isEmpty())
    o.named = std::any_of(verdict->outside.begin(), verdict->outside.end(), [&](const LimitBreach& x) {
      const QString key = LimitedFigureKey(x.figure);
      return key == rec.figure || (rec.figure == QStringLiteral("offset") && key.endsWith(QStringLiteral("offset")));
    });
  if ((rec.rings >= 0 && rings != rec.rings) || (rec.alert && alerts == 0) || (rec.reversal && reversals == 0) ||
      (rec.callWaiting && !callWaiting))
    o.named = false;
  o.noCallerIdOverEnergy = rec.energy && o.verdict == QStringLiteral("no_caller_id");
  if (verbose && !o.named)
    std::fprintf(stderr, "    #%d block %zu %s (rings %d, alerts %d, reversals %d): %s\n", judged - 1, block,
                 qPrintable(o.verdict), rings, alerts, reversals, verdict ? qPrintable(verdict->text) : "");
  return o;
}

// The SNR the bursts' figures give against the SNR the line was made with,
// 0 to 40 dB: FSK and DTMF bursts between the rings, decoded or not.
void SnrAccuracy(Random& r, int perPoint, int& seed) {
  std::printf("\nSNR measured against the truth (band noise on the whole line, burst between the rings):\n\n");
  std::printf(
      "| true SNR | standard | bursts measured | mean error | largest error |\n| ---: | --- | ---: | ---: | ---: |\n");
  for (Standard st : {Standard::ClipV23, Standard::ClipDtmf})
    for (double snr : {0.0, 5.0, 10.0, 20.0, 30.0, 40.0}) {
      double sum = 0, worst = 0;
      int measured = 0;
      for (int k = 0; k < perPoint; ++k) {
        const double level = r.Uniform(-30, -15);
        const Sent sent = CallBurstOf(r, st, level);
        // The truth is the burst's level while it sounds (DTMF: during its
        // digits, not the gaps), against the noise put on the line.
        double squares = 0;
        int on = 0;
        for (int16_t v : sent.burst)
          if (std::abs(v) > 50) squares += double(v) * v, ++on;
        const double sounding = 10 * std::log10(squares / std::max(1, on) / (32768.0 * 32768.0)) + 6.16;
        Cycle c = RingCycle(r, sent.burst, r.Uniform(0.6, 1.5));
        Noise(c.line, sounding - snr, seed++);
        LineWatch watch(1);
        std::vector<WatchEvent> events;
        watch.Feed(c.line.data(), c.line.size(), events);
        watch.Finish(events);
        for (const WatchEvent& e : events)
          if (const auto* b = std::get_if<BurstReport>(&e); b && b->snrDb) {
            const double error = *b->snrDb - snr;
            sum += error;
            worst = std::max(worst, std::fabs(error));
            ++measured;
            break;
          }
      }
      std::printf("| %.0f dB | %s | %d of %d | %+.2f dB | %.2f dB |\n", snr, qPrintable(StandardName(st)), measured,
                  perPoint, measured ? sum / measured : 0.0, worst);
    }
}

struct Tally {
  int total = 0, named = 0, wrongNumbers = 0, noCallerIdOverEnergy = 0;
  std::map<QString, int> verdicts;
};

QString Given(const Tally& t) {
  QStringList parts;
  for (const auto& [key, count] : t.verdicts) parts << QStringLiteral("%1 %2").arg(key).arg(count);
  return parts.join(QStringLiteral(", "));
}

struct Options {
  uint32_t seed = 0;
  int perCell = 20;
  QString only;
  bool verbose = false;
  QString dump;
};

bool Parse(const QStringList& args, Options* o) {
  o->seed = uint32_t(QDateTime::currentMSecsSinceEpoch() & 0x7fffffff);
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--seed") && i + 1 < args.size())
      o->seed = args[++i].toUInt();
    else if (args[i] == QStringLiteral("--per-cell") && i + 1 < args.size())
      o->perCell = args[++i].toInt();
    else if (args[i] == QStringLiteral("--only") && i + 1 < args.size())
      o->only = args[++i];
    else if (args[i] == QStringLiteral("--verbose"))
      o->verbose = true;
    else if (args[i] == QStringLiteral("--dump") && i + 1 < args.size())
      o->dump = args[++i];
    else
      return false;
  }
  return o->perCell > 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options opt;
  if (!Parse(app.arguments(), &opt)) {
    std::fprintf(stderr, "usage: %s [--seed N] [--per-cell N] [--only TEXT] [--verbose] [--dump DIR]\n", argv[0]);
    return 2;
  }
  std::printf("Diagnosis benchmark, seed %u, %d recordings per cell.\n\n", opt.seed, opt.perCell);
  std::printf("| fault | standard | size | named | verdicts given |\n| --- | --- | --- | ---: | --- |\n");
  Random r{QRandomGenerator(opt.seed)};
  const size_t kBlocks[] = {1, 37, 160, 800, 4096};
  Tally inside, beyond, all;
  std::map<QString, Tally> confusion;
  int seed = 1;
  for (const Row& row : kRows) {
    if (!opt.only.isEmpty() && !QString::fromLatin1(FaultName(row.fault)).contains(opt.only)) continue;
    for (Standard st : {Standard::ClipV23, Standard::Bell202, Standard::ClipDtmf, Standard::JapanV23}) {
      if (!(row.standards & (1u << int(st)))) continue;
      for (int size = 0; size < 3; ++size) {
        Tally cell;
        for (int k = 0; k < opt.perCell; ++k) {
          const Recording rec = Make(row, st, size, r, seed++);
          const Outcome o = Judge(rec, kBlocks[r.Int(0, 4)], opt.verbose, opt.dump);
          for (Tally* t : {&cell, &all, row.figureRow && size < 2 ? &inside : &beyond,
                           &confusion[QStringLiteral("%1 (%2)")
                                          .arg(FaultName(row.fault))
                                          .arg(size < 2 && row.figureRow ? "inside" : "outside")]}) {
            ++t->total;
            t->named += o.named;
            t->wrongNumbers += o.wrongNumbers;
            t->noCallerIdOverEnergy += o.noCallerIdOverEnergy;
            ++t->verdicts[o.verdict];
          }
        }
        std::printf("| %s | %s | %s | %.1f %% | %s |\n", FaultName(row.fault), qPrintable(StandardName(st)),
                    row.sizes[size], 100.0 * cell.named / cell.total, qPrintable(Given(cell)));
        std::fflush(stdout);
      }
    }
  }
  std::printf(
      "\nConfusion (true fault -> verdicts given):\n\n| true | n | named | verdicts |\n| --- | ---: | ---: | --- |\n");
  for (const auto& [name, t] : confusion)
    std::printf("| %s | %d | %.1f %% | %s |\n", qPrintable(name), t.total, 100.0 * t.named / t.total,
                qPrintable(Given(t)));
  if (opt.only.isEmpty() || opt.only == QStringLiteral("SNR accuracy")) SnrAccuracy(r, opt.perCell, seed);
  const auto share = [](const Tally& t) { return t.total ? 100.0 * t.named / t.total : 100.0; };
  std::printf(
      "\nInside every limit: good %.1f %% (goal 99.5 %%); outside: cause named %.1f %% (goal 97 %%);\n"
      "wrong numbers %d (goal 0); no_caller_id where a burst had energy %d (goal 0).\n",
      share(inside), share(beyond), all.wrongNumbers, all.noCallerIdOverEnergy);
  return 0;
}
