// Caller-ID decoding across the envelope real lines, USB adapters and sound
// cards stay within, and beyond it: each tolerance and fault on its own at
// its edge values, under band-limited noise 20 dB below the signal, and a
// few of them at once. Every point draws its material fresh: the calls
// (numbers, names from every printable character of the layout's code page,
// dates, layouts), each burst's carrier and bit phase, the quiet line before
// it, and the block sizes our decoder is fed in (1, 37, 160, 800 or 4096
// samples, drawn in turn). The same audio goes to our LineDecoder (automatic
// mode, a call counts only with the standard that was sent), spandsp's stock
// adsi_rx (fixed to the standard) and minimodem (Bell 202 in its caller-ID
// mode; V.23 as a 1300/2100 Hz 1200-baud receiver whose bytes are checked).
// Each row says whether its line is inside the standard, by the limits the
// verdicts judge by.
//
//   audio_conformance_bench [--messages N] [--seed S] [--no-peer] [--standard clip|bell|dtmf|jclip]
//                           [--only TEXT] [--verbose]
//
// 200 messages per point by default; the seed is drawn when not given and
// printed either way, and a point's material depends only on the seed, its
// row and its standard (so --only repeats a row of a full run). --verbose
// prints every wrong call.
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <set>

#include "compared_decoders.h"
#include "device/audio/dsp/line_limits.h"
#include "tools/audio/signal_generator.h"

using namespace device::audio;
using audiogen::CallBurst;
using audiogen::Samples;

