// Caller-ID decoding across the envelope real lines and sound cards stay
// within: each tolerance and fault on its own at its edge values, under
// band-limited noise 20 dB below the signal, and a few of them at once at
// 15 dB. The same generated audio goes to our LineDecoder (automatic mode,
// a call counts only with the standard that was sent), spandsp's stock
// adsi_rx (linked here, fixed to the standard) and minimodem (Bell 202 in
// its caller-ID mode; V.23 as a 1300/2100 Hz 1200-baud receiver whose bytes
// are checked here).
//
//   audio_conformance_bench [--messages N] [--no-peer] [--standard clip|bell|dtmf|jclip] [--only TEXT] [--verbose]
//
// 200 messages per point by default, random numbers and names; --verbose
// prints every wrong call.
extern "C" {
#include <spandsp.h>
}

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <functional>
#include <set>

#include "compared_decoders.h"
#include "device/audio/dsp/line_decoder.h"
#include "device/audio/dsp/message_parser.h"
#include "tools/audio/signal_generator.h"

using namespace device::audio;
using audiogen::BurstShape;
using audiogen::CallBurst;
using audiogen::Samples;

namespace {

// How one point's line departs from the clean one.
struct Line {
  BurstShape shape;
  double level = -20, snr = 20;
  double humHz = 0, humAboveDb = 0;
  int offset = 0;
  double clock = 1.0;  // sound card: 1.01 reads every frequency 1 % high
  enum Filter { None, Band, Loop } filter = None;
  enum Before { Quiet, Ringing, Reversal, ReversalDtas } before = Quiet;
};

struct Condition {
  QString label;
  std::function<bool(Standard)> applies;
  std::function<Line(Standard)> line;
};

bool Fsk(Standard s) { return s != Standard::ClipDtmf; }
bool Any(Standard) { return true; }
double ToneLimit(Standard s) { return s == Standard::Bell202 ? 0.01 : 0.015; }

std::vector<Condition> Conditions() {
  std::vector<Condition> c;
  auto add = [&](QString label, std::function<bool(Standard)> applies, std::function<Line(Standard)> line) {
    c.push_back({std::move(label), std::move(applies), std::move(line)});
  };
  add("nominal", Any, [](Standard) { return Line{}; });
  for (double k : {-1.7, -1.0, 1.0, 1.7})
    add(QString("tones %1%2 x limit").arg(k > 0 ? "+" : "").arg(k), Any, [k](Standard s) {
      Line l;
      l.shape.toneFactor = 1 + k * ToneLimit(s);
      return l;
    });
  for (double r : {0.98, 0.99, 1.01, 1.02})
    add(QString("bit rate %1%2 %").arg(r > 1 ? "+" : "").arg(std::lround((r - 1) * 100)), Fsk, [r](Standard) {
      Line l;
      l.shape.bitRateFactor = r;
      return l;
    });
  for (double k : {0.99, 0.995, 1.005, 1.01})
    add(QString("sound card clock %1%2 %").arg(k > 1 ? "+" : "").arg((k - 1) * 100), Any, [k](Standard) {
      Line l;
      l.clock = k;
      return l;
    });
  // Twist at the standards' edges: V.23 and the Japanese layout ±6 dB, Bell
  // 202 space 6 dB below to 10 dB above mark, DTMF 8 dB either way.
  add("twist, low edge", Any, [](Standard s) {
    Line l;
    l.shape.twistDb = s == Standard::ClipDtmf ? -8 : -6;
    return l;
  });
  add("twist, high edge", Any, [](Standard s) {
    Line l;
    l.shape.twistDb = s == Standard::ClipDtmf ? 8 : s == Standard::Bell202 ? 10 : 6;
    return l;
  });
  add("telephone band", Any, [](Standard) {
    Line l;
    l.filter = Line::Band;
    return l;
  });
  add("long loop", Any, [](Standard) {
    Line l;
    l.filter = Line::Loop;
    return l;
  });
  for (double hz : {50.0, 60.0})
    for (double db : {-12.0, 0.0, 6.0, 12.0, 18.0})
      add(QString("hum %1 Hz %2%3 dB").arg(hz).arg(db > 0 ? "+" : "").arg(db), Any, [hz, db](Standard) {
        Line l;
        l.humHz = hz, l.humAboveDb = db;
        return l;
      });
  add("DC offset 10 % of full scale", Any, [](Standard) {
    Line l;
    l.offset = 3277;
    return l;
  });
  add("ringing 0.5 s before the data", Any, [](Standard) {
    Line l;
    l.before = Line::Ringing;
    return l;
  });
  add("line reversal before the data", Any, [](Standard) {
    Line l;
    l.before = Line::Reversal;
    return l;
  });
  add(
      "line reversal and DT-AS", [](Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202; },
      [](Standard) {
        Line l;
        l.before = Line::ReversalDtas;
        return l;
      });
  add(
      "UK preamble 96/55 bits", [](Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202; },
      [](Standard) {
        Line l;
        l.shape.seizureBits = 96, l.shape.markBits = 55;
        return l;
      });
  add(
      "call waiting 0/80 bits", [](Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202; },
      [](Standard) {
        Line l;
        l.shape.seizureBits = 0, l.shape.markBits = 80;
        return l;
      });
  add(
      "call waiting 0/58 bits", [](Standard s) { return s == Standard::ClipV23 || s == Standard::Bell202; },
      [](Standard) {
        Line l;
        l.shape.seizureBits = 0, l.shape.markBits = 58;
        return l;
      });
  add(
      "mark 50 bits", [](Standard s) { return s == Standard::JapanV23; },
      [](Standard) {
        Line l;
        l.shape.seizureBits = 0, l.shape.markBits = 50;
        return l;
      });
  for (double level : {-40.0, -5.0})
    add(QString("level %1 dBm0").arg(level), Any, [level](Standard) {
      Line l;
      l.level = level;
      return l;
    });
  // Several at once, 15 dB SNR: a slow exchange on a long loop through a
  // humming coupler into a fast sound card, and the reverse.
  add("combined: tones -limit, rate -1 %, loop, hum 50 Hz +12 dB, clock +0.5 %", Any, [](Standard s) {
    Line l;
    l.snr = 15;
    l.shape.toneFactor = 1 - ToneLimit(s);
    if (s != Standard::ClipDtmf) l.shape.bitRateFactor = 0.99;
    l.filter = Line::Loop;
    l.humHz = 50, l.humAboveDb = 12;
    l.clock = 1.005;
    l.before = Line::Ringing;
    return l;
  });
  add("combined: tones +limit, rate +1 %, twist high, hum 60 Hz +18 dB, DC, clock -0.5 %", Any, [](Standard s) {
    Line l;
    l.snr = 15;
    l.shape.toneFactor = 1 + ToneLimit(s);
    if (s != Standard::ClipDtmf) l.shape.bitRateFactor = 1.01;
    l.shape.twistDb = s == Standard::ClipDtmf ? 8 : s == Standard::Bell202 ? 10 : 6;
    l.filter = Line::Band;
    l.humHz = 60, l.humAboveDb = 18;
    l.offset = 2000;
    l.clock = 0.995;
    l.before = Line::Reversal;
    return l;
  });
  return c;
}

const char* kNames[] = {"Şükrü Çağlayan", "Ayşe Öztürk", "Ömer Işık", "Gül Doğan", "Mehmet Yılmaz", "Zeynep Güneş"};
const char* kAsciiNames[] = {"JOHN SMITH", "MARY JONES", "ACME CORP", "ROBERT BROWN", "LINDA MILLER", "PAT LEE"};

// What precedes each burst: quiet line, a ring through the coupler and its
// decaying step ending 0.5 s before the data, or a line reversal (a click
// and a DC step), with or without the DT-AS alert 100 ms before the data.
Samples Before(Line::Before b, double level) {
  Samples s = audiogen::Silence(0.3);
  if (b == Line::Ringing) {
    audiogen::Append(s, audiogen::Ring(1.0, 0.0));
    Samples step(4000);
    for (size_t i = 0; i < step.size(); ++i) step[i] = int16_t(9000 * std::exp(-double(i) / 800));
    audiogen::Append(s, step);
  } else if (b == Line::Reversal || b == Line::ReversalDtas) {
    Samples step(2400);
    for (size_t i = 0; i < step.size(); ++i)
      step[i] = int16_t((i < 8 ? 20000 : 0) - 8000 * std::exp(-double(i) / 1200));
    audiogen::Append(s, step);
    if (b == Line::ReversalDtas) {
      Samples a = audiogen::Tone(2130, 0.09, level - 3), h = audiogen::Tone(2750, 0.09, level - 3);
      for (size_t i = 0; i < a.size(); ++i) a[i] = int16_t(a[i] + h[i]);
      audiogen::Append(s, a);
      audiogen::Append(s, audiogen::Silence(0.1));
    }
  }
  return s;
}

Samples Stream(Standard st, const Line& l, int n, int seed, std::vector<CallBurst>& calls) {
  QRandomGenerator rng{uint32_t(seed)};
  Samples all;
  calls.clear();
  for (int i = 0; i < n; ++i) {
    CallBurst c;
    c.standard = st;
    c.number = QString::number(2000000000LL + rng.bounded(999999999));
    if (st == Standard::ClipV23) c.name = QString::fromUtf8(kNames[rng.bounded(6)]);
    if (st == Standard::Bell202) c.name = QString::fromLatin1(kAsciiNames[rng.bounded(6)]);
    if (st == Standard::ClipV23 || st == Standard::Bell202)
      c.month = 1 + rng.bounded(12), c.day = 1 + rng.bounded(28), c.hour = rng.bounded(24), c.minute = rng.bounded(60);
    calls.push_back(c);
    audiogen::Append(all, Before(l.before, l.level));
    audiogen::Append(all, audiogen::CallerIdBurst(c, l.level, l.shape));
    audiogen::Append(all, audiogen::Silence(0.5));
  }
  // Noise and hum are reckoned against the signal as it arrives, after the
  // loop's loss.
  const double sent = audiogen::LevelDbm0(all.data(), all.size());
  if (l.filter == Line::Band) audiogen::TelephoneBand(all);
  if (l.filter == Line::Loop) audiogen::LongLoop(all);
  const double level = l.level + audiogen::LevelDbm0(all.data(), all.size()) - sent;
  audiogen::AddBandNoise(all, level - l.snr, seed);
  if (l.humHz > 0) audiogen::AddHum(all, l.humHz, level + l.humAboveDb);
  if (l.offset) audiogen::AddOffset(all, l.offset);
  return l.clock != 1.0 ? audiogen::Resample(all, l.clock) : all;
}

struct Point {
  int correct = 0, wrong = 0, total = 0;
  bool run = false;
};

bool verbose = false;

// A call is correct when its number and name (and, for ours, its standard)
// are those of a sent call not matched yet; anything else is a wrong call.
Point Score(const std::vector<CallBurst>& sent, const std::vector<CallerIdMessage>& got, bool checkStandard) {
  std::multiset<std::pair<QString, QString>> open;
  for (const CallBurst& c : sent) open.insert({c.number, c.name});
  Point p;
  p.run = true;
  p.total = int(sent.size());
  for (const CallerIdMessage& m : got) {
    auto it = open.find({m.number, m.name});
    if (it != open.end() && (!checkStandard || m.standard == sent.front().standard)) {
      open.erase(it);
      ++p.correct;
    } else if (++p.wrong; verbose)
      std::fprintf(stderr, "  wrong: %s \"%s\" %s\n", qPrintable(m.number), qPrintable(m.name),
                   qPrintable(StandardName(m.standard)));
  }
  return p;
}

// Bell 202: minimodem's caller-ID mode prints "Phone:" and "Name:" lines.
// V.23: minimodem as a plain 1200-baud receiver on the V.23 tones prints the
// bytes it framed; a message is a type byte, a length and the fields whose
// byte sum with the checksum is zero, and it must parse as a call.
std::vector<CallerIdMessage> Minimodem(const Samples& s, Standard st, const QString& dir) {
  if (st == Standard::Bell202) return bench::MinimodemBell202Calls(s, dir);
  const QString wav = dir + "/point.wav";
  audiogen::WriteWav(wav, s);
  QProcess p;
  p.start("minimodem", {"--rx", "-q", "-M", "1300", "-S", "2100", "-f", wav, "1200"});
  p.waitForFinished(1800000);
  const QByteArray out = p.readAllStandardOutput();
  std::vector<CallerIdMessage> calls;
  const auto* b = reinterpret_cast<const uint8_t*>(out.constData());
  const int n = int(out.size());
  for (int i = 0; i + 2 < n; ++i) {
    if (b[i] != 0x80 && b[i] != 0x04) continue;
    const int len = b[i + 1];
    if (i + 2 + len >= n) continue;
    uint8_t sum = 0;
    for (int k = i; k <= i + 2 + len; ++k) sum = uint8_t(sum + b[k]);
    if (sum != 0) continue;
    if (auto m = ParseFskMessage(Standard::ClipV23, b + i, len + 2)) {
      calls.push_back(*m);
      i += 2 + len;
    }
  }
  return calls;
}

QString Cell(const Point& p) {
  if (!p.run) return "-";
  return QString::asprintf("%.1f %% / %d", p.total ? 100.0 * p.correct / p.total : 0.0, p.wrong);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int messages = 200;
  bool peer = true;
  QString only;
  std::vector<Standard> standards = {Standard::ClipV23, Standard::Bell202, Standard::JapanV23, Standard::ClipDtmf};
  const QStringList args = app.arguments();
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--messages" && i + 1 < args.size()) {
      messages = args[++i].toInt();
    } else if (args[i] == "--verbose") {
      verbose = true;
    } else if (args[i] == "--no-peer") {
      peer = false;
    } else if (args[i] == "--only" && i + 1 < args.size()) {
      only = args[++i];
    } else if (args[i] == "--standard" && i + 1 < args.size()) {
      Standard s;
      if (!StandardFromSuffix(args[++i], &s) || s == Standard::Auto)
        return std::fprintf(stderr, "unknown standard\n"), 2;
      standards = {s};
    } else {
      std::fprintf(stderr,
                   "usage: %s [--messages N] [--no-peer] [--standard clip|bell|dtmf|jclip] [--only TEXT] [--verbose]\n",
                   argv[0]);
      return 2;
    }
  }
  const bool havePeer = peer && !QStandardPaths::findExecutable("minimodem").isEmpty();
  QTemporaryDir tmp;
  std::printf(
      "Caller-ID conformance: %d messages per point, -20 dBm0 and band noise 20 dB below unless the condition says "
      "otherwise.\nEach cell: correct %% / wrong calls (ours in automatic mode, with the standard sent).\n\n",
      messages);
  std::printf("| condition | standard | ours | adsi_rx | minimodem |\n| --- | --- | ---: | ---: | ---: |\n");
  int seed = 1;
  for (const Condition& c : Conditions()) {
    if (!only.isEmpty() && !c.label.contains(only)) continue;
    for (Standard st : standards) {
      if (!c.applies(st)) continue;
      std::vector<CallBurst> sent;
      const Samples s = Stream(st, c.line(st), messages, seed++, sent);
      const Point ours = Score(sent, bench::OurCalls(s, Standard::Auto), true);
      const Point stock = Score(sent, bench::StockCalls(s, st), false);
      Point mm;
      if (havePeer && (st == Standard::Bell202 || st == Standard::ClipV23))
        mm = Score(sent, Minimodem(s, st, tmp.path()), false);
      std::printf("| %s | %s | %s | %s | %s |\n", qPrintable(c.label), qPrintable(StandardName(st)),
                  qPrintable(Cell(ours)), qPrintable(Cell(stock)), qPrintable(Cell(mm)));
      std::fflush(stdout);
    }
  }
  return 0;
}
