// cid-line-check beside minimodem on the same one-hour recording of two
// lines: on each line a call every 30 to 60 s (a ring, a Bell 202 caller-ID
// burst, a second ring), every fifth call with a line fault (weak, noisy,
// hum, a fast bit clock, caller ID before the ring, no caller ID), all under
// line noise. Both read 8 kHz 16-bit WAV: cid-line-check the two-channel
// file, minimodem (one channel at a time) each line split into a file of
// its own, both lines' time counted. The recording is made in the run.
//
//   line_check_bench [--minutes M] [--runs N] [--keep FILE.wav]
//
// 60 minutes and one run of each by default; with several runs each tool's
// fastest counts. --keep leaves the two-line recording there, for a profiler
// or for checking that a faster build reports the same events.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <set>

#include "compared_decoders.h"
#include "tools/audio/signal_generator.h"
#include "tools/simulator/line_faults.h"

namespace {

constexpr int kLines = 2;

struct Cost {
  double cpu = 0, wall = 0;  // seconds
  bool ok = true;
};

double Now() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `argv` with its standard output into `out`, standard error discarded:
// its own processor time (user and system, from wait4) and the wall time.
Cost Run(const QStringList& argv, const QString& out) {
  std::vector<QByteArray> args;
  for (const QString& a : argv) args.push_back(QFile::encodeName(a));
  std::vector<char*> ptrs;
  for (QByteArray& a : args) ptrs.push_back(a.data());
  ptrs.push_back(nullptr);
  const QByteArray outName = QFile::encodeName(out);
  const double start = Now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int o = ::open(outName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int null = ::open("/dev/null", O_WRONLY);
    if (o < 0 || null < 0) _exit(127);
    dup2(o, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    execvp(ptrs[0], ptrs.data());
    _exit(127);
  }
  Cost c;
  int status = 0;
  rusage use{};
  if (pid < 0 || wait4(pid, &status, 0, &use) != pid) return {0, 0, false};
  c.wall = Now() - start;
  c.cpu =
      double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
  c.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return c;
}

QByteArray Contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char* kFaults[] = {"weak", "noisy", "hum", "fast-clock", "early", "no-cid"};
const char* kNames[] = {"JOHN SMITH", "MARY JONES", "ACME CORP", "ROBERT BROWN", "LINDA MILLER", "PAT LEE"};

struct Line {
  audiogen::Samples audio;
  std::multiset<QString> numbers;  // sent with caller ID that can be read
  std::multiset<QString> faulted;  // sent, but a fault meant to put it beyond reach
  int calls = 0;
};

// One line's recording: quiet line between calls, each call's noise at its
// own level so a noisy fault is noisy for that call only.
Line MakeLine(double minutes, int seed) {
  QRandomGenerator rng{uint32_t(seed)};
  Line line;
  const size_t total = size_t(minutes * 60 * 8000);
  while (true) {
    const double gap = 30 + rng.bounded(30.0);
    const double level = -30 + rng.bounded(20.0);
    const double snr = 30 + rng.bounded(10.0);
    sim::LineFaults faults;
    QString error;
    faults.Add({line.calls % 5 == 4 ? QString::fromLatin1(kFaults[(line.calls / 5) % 6]) : QStringLiteral("none")},
               &error);
    audiogen::CallBurst call;
    call.standard = audiogen::Standard::Bell202;
    call.number = QString::number(2000000000LL + rng.bounded(999999999));
    call.name = QString::fromLatin1(kNames[rng.bounded(6)]);
    call.month = 1 + rng.bounded(12), call.day = 1 + rng.bounded(28);
    call.hour = rng.bounded(24), call.minute = rng.bounded(60);
    audiogen::Samples part = audiogen::Silence(gap);
    audiogen::Append(part, sim::CallAudio(call, level, snr, faults));
    if (line.audio.size() + part.size() > total) break;
    audiogen::AddNoise(part, sim::NoiseDbm0(level, snr, faults), seed * 100003 + line.calls);
    audiogen::Append(line.audio, part);
    // The other faults put the burst beyond any decoder's reach.
    if (faults.Describe() == QLatin1String("none") || faults.early)
      line.numbers.insert(call.number);
    else if (!faults.noCallerId)
      line.faulted.insert(call.number);
    ++line.calls;
  }
  audiogen::Samples rest = audiogen::Silence(double(total - line.audio.size()) / 8000);
  audiogen::AddNoise(rest, -65, seed);
  audiogen::Append(line.audio, rest);
  return line;
}

// A faulted burst read all the same is no wrong call: its number was sent.
// Wrong is a number no burst carried.
struct Score {
  int right = 0, beyond = 0, wrong = 0;
  void Add(const Score& o) { right += o.right, beyond += o.beyond, wrong += o.wrong; }
};

Score Count(const Line& line, const std::vector<QString>& got) {
  std::multiset<QString> open = line.numbers, faulted = line.faulted;
  Score s;
  for (const QString& n : got) {
    if (const auto it = open.find(n); it != open.end()) {
      open.erase(it);
      ++s.right;
    } else if (const auto f = faulted.find(n); f != faulted.end()) {
      faulted.erase(f);
      ++s.beyond;
    } else {
      ++s.wrong;
    }
  }
  return s;
}

void Row(const char* name, const Cost& c, double audioSeconds, const Score& s, int sent) {
  std::printf("  %-16s %9.2f %9.2f %10.0f× %10.0f× %7d/%d %8d %6d\n", name, c.cpu, c.wall,
              audioSeconds * kLines / c.cpu, audioSeconds * kLines / c.wall, s.right, sent, s.beyond, s.wrong);
}

struct Options {
  double minutes = 60;
  int runs = 1;
  QString keep;
};

bool ParseOptions(const QStringList& args, Options& o) {
  for (int i = 1; i < args.size(); ++i) {
    if (args[i] == "--minutes" && i + 1 < args.size())
      o.minutes = args[++i].toDouble();
    else if (args[i] == "--runs" && i + 1 < args.size())
      o.runs = std::max(1, args[++i].toInt());
    else if (args[i] == "--keep" && i + 1 < args.size())
      o.keep = args[++i];
    else
      return false;
  }
  return true;
}

// The recording: both lines in one two-channel file for cid-line-check, each
// line in a file of its own for minimodem.
struct Recording {
  std::vector<Line> lines;
  QString both;
  QStringList single;
  double seconds = 0;
  int sent = 0;
};

Recording MakeRecording(const Options& o, const QTemporaryDir& tmp) {
  const double made = Now();
  Recording r;
  for (int l = 0; l < kLines; ++l) r.lines.push_back(MakeLine(o.minutes, 11 + l));
  r.both = tmp.filePath("lines.wav");
  audiogen::WriteWav(r.both, audiogen::Interleave({r.lines[0].audio, r.lines[1].audio}), kLines);
  for (int l = 0; l < kLines; ++l) {
    r.single << tmp.filePath(QStringLiteral("line%1.wav").arg(l + 1));
    audiogen::WriteWav(r.single.back(), r.lines[size_t(l)].audio);
  }
  if (!o.keep.isEmpty()) {
    QFile::remove(o.keep);
    QFile::copy(r.both, o.keep);
  }
  r.seconds = double(r.lines[0].audio.size()) / 8000;
  int calls = 0;
  for (const Line& l : r.lines) calls += l.calls, r.sent += int(l.numbers.size());
  std::printf("Recording: %.0f min, %d lines, %d calls (%d with caller ID), made in %.1f s\n", r.seconds / 60, kLines,
              calls, r.sent, Now() - made);
  return r;
}

// cid-line-check on the two-channel file, every standard listened for: its
// fastest run, the numbers it decoded and its verdicts (good or with a cause).
Cost RunOurs(const Recording& r, const Options& o, const QTemporaryDir& tmp, Score& score,
             std::map<bool, int>& verdicts) {
  Cost ours{1e30, 1e30, true};
  const QString out = tmp.filePath("line-check.json");
  for (int run = 0; run < o.runs; ++run) {
    const Cost c = Run({QStringLiteral(CID_LINE_CHECK), QStringLiteral("--json"), r.both}, out);
    ours = {std::min(ours.cpu, c.cpu), std::min(ours.wall, c.wall), ours.ok && c.ok};
  }
  std::vector<QString> numbers[kLines];
  for (const QByteArray& text : Contents(out).split('\n')) {
    const QJsonObject e = QJsonDocument::fromJson(text).object();
    const int line = e["line"].toInt();
    if (line < 1 || line > kLines) continue;
    if (e["event"].toString() == "burst" && e["decoded"].toBool()) numbers[line - 1].push_back(e["number"].toString());
    if (e["event"].toString() == "verdict") ++verdicts[e["good"].toBool()];
  }
  for (int l = 0; l < kLines; ++l) score.Add(Count(r.lines[size_t(l)], numbers[l]));
  return ours;
}

// minimodem one line at a time, both lines' fastest runs added.
Cost RunPeer(const Recording& r, const Options& o, const QTemporaryDir& tmp, Score& score) {
  Cost peer{0, 0, true};
  for (int l = 0; l < kLines; ++l) {
    Cost best{1e30, 1e30, true};
    const QString out = tmp.filePath(QStringLiteral("minimodem%1.txt").arg(l + 1));
    for (int run = 0; run < o.runs; ++run) {
      const Cost c = Run({"minimodem", "--rx", "-q", "-f", r.single[l], "callerid"}, out);
      best = {std::min(best.cpu, c.cpu), std::min(best.wall, c.wall), best.ok && c.ok};
    }
    peer = {peer.cpu + best.cpu, peer.wall + best.wall, peer.ok && best.ok};
    std::vector<QString> numbers;
    for (const device::audio::CallerIdMessage& m : bench::MinimodemCalls(QString::fromUtf8(Contents(out))))
      numbers.push_back(m.number);
    score.Add(Count(r.lines[size_t(l)], numbers));
  }
  return peer;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Options o;
  if (!ParseOptions(app.arguments(), o))
    return std::fprintf(stderr, "usage: %s [--minutes M] [--runs N] [--keep FILE.wav]\n", argv[0]), 2;
  const bool havePeer = !QStandardPaths::findExecutable("minimodem").isEmpty();
  QTemporaryDir tmp;
  const Recording r = MakeRecording(o, tmp);
  Score ourScore, peerScore;
  std::map<bool, int> verdicts;
  const Cost ours = RunOurs(r, o, tmp, ourScore, verdicts);
  const Cost peer = havePeer ? RunPeer(r, o, tmp, peerScore) : Cost{};

  std::printf("\n  %-16s %9s %9s %11s %11s %9s %8s %6s\n", "", "cpu s", "wall s", "× rt/ch cpu", "× rt/ch wall",
              "calls", "faulted", "wrong");
  Row("cid-line-check", ours, r.seconds, ourScore, r.sent);
  if (havePeer) Row("minimodem", peer, r.seconds, peerScore, r.sent);
  std::printf("\n  cid-line-check verdicts: %d good cycles, %d with a cause\n", verdicts[true], verdicts[false]);
  if (havePeer)
    std::printf("  minimodem / cid-line-check time: %.2f (cpu), %.2f (wall)\n", peer.cpu / ours.cpu,
                peer.wall / ours.wall);
  else
    std::printf("  minimodem not found: no peer\n");
  if (!ours.ok || !peer.ok) std::printf("  a tool exited with an error\n");
  return ours.ok && peer.ok ? 0 : 1;
}