namespace {

// The standards a row applies to.
enum StandardSet : unsigned {
  kV23 = 1,
  kBell = 2,
  kJapan = 4,
  kDtmf = 8,
  kEtsiBell = kV23 | kBell,
  kFsk = kV23 | kBell | kJapan,
  kAll = kFsk | kDtmf,
};

unsigned SetOf(Standard s) {
  switch (s) {
    case Standard::Bell202: return kBell;
    case Standard::JapanV23: return kJapan;
    case Standard::ClipDtmf: return kDtmf;
    case Standard::ClipV23:
    case Standard::Auto: break;
  }
  return kV23;
}

enum class Filter { None, Band, Loop };
enum class Before { Quiet, Ringing, Reversal, ReversalDtas };
enum class Edge { None, Low, High };  // twist at the standard's own edge

// How one row's line departs from the clean one.
struct Line {
  double levelDbm0 = -20, snrDb = 20;  // the burst (DTMF: the pair) and band noise under it
  double toneLimits = 0;               // tone offset, in multiples of the standard's tolerance
  double ratePct = 0;                  // FSK bit rate off 1200 bit/s
  double twistDb = 0;                  // FSK space above mark, DTMF high tone above low...
  Edge twist = Edge::None;             // ...or the standard's edge
  double clockPct = 0;                 // sound card's clock fast: +1 reads every frequency and rate 1 % low
  Filter filter = Filter::None;
  double humHz = 0, humAboveDb = 0;  // fundamental against the burst
  double humThirdDb = -12, humFifthDb = -18;
  int offset = 0;  // DC, in sample units
  Before before = Before::Quiet;
  int seizureBits = -1, markBits = -1;  // FSK preamble; -1: the standard's own
  double pumpDb = 0, pumpHz = 0;        // automatic gain swinging either way
  double stepDb = 0;                    // a level step at a random place inside each burst
};

struct Row {
  const char* label;
  unsigned standards = kAll;
  Line line;
  // Fed at each block size in turn, which must all give the same events.
  bool everyBlockSize = false;
};

// Hum the interference figures allow (the Bell 202 figures; the European
// standards give none): up to 18 dB over the burst at or below 60 Hz, 6 dB
// over it from 120 to 200 Hz, and in the band (from 200 Hz) 25 dB under it.
constexpr double kHumMostAboveDb = 18, kHum120To200AboveDb = 6, kHumInBandAboveDb = -25;

const Row kRows[] = {
    {.label = "nominal", .line = {}},
    {.label = "tones -1.7 x limit", .line = {.toneLimits = -1.7}},
    {.label = "tones -1 x limit", .line = {.toneLimits = -1}},
    {.label = "tones +1 x limit", .line = {.toneLimits = 1}},
    {.label = "tones +1.7 x limit", .line = {.toneLimits = 1.7}},
    {.label = "bit rate -3 %", .standards = kFsk, .line = {.ratePct = -3}},
    {.label = "bit rate -2 %", .standards = kFsk, .line = {.ratePct = -2}},
    {.label = "bit rate -1 %", .standards = kFsk, .line = {.ratePct = -1}},
    {.label = "bit rate +1 %", .standards = kFsk, .line = {.ratePct = 1}},
    {.label = "bit rate +2 %", .standards = kFsk, .line = {.ratePct = 2}},
    {.label = "bit rate +3 %", .standards = kFsk, .line = {.ratePct = 3}},
    {.label = "sound card clock -1 %", .line = {.clockPct = -1}},
    {.label = "sound card clock -0.5 %", .line = {.clockPct = -0.5}},
    {.label = "sound card clock +0.5 %", .line = {.clockPct = 0.5}},
    {.label = "sound card clock +1 %", .line = {.clockPct = 1}},
    {.label = "twist, low edge", .line = {.twist = Edge::Low}},
    {.label = "twist, high edge", .line = {.twist = Edge::High}},
    {.label = "twist -10 dB", .line = {.twistDb = -10}},
    {.label = "twist +10 dB", .line = {.twistDb = 10}},
    // Real lines' bursts at 1217 bit/s with 6 dB of twist.
    {.label = "bit rate +1.5 %, twist -6 dB", .standards = kFsk, .line = {.ratePct = 1.5, .twistDb = -6}},
    {.label = "bit rate +1.5 %, twist +6 dB", .standards = kFsk, .line = {.ratePct = 1.5, .twistDb = 6}},
    {.label = "bit rate -3 %, twist -10 dB", .standards = kFsk, .line = {.ratePct = -3, .twistDb = -10}},
    {.label = "bit rate -3 %, twist +10 dB", .standards = kFsk, .line = {.ratePct = -3, .twistDb = 10}},
    {.label = "bit rate +3 %, twist -10 dB", .standards = kFsk, .line = {.ratePct = 3, .twistDb = -10}},
    {.label = "bit rate +3 %, twist +10 dB", .standards = kFsk, .line = {.ratePct = 3, .twistDb = 10}},
    {.label = "telephone band", .line = {.filter = Filter::Band}},
    {.label = "long loop", .line = {.filter = Filter::Loop}},
    {.label = "hum 50 Hz -12 dB", .line = {.humHz = 50, .humAboveDb = -12}},
    {.label = "hum 50 Hz 0 dB", .line = {.humHz = 50, .humAboveDb = 0}},
    {.label = "hum 50 Hz +6 dB", .line = {.humHz = 50, .humAboveDb = 6}},
    {.label = "hum 50 Hz +12 dB", .line = {.humHz = 50, .humAboveDb = 12}},
    {.label = "hum 50 Hz +18 dB", .line = {.humHz = 50, .humAboveDb = 18}},
    {.label = "hum 60 Hz -12 dB", .line = {.humHz = 60, .humAboveDb = -12}},
    {.label = "hum 60 Hz 0 dB", .line = {.humHz = 60, .humAboveDb = 0}},
    {.label = "hum 60 Hz +6 dB", .line = {.humHz = 60, .humAboveDb = 6}},
    {.label = "hum 60 Hz +12 dB", .line = {.humHz = 60, .humAboveDb = 12}},
    {.label = "hum 60 Hz +18 dB", .line = {.humHz = 60, .humAboveDb = 18}},
    // Inside the figures: harmonics 25 dB under the burst.
    {.label = "hum 50 Hz +18 dB, 3rd -24 dB, 5th -43 dB",
     .line = {.humHz = 50, .humAboveDb = 18, .humThirdDb = -24, .humFifthDb = -43}},
    {.label = "hum 60 Hz +18 dB, 3rd -24 dB, 5th -43 dB",
     .line = {.humHz = 60, .humAboveDb = 18, .humThirdDb = -24, .humFifthDb = -43}},
    {.label = "hum 50 Hz +12 dB, 3rd and 5th -10 dB",
     .line = {.humHz = 50, .humAboveDb = 12, .humThirdDb = -10, .humFifthDb = -10}},
    {.label = "hum 60 Hz +12 dB, 3rd and 5th -10 dB",
     .line = {.humHz = 60, .humAboveDb = 12, .humThirdDb = -10, .humFifthDb = -10}},
    {.label = "hum 50 Hz +18 dB, 3rd and 5th -10 dB",
     .line = {.humHz = 50, .humAboveDb = 18, .humThirdDb = -10, .humFifthDb = -10}},
    {.label = "hum 60 Hz +18 dB, 3rd and 5th -10 dB",
     .line = {.humHz = 60, .humAboveDb = 18, .humThirdDb = -10, .humFifthDb = -10}},
    {.label = "hum 50.4 Hz +18 dB, 3rd and 5th -10 dB, clock +1 %",
     .line = {.clockPct = 1, .humHz = 50.4, .humAboveDb = 18, .humThirdDb = -10, .humFifthDb = -10}},
    {.label = "DC offset 10 % of full scale", .line = {.offset = 3277}},
    {.label = "ringing 0.5 s before the data", .line = {.before = Before::Ringing}},
    {.label = "line reversal before the data", .line = {.before = Before::Reversal}},
    {.label = "line reversal and DT-AS", .standards = kEtsiBell, .line = {.before = Before::ReversalDtas}},
    {.label = "UK preamble 96/55 bits", .standards = kEtsiBell, .line = {.seizureBits = 96, .markBits = 55}},
    {.label = "call waiting 0/80 bits", .standards = kEtsiBell, .line = {.seizureBits = 0, .markBits = 80}},
    {.label = "call waiting 0/58 bits", .standards = kEtsiBell, .line = {.seizureBits = 0, .markBits = 58}},
    {.label = "mark 50 bits", .standards = kJapan, .line = {.seizureBits = 0, .markBits = 50}},
    {.label = "level -40 dBm0", .line = {.levelDbm0 = -40}},
    {.label = "level -5 dBm0", .line = {.levelDbm0 = -5}},
    {.label = "gain pumping 3 dB at 1 Hz", .line = {.pumpDb = 3, .pumpHz = 1}},
    {.label = "gain pumping 3 dB at 4 Hz", .line = {.pumpDb = 3, .pumpHz = 4}},
    {.label = "gain pumping 3 dB at 7 Hz", .line = {.pumpDb = 3, .pumpHz = 7}},
    {.label = "gain pumping 3 dB at 10 Hz", .line = {.pumpDb = 3, .pumpHz = 10}},
    {.label = "gain pumping 3 dB at 10 Hz, 40 dB SNR", .line = {.snrDb = 40, .pumpDb = 3, .pumpHz = 10}},
    {.label = "level step +6 dB inside the burst", .line = {.stepDb = 6}},
    {.label = "level step -6 dB inside the burst", .line = {.stepDb = -6}},
    {.label = "block sizes 1, 37, 160, 800, 4096", .line = {}, .everyBlockSize = true},
    // Several at once, 15 dB SNR: a slow exchange on a long loop through a
    // humming coupler into a fast sound card, and the reverse.
    {.label = "combined: tones -limit, rate -1 %, loop, hum 50 Hz +12 dB, clock +0.5 %",
     .line = {.snrDb = 15,
              .toneLimits = -1,
              .ratePct = -1,
              .clockPct = 0.5,
              .filter = Filter::Loop,
              .humHz = 50,
              .humAboveDb = 12,
              .before = Before::Ringing}},
    {.label = "combined: tones +limit, rate +1 %, twist high, hum 60 Hz +18 dB, DC, clock -0.5 %",
     .line = {.snrDb = 15,
              .toneLimits = 1,
              .ratePct = 1,
              .twist = Edge::High,
              .clockPct = -0.5,
              .filter = Filter::Band,
              .humHz = 60,
              .humAboveDb = 18,
              .offset = 2000,
              .before = Before::Reversal}},
    {.label = "combined: tones +1 %, rate -1 %, twist +5 dB, hum 60 Hz +12 dB, gain pumping 3 dB at 4 Hz",
     .line = {.snrDb = 15,
              .toneLimits = 1,
              .ratePct = -1,
              .twistDb = 5,
              .humHz = 60,
              .humAboveDb = 12,
              .pumpDb = 3,
              .pumpHz = 4}},
};

// The row's figures for one standard.
double TwistDb(const Line& l, Standard s) {
  if (l.twist == Edge::Low) return LimitsOf(s).twistDb.low;
  if (l.twist == Edge::High) return LimitsOf(s).twistDb.high;
  return l.twistDb;
}
double ToneFactor(const Line& l, Standard s) { return 1 + l.toneLimits * LimitsOf(s).tonePct / 100; }

// Whether every figure of the line is within the standard: the limits the
// verdicts judge by, and the interference figures for hum. A sound card's
// clock moves the tones and the rate together; the long loop tilts the band
// by its 6 dB; gain pumping, level steps and a DC offset have no figure.
bool Inside(const Line& l, Standard s) {
  const LineLimits limits = LimitsOf(s);
  const bool dtmf = s == Standard::ClipDtmf;
  const double perTone = dtmf ? l.levelDbm0 - 3 : l.levelDbm0;
  const double toneOff = std::fabs((ToneFactor(l, s) * (1 + l.clockPct / 100) - 1) * 100);
  const double rateOff = std::fabs(((1 + l.ratePct / 100) * (1 + l.clockPct / 100) - 1) * 100);
  const double twist = TwistDb(l, s) + (l.filter == Filter::Loop && !dtmf ? -6 : 0);
  const double third = l.humAboveDb + l.humThirdDb, fifth = l.humAboveDb + l.humFifthDb;
  const bool humInside =
      l.humHz == 0 || (l.humAboveDb <= kHumMostAboveDb && third <= kHum120To200AboveDb && fifth <= kHumInBandAboveDb);
  const bool preamble = dtmf || ((l.seizureBits <= 0 || limits.seizureBits.Holds(l.seizureBits)) &&
                                 (l.markBits < 0 || limits.markBits.Holds(l.markBits)));
  return limits.levelDbm0.Holds(perTone - l.pumpDb - std::max(0.0, -l.stepDb)) &&
         limits.levelDbm0.Holds(perTone + l.pumpDb + std::max(0.0, l.stepDb)) && l.snrDb >= limits.leastSnrDb &&
         toneOff <= limits.tonePct + 1e-9 && (dtmf || rateOff <= limits.ratePct + 1e-9) &&
         limits.twistDb.Holds(twist) && humInside && preamble;
}

// What precedes each burst: quiet line, a ring through the coupler and its
// decaying step ending 0.5 s before the data, or a line reversal (a click
// and a DC step), with or without the DT-AS alert 100 ms before the data.
Samples Before(Before b, double level) {
  Samples s;
  if (b == Before::Ringing) {
    audiogen::Append(s, audiogen::Ring(1.0, 0.0));
    Samples step(4000);
    for (size_t i = 0; i < step.size(); ++i) step[i] = int16_t(9000 * std::exp(-double(i) / 800));
    audiogen::Append(s, step);
  } else if (b == Before::Reversal || b == Before::ReversalDtas) {
    Samples step(2400);
    for (size_t i = 0; i < step.size(); ++i)
      step[i] = int16_t((i < 8 ? 20000 : 0) - 8000 * std::exp(-double(i) / 1200));
    audiogen::Append(s, step);
    if (b == Before::ReversalDtas) {
      audiogen::Append(s, audiogen::AlertTone(0.09, level - 3));
      audiogen::Append(s, audiogen::Silence(0.1));
    }
  }
  return s;
}

struct Stream {
  Samples audio;
  std::vector<CallBurst> calls;
};

// `n` calls, each after 0.3 to 0.7 s of quiet line and what the row puts
// before it, with 0.5 s of quiet line after the last; the burst's phases
// drawn. Where the row asks, each burst's level steps at a random place.
Stream Bursts(Standard st, const Line& l, int n, QRandomGenerator& rng) {
  Stream out;
  audiogen::BurstShape shape{.bitRateFactor = 1 + l.ratePct / 100,
                             .toneFactor = ToneFactor(l, st),
                             .twistDb = TwistDb(l, st),
                             .seizureBits = l.seizureBits,
                             .markBits = l.markBits};
  for (int i = 0; i < n; ++i) {
    out.calls.push_back(audiogen::RandomCall(st, rng));
    shape.carrierPhase = rng.generateDouble(), shape.bitPhase = rng.generateDouble();
    audiogen::Append(out.audio, audiogen::Silence(0.3 + 0.4 * rng.generateDouble()));
    audiogen::Append(out.audio, Before(l.before, l.levelDbm0));
    Samples burst = audiogen::CallerIdBurst(out.calls.back(), l.levelDbm0, shape);
    if (l.stepDb != 0) audiogen::StepGain(burst, size_t(rng.bounded(int(burst.size()))), burst.size(), l.stepDb);
    audiogen::Append(out.audio, burst);
  }
  audiogen::Append(out.audio, audiogen::Silence(0.5));
  return out;
}

// The row's line over the bursts: the loop, noise and hum reckoned against
// the signal as it arrives (after the loop's loss), a DC offset, the sound
// card's clock and its automatic gain.
Stream MakeStream(Standard st, const Line& l, int n, uint32_t seed) {
  QRandomGenerator rng(seed);
  Stream s = Bursts(st, l, n, rng);
  Samples& a = s.audio;
  const double sent = audiogen::LevelDbm0(a.data(), a.size());
  if (l.filter == Filter::Band) audiogen::TelephoneBand(a);
  if (l.filter == Filter::Loop) audiogen::LongLoop(a);
  const double level = l.levelDbm0 + audiogen::LevelDbm0(a.data(), a.size()) - sent;
  audiogen::AddBandNoise(a, level - l.snrDb, int(rng.bounded(1 << 30)));
  if (l.humHz > 0)
    audiogen::AddHum(a, {.hz = l.humHz,
                         .levelDbm0 = level + l.humAboveDb,
                         .thirdDb = l.humThirdDb,
                         .fifthDb = l.humFifthDb,
                         .phase = rng.generateDouble()});
  if (l.offset) audiogen::AddOffset(a, l.offset);
  if (l.clockPct != 0) a = audiogen::Resample(a, 1 + l.clockPct / 100);
  if (l.pumpDb != 0) audiogen::PumpGain(a, l.pumpDb, l.pumpHz, rng.generateDouble());
  return s;
}

struct Options {
  int messages = 200;
  uint32_t seed = 0;
  bool peer = true, verbose = false;
  QString only;
  std::vector<Standard> standards = {Standard::ClipV23, Standard::Bell202, Standard::JapanV23, Standard::ClipDtmf};
};

struct Point {
  int correct = 0, wrong = 0, total = 0;
  bool run = false;
};

// What a call says that a wrong reading could change. minimodem prints no
// reason for an absent number, so that is compared only where the decoder
// gives it.
QString Key(const CallerIdMessage& m, bool absence) {
  const QString date = QString::asprintf("%d-%d %d:%d", m.month, m.day, m.hour, m.minute);
  return m.number + u'|' + m.name + u'|' + (absence ? QString::number(int(m.absence)) : QString()) + u'|' + date;
}

CallerIdMessage Expected(const CallBurst& c) {
  CallerIdMessage m;
  m.number = c.number;
  m.absence = c.absence;
  m.name = c.name;
  if (c.standard == Standard::ClipV23 || c.standard == Standard::Bell202)
    m.month = c.month, m.day = c.day, m.hour = c.hour, m.minute = c.minute;
  return m;
}

// A call is correct when all it says is what a sent call not matched yet
// said (for ours, with the standard sent); anything else is a wrong call.
Point Score(const std::vector<CallBurst>& sent, const std::vector<CallerIdMessage>& got, bool ours, bool verbose) {
  std::multiset<QString> open;
  for (const CallBurst& c : sent) open.insert(Key(Expected(c), ours));
  Point p{.total = int(sent.size()), .run = true};
  for (const CallerIdMessage& m : got) {
    const auto it = open.find(Key(m, ours));
    if (it != open.end() && (!ours || m.standard == sent.front().standard)) {
      open.erase(it);
      ++p.correct;
    } else if (++p.wrong; verbose) {
      std::fprintf(stderr, "  wrong (%s): %s %s\n", ours ? "ours" : "peer", qPrintable(Key(m, true)),
                   qPrintable(StandardName(m.standard)));
    }
  }
  if (verbose && ours)
    for (const QString& k : open) std::fprintf(stderr, "  missed: %s\n", qPrintable(k));
  return p;
}

QString Cell(const Point& p) {
  if (!p.run) return "-";
  return QString::asprintf("%.1f %% / %d", p.total ? 100.0 * p.correct / p.total : 0.0, p.wrong);
}

// Everything our decoder reported, one line per event, to tell block sizes apart.
QStringList Story(const std::vector<LineEvent>& events) {
  QStringList story;
  for (const LineEvent& e : events)
    story << (std::holds_alternative<CallerIdMessage>(e) ? Key(std::get<CallerIdMessage>(e), true)
                                                         : QStringLiteral("checksum failure"));
  return story;
}

// Ours at each block size in turn: the worst of them, and whether any
// reported differently from the first.
Point OursAtEveryBlockSize(const Stream& s, const Options& o, bool* alike) {
  Point worst;
  QStringList first;
  *alike = true;
  for (size_t block : bench::kBlockSizes) {
    const std::vector<LineEvent> events = bench::OurEvents(s.audio, Standard::Auto, {.block = block});
    std::vector<CallerIdMessage> calls;
    for (const LineEvent& e : events)
      if (const auto* c = std::get_if<CallerIdMessage>(&e)) calls.push_back(*c);
    const Point p = Score(s.calls, calls, true, o.verbose);
    if (!worst.run || p.correct < worst.correct || p.wrong > worst.wrong) worst = p;
    const QStringList story = Story(events);
    if (first.isEmpty()) first = story;
    *alike = *alike && story == first;
  }
  return worst;
}

struct Tally {
  int points = 0, insideShort = 0, wrongCalls = 0, wrongInside = 0, blockSizesDiffer = 0;
};

// One row at one standard: its line, each decoder's score, the table's line.
void RunPoint(const Row& row, Standard st, const Options& o, const QString& dir, Tally& tally) {
  const uint32_t seed = uint32_t(qHashMulti(o.seed, QLatin1String(row.label), int(st)));
  const Stream s = MakeStream(st, row.line, o.messages, seed);
  bool alike = true;
  const Point ours = row.everyBlockSize ? OursAtEveryBlockSize(s, o, &alike)
                                        : Score(s.calls, bench::OurCalls(s.audio, Standard::Auto, {.seed = seed | 1}),
                                                true, o.verbose);
  const Point stock = Score(s.calls, bench::StockCalls(s.audio, st), false, o.verbose);
  Point mm;
  if (o.peer && st == Standard::Bell202) mm = Score(s.calls, bench::MinimodemBell202Calls(s.audio, dir), false, false);
  if (o.peer && st == Standard::ClipV23) mm = Score(s.calls, bench::MinimodemV23Calls(s.audio, dir), false, false);
  const bool inside = Inside(row.line, st);
  ++tally.points;
  tally.wrongCalls += ours.wrong;
  if (inside) tally.wrongInside += ours.wrong;
  if (inside && ours.correct * 1000 < ours.total * 995) ++tally.insideShort;
  if (!alike) ++tally.blockSizesDiffer;
  std::printf("| %s | %s | %s | %s%s | %s | %s |\n", row.label, qPrintable(StandardName(st)), inside ? "yes" : "no",
              qPrintable(Cell(ours)), alike ? "" : " (block sizes differ)", qPrintable(Cell(stock)),
              qPrintable(Cell(mm)));
  std::fflush(stdout);
}

bool ParseOptions(const QStringList& args, Options& o) {
  for (int i = 1; i < args.size(); ++i) {
    const bool value = i + 1 < args.size();
    if (args[i] == "--messages" && value) {
      o.messages = args[++i].toInt();
    } else if (args[i] == "--seed" && value) {
      o.seed = args[++i].toUInt();
    } else if (args[i] == "--verbose") {
      o.verbose = true;
    } else if (args[i] == "--no-peer") {
      o.peer = false;
    } else if (args[i] == "--only" && value) {
      o.only = args[++i];
    } else if (args[i] == "--standard" && value) {
      Standard s;
      if (!StandardFromSuffix(args[++i], &s) || s == Standard::Auto) return false;
      o.standards = {s};
    } else {
      return false;
    }
  }
  if (o.seed == 0) o.seed = 1 + QRandomGenerator::system()->bounded(1u << 30);
  return true;
}

void PrintSummary(const Tally& t) {
  std::printf(
      "\n%d points; inside the standards: %d below 99.5 %%, %d wrong calls; all rows: %d wrong calls; block sizes "
      "reported differently at %d points.\n",
      t.points, t.insideShort, t.wrongInside, t.wrongCalls, t.blockSizesDiffer);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options o;
  if (!ParseOptions(app.arguments(), o)) {
    std::fprintf(stderr,
                 "usage: %s [--messages N] [--seed S] [--no-peer] [--standard clip|bell|dtmf|jclip] [--only TEXT] "
                 "[--verbose]\n",
                 argv[0]);
    return 2;
  }
  o.peer = o.peer && !QStandardPaths::findExecutable("minimodem").isEmpty();
  QTemporaryDir tmp;
  std::printf(
      "Caller-ID conformance, seed %u: %d messages per point, -20 dBm0 and band noise 20 dB below unless the row says "
      "otherwise.\nEach cell: correct %% / wrong calls (ours in automatic mode, with the standard sent; fed in "
      "blocks of sizes drawn from 1, 37, 160, 800 and 4096).\n\n",
      o.seed, o.messages);
  std::printf(
      "| condition | standard | inside the standard | ours | adsi_rx | minimodem |\n| --- | --- | --- | ---: | ---: | "
      "---: |\n");
  Tally tally;
  for (const Row& row : kRows) {
    if (!o.only.isEmpty() && !QLatin1String(row.label).contains(o.only)) continue;
    for (Standard st : o.standards)
      if (row.standards & SetOf(st)) RunPoint(row, st, o, tmp.path(), tally);
  }
  PrintSummary(tally);
  return 0;
}
