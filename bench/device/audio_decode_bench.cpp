// Caller-ID decoding on noisy lines: share of messages decoded correctly
// and false decodes over signal level and signal-to-noise ratio, for our
// line decoder, spandsp's stock receiver and (Bell 202) minimodem; the CPU
// time four lines cost; and false calls over speech (talk-off).
//
//   audio_decode_bench [--messages N] [--talkoff-minutes M] [--no-peer] [--standard clip|bell|dtmf|jclip]
//
// 200 messages per point and an hour of speech by default; --quick is
// --messages 20 --talkoff-minutes 5.
#define SPANDSP_EXPOSE_INTERNAL_STRUCTURES
extern "C" {
#include <spandsp.h>
}

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <set>

#include "compared_decoders.h"
#include "device/audio/dsp/dtmf_tone_detector.h"
#include "device/audio/dsp/line_decoder.h"
#include "device/audio/dsp/line_front_end.h"
#include "device/audio/dsp/message_parser.h"
#include "tools/audio/signal_generator.h"

using namespace device::audio;
using audiogen::CallBurst;
using audiogen::Samples;

namespace {

const std::vector<double> kLevels = {-40, -35, -30, -25, -20, -15, -10, -5};
const std::vector<double> kSnrs = {6, 9, 12, 15, 18, 21, 24, 27, 30};

struct Options {
  int messages = 200;
  double talkoffMinutes = 60;
  bool peer = true;
  std::vector<Standard> standards = {Standard::ClipV23, Standard::Bell202, Standard::ClipDtmf, Standard::JapanV23};
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

const char* kNames[] = {"Şükrü Çağlayan", "Ayşe Öztürk", "Ömer Işık", "Gül Doğan", "Mehmet Yılmaz", "Zeynep Güneş"};
const char* kAsciiNames[] = {"JOHN SMITH", "MARY JONES", "ACME CORP", "ROBERT BROWN", "LINDA MILLER", "PAT LEE"};

struct Point {
  int correct = 0, wrong = 0, total = 0;
};

// A point's stream: `n` calls, each 0.3 s of line noise, a burst and 0.5 s
// of line noise, all under white noise `snr` below `level`.
Samples Stream(Standard st, double level, double snr, int n, int seed, std::vector<CallBurst>& calls) {
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
    audiogen::Append(all, audiogen::Silence(0.3));
    audiogen::Append(all, audiogen::CallerIdBurst(c, level));
    audiogen::Append(all, audiogen::Silence(0.5));
  }
  audiogen::AddNoise(all, level - snr, seed);
  return all;
}

// Scores decoded calls against the sent ones: a call is correct when its
// number and name are those of a sent call not matched yet.
Point Score(const std::vector<CallBurst>& sent, const std::vector<CallerIdMessage>& got) {
  std::multiset<std::pair<QString, QString>> open;
  for (const CallBurst& c : sent) open.insert({c.number, c.name});
  Point p;
  p.total = int(sent.size());
  for (const CallerIdMessage& m : got) {
    auto it = open.find({m.number, m.name});
    if (it != open.end()) {
      open.erase(it);
      ++p.correct;
    } else {
      ++p.wrong;
    }
  }
  return p;
}

QString Cell(const Point& p) {
  QString s = QString::asprintf("%5.1f", p.total ? 100.0 * p.correct / p.total : 0.0);
  if (p.wrong) s += QString::asprintf("/%df", p.wrong);
  return s;
}

void PrintTable(const char* title, const std::map<std::pair<double, double>, Point>& t) {
  std::printf("\n%s: %% decoded correctly (/Nf: N false decodes)\n  dBm0 \\ SNR dB", title);
  for (double snr : kSnrs) std::printf(" %8.0f", snr);
  std::printf("\n");
  for (double level : kLevels) {
    std::printf("  %12.0f", level);
    for (double snr : kSnrs) {
      auto it = t.find({level, snr});
      std::printf(" %8s", it == t.end() ? "-" : qPrintable(Cell(it->second)));
    }
    std::printf("\n");
  }
}

// Lowest SNR at which every level from -35 to -10 dBm0 decodes 99 %.
QString Lowest99(const std::map<std::pair<double, double>, Point>& t) {
  for (double snr : kSnrs) {
    bool all = true;
    for (double level : kLevels) {
      if (level < -35 || level > -10) continue;
      auto it = t.find({level, snr});
      if (it == t.end() || it->second.correct * 100 < it->second.total * 99) all = false;
    }
    if (all) return QString::number(snr) + " dB";
  }
  return "above 30 dB";
}

// Speech clips from espeak-ng in a few voices and speeds, at 8 kHz; the
// checked-in sample when espeak-ng or sox is missing.
std::vector<Samples> SpeechClips(const QString& dir) {
  std::vector<Samples> clips;
  const char* texts[] = {"Merhaba, lütfen bir saat sonra tekrar arayın, hattı deniyoruz.",
                         "Good morning, this is a test of the telephone line, one two three four five.",
                         "Guten Tag, bitte rufen Sie später noch einmal an, vielen Dank."};
  const char* voices[] = {"tr", "en", "de"};
  int k = 0;
  for (int v = 0; v < 3; ++v) {
    for (int speed : {130, 175}) {
      for (int pitch : {30, 70}) {
        const QString raw = QString("%1/speech%2.raw").arg(dir).arg(k++);
        const QString cmd = QString(
                                "espeak-ng -v %1 -s %2 -p %3 --stdout \"%4\" | sox -t wav - -t raw -r 8000 -c 1 -b 16 "
                                "-e signed-integer %5")
                                .arg(voices[v])
                                .arg(speed)
                                .arg(pitch)
                                .arg(texts[v], raw);
        if (QProcess::execute("sh", {"-c", cmd}) != 0) continue;
        QFile f(raw);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray b = f.readAll();
        Samples s(size_t(b.size() / 2));
        std::memcpy(s.data(), b.constData(), s.size() * 2);
        if (!s.empty()) clips.push_back(s);
      }
    }
  }
  return clips;
}

// Music-like sound: notes of an equal-tempered scale with their harmonics,
// three to six at a time, 50 to 400 ms each, the hardest talk-off material
// for a tone-pair detector (steady partials, some near DTMF tones).
Samples MusicClip(QRandomGenerator& rng, double seconds) {
  Samples out;
  while (double(out.size()) < seconds * kSampleRate) {
    const size_t n = size_t(400 + rng.bounded(2800));
    std::vector<double> v(n, 0.0);
    const int notes = 3 + rng.bounded(4);
    for (int k = 0; k < notes; ++k) {
      const double f0 = 110.0 * std::pow(2.0, rng.bounded(48) / 12.0);
      const double phase = rng.bounded(6.28);
      for (int h = 1; h <= 4 && f0 * h < 3800; ++h)
        for (size_t i = 0; i < n; ++i) v[i] += std::sin(2 * M_PI * f0 * h * double(i) / kSampleRate + phase * h) / h;
    }
    for (double x : v) out.push_back(int16_t(std::clamp(x * 3000, -32767.0, 32767.0)));
  }
  return out;
}

// Digit onsets over talk-off audio: our tone-pair detector (two agreeing
// steps, as the receiver takes a digit) against spandsp's detector set as
// our receiver had it before (10 dB twist, -46 dBm0), both after the front end.
struct DigitCounter {
  LineFrontEnd frontEnd;
  DtmfToneDetector ours;
  dtmf_rx_state_t* before = nullptr;
  int oursDigits = 0, beforeDigits = 0;
  char previous = 0;
  bool on = false;
  DigitCounter() {
    before = dtmf_rx_init(nullptr, nullptr, nullptr);
    dtmf_rx_parms(before, 0, 10, 10, -46);
    dtmf_rx_set_realtime_callback(
        before, [](void* user, int code, int, int) { static_cast<DigitCounter*>(user)->beforeDigits += code != 0; },
        this);
  }
  ~DigitCounter() { dtmf_rx_free(before); }
  void Feed(const int16_t* s, size_t n) {
    std::vector<float> x(n);
    frontEnd.Filter(s, n, x.data());
    std::vector<DtmfToneDetector::Step> steps;
    ours.Feed(x.data(), n, steps);
    for (const auto& st : steps) {
      if (st.key && st.key == previous && !on) ++oursDigits, on = true;
      if (st.key != previous) on = false;
      previous = st.key;
    }
    std::vector<int16_t> x16(n);
    for (size_t i = 0; i < n; ++i) x16[i] = int16_t(std::clamp(std::lround(x[i]), -32768L, 32767L));
    for (size_t i = 0; i < n; i += 102) dtmf_rx(before, x16.data() + i, int(std::min<size_t>(102, n - i)));
  }
};

// Reads the command line; false for a usage error.
bool ParseOptions(const QStringList& args, Options& o) {
  for (int i = 1; i < args.size(); ++i) {
    const bool value = i + 1 < args.size();
    if (args[i] == "--messages" && value) {
      o.messages = args[++i].toInt();
    } else if (args[i] == "--talkoff-minutes" && value) {
      o.talkoffMinutes = args[++i].toDouble();
    } else if (args[i] == "--quick") {
      o.messages = 20, o.talkoffMinutes = 5;
    } else if (args[i] == "--no-peer") {
      o.peer = false;
    } else if (args[i] == "--standard" && value) {
      Standard s;
      if (!StandardFromSuffix(args[++i], &s) || s == Standard::Auto) return false;
      o.standards = {s};
    } else {
      return false;
    }
  }
  return true;
}

// Processor time our decoder took on the sweeps, and the audio it decoded.
struct SweepCost {
  double cpu = 0, audioSeconds = 0;
};

// One standard's sweep over level and SNR: the three tables, and the line
// of the summary that says where each decoder reaches 99 %.
QString Sweep(Standard st, const Options& o, const QString& dir, SweepCost& cost) {
  std::map<std::pair<double, double>, Point> ours, stock, peer;
  int seed = 1;
  for (double level : kLevels) {
    for (double snr : kSnrs) {
      std::vector<CallBurst> sent;
      const Samples s = Stream(st, level, snr, o.messages, seed++, sent);
      cost.audioSeconds += double(s.size()) / kSampleRate;
      const double t0 = CpuSeconds();
      const std::vector<CallerIdMessage> decoded = bench::OurCalls(s, Standard::Auto);
      cost.cpu += CpuSeconds() - t0;
      ours[{level, snr}] = Score(sent, decoded);
      stock[{level, snr}] = Score(sent, bench::StockCalls(s, st));
      if (o.peer && st == Standard::Bell202) peer[{level, snr}] = Score(sent, bench::MinimodemBell202Calls(s, dir));
    }
  }
  const QString name = StandardName(st);
  PrintTable(qPrintable("Ours, " + name), ours);
  PrintTable(qPrintable("spandsp stock adsi_rx, " + name), stock);
  if (!peer.empty()) PrintTable("minimodem --rx callerid, bell", peer);
  return QString("  %1: ours %2, stock %3%4")
      .arg(name, -5)
      .arg(Lowest99(ours), Lowest99(stock))
      .arg(peer.empty() ? QString() : ", minimodem " + Lowest99(peer));
}

// CPU: four lines of quiet line noise with a call every 20 s each, fed in
// 20 ms periods as a capture thread reads them.
void MeasureFourLines(const SweepCost& sweep) {
  std::vector<Samples> lines;
  for (int ch = 0; ch < 4; ++ch) {
    Samples s;
    for (int k = 0; k < 6; ++k) {
      Samples quiet = audiogen::Silence(19.0 + ch * 0.25);
      audiogen::Append(s, quiet);
      CallBurst c;
      c.standard = k % 2 ? Standard::Bell202 : Standard::ClipV23;
      c.number = "02125550123";
      audiogen::Append(s, audiogen::CallerIdBurst(c, -20));
    }
    audiogen::Append(s, audiogen::Silence(1.0));  // the last call settles
    audiogen::AddNoise(s, -60, 100 + ch);
    lines.push_back(s);
  }
  std::vector<std::unique_ptr<LineDecoder>> decoders;
  for (int ch = 0; ch < 4; ++ch) decoders.push_back(std::make_unique<LineDecoder>());
  const double t0 = CpuSeconds();
  std::vector<LineEvent> events;
  const size_t len = lines.back().size();  // the longest
  for (size_t i = 0; i < len; i += 160)
    for (int ch = 0; ch < 4; ++ch)
      if (i < lines[ch].size())
        decoders[ch]->Feed(lines[ch].data() + i, std::min<size_t>(160, lines[ch].size() - i), events);
  const double cpu = CpuSeconds() - t0;
  const double seconds = double(len) / kSampleRate;
  std::printf(
      "\nCPU for 4 lines: %.3f s for %.0f s of audio = %.3f %% of one core (%zu calls), %.0f times real time a line\n",
      cpu, seconds, 100.0 * cpu / seconds, events.size(), 4 * seconds / cpu);
  if (sweep.audioSeconds > 0)
    std::printf("Sweep decoding: %.1f s CPU for %.0f s of one-line audio = %.3f %% per line\n", sweep.cpu,
                sweep.audioSeconds, 100.0 * sweep.cpu / sweep.audioSeconds);
}

// Talk-off: speech clips and music-like chords back to back at levels from
// -35 to -5 dBm0 under line noise, for as long as asked.
void TalkOff(const Options& o, const QString& dir) {
  std::vector<Samples> clips = SpeechClips(dir);
  if (clips.empty()) {
    std::printf("\nTalk-off: no speech (espeak-ng and sox needed)\n");
    return;
  }
  const double total = o.talkoffMinutes * 60;
  LineDecoder auto_(Standard::Auto), japan(Standard::JapanV23);
  DigitCounter digits;
  int calls = 0, failures = 0;
  double done = 0, music = 0;
  QRandomGenerator rng(7);
  int k = 0;
  while (done < total) {
    Samples s;
    while (double(s.size()) < 60.0 * kSampleRate) {
      // Every other clip music, the rest speech.
      Samples clip = k % 2 == 1 ? MusicClip(rng, 6.0) : clips[size_t(k) % clips.size()];
      if (k++ % 2 == 1) music += double(clip.size()) / kSampleRate;
      const double level = -35 + rng.bounded(30.0);
      audiogen::Amplify(clip, std::pow(10.0, (level - audiogen::LevelDbm0(clip.data(), clip.size())) / 20.0));
      audiogen::Append(s, clip);
      audiogen::Append(s, audiogen::Silence(rng.bounded(1.0)));
    }
    audiogen::AddNoise(s, -50 + rng.bounded(15.0), k);
    std::vector<LineEvent> events;
    for (size_t i = 0; i < s.size(); i += 800) {
      auto_.Feed(s.data() + i, std::min<size_t>(800, s.size() - i), events);
      japan.Feed(s.data() + i, std::min<size_t>(800, s.size() - i), events);
      digits.Feed(s.data() + i, std::min<size_t>(800, s.size() - i));
    }
    for (const LineEvent& e : events) (std::holds_alternative<CallerIdMessage>(e) ? calls : failures)++;
    done += double(s.size()) / kSampleRate;
  }
  std::printf(
      "\nTalk-off: %.0f min of speech (%zu espeak-ng clips) and music-like chords (%.0f min), -35..-5 dBm0, and "
      "noise: %d false calls, %d checksum failures\n",
      done / 60, clips.size(), music / 60, calls, failures);
  std::printf("  DTMF digits heard in it: ours %d, spandsp's detector as set before %d\n", digits.oursDigits,
              digits.beforeDigits);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options o;
  if (!ParseOptions(app.arguments(), o)) {
    std::fprintf(
        stderr,
        "usage: %s [--messages N] [--talkoff-minutes M] [--quick] [--no-peer] [--standard clip|bell|dtmf|jclip]\n",
        argv[0]);
    return 2;
  }
  o.peer = o.peer && !QStandardPaths::findExecutable("minimodem").isEmpty();
  QTemporaryDir tmp;
  std::printf(
      "Caller-ID decoding: %d messages per point, white noise over the whole band; our decoder listens for every "
      "standard (Auto).\n",
      o.messages);
  SweepCost cost;
  std::vector<QString> summary;
  for (Standard st : o.standards) summary.push_back(Sweep(st, o, tmp.path(), cost));
  std::printf("\nLowest SNR at which every level from -35 to -10 dBm0 decodes 99 %%:\n");
  for (const QString& line : summary) std::printf("%s\n", qPrintable(line));
  MeasureFourLines(cost);
  if (o.talkoffMinutes > 0) TalkOff(o, tmp.path());
  return 0;
}
