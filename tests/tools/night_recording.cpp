#include "night_recording.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <map>

#include "tools/simulator/line_faults.h"

namespace nightaudio {

namespace {

constexpr double kLevelDbm0 = -20, kSnrDb = 45;
constexpr int kPiece = 60 * 8000;

// A cycle's audio with its own line noise, as CallAudio and NoiseDbm0 make it.
audiogen::Samples CycleAudio(const Cycle& c, int seed) {
  sim::LineFaults faults;
  QString error;
  faults.Add(c.fault.split(QLatin1Char(',')), &error);
  audiogen::CallBurst call;
  call.number = QStringLiteral("0532%1").arg(1000000 + seed % 9000000, 7, 10, QLatin1Char('0'));
  audiogen::Samples s = audiogen::Silence(0.5);
  audiogen::Append(s, sim::CallAudio(call, kLevelDbm0, kSnrDb, faults));
  audiogen::Append(s, audiogen::Silence(0.5));
  audiogen::AddNoise(s, sim::NoiseDbm0(kLevelDbm0, kSnrDb, faults), seed);
  return s;
}

void Put32(QByteArray& h, uint32_t v) {
  for (int i = 0; i < 4; ++i) h += char((v >> (8 * i)) & 0xff);
}

}  // namespace

Night Plan(int lines, double seconds, double every, const QStringList& faults, double first) {
  Night n;
  n.lines = lines;
  n.seconds = seconds;
  int k = 0;
  for (double at = first; at + every / 2 < seconds; at += every)
    for (int line = 1; line <= lines; ++line)
      n.cycles.push_back({line, at + (line - 1) * every / (2 * lines), faults[k++ % faults.size()]});
  return n;
}

QByteArray WavHeader(int channels, int64_t frames) {
  const uint32_t data = frames < 0 ? 0xFFFFFFFFu : uint32_t(frames * 2 * channels);
  QByteArray h("RIFF");
  Put32(h, frames < 0 ? 0xFFFFFFFFu : data + 36);
  h += "WAVEfmt ";
  Put32(h, 16);
  h += char(1), h += char(0);  // PCM
  h += char(channels), h += char(0);
  Put32(h, 8000);
  Put32(h, uint32_t(8000 * 2 * channels));
  h += char(2 * channels), h += char(0);
  h += char(16), h += char(0);
  h += "data";
  Put32(h, data);
  return h;
}

bool Generate(const Night& night, const std::function<bool(const audiogen::Samples&)>& sink) {
  const int64_t total = int64_t(std::llround(night.seconds * 8000));
  // Each cycle's audio, made when its piece comes and dropped once written.
  std::multimap<int64_t, std::pair<int, audiogen::Samples>> due;
  size_t next = 0;
  int seed = 1;
  // The quiet line: one minute of noise per line, over and over (hours of
  // fresh noise would cost more than the check itself).
  std::vector<audiogen::Samples> quiet(size_t(night.lines), audiogen::Silence(double(kPiece) / 8000));
  for (int l = 0; l < night.lines; ++l) audiogen::AddNoise(quiet[size_t(l)], -65, l + 1000);
  for (int64_t at = 0; at < total; at += kPiece) {
    const int64_t n = std::min<int64_t>(kPiece, total - at);
    std::vector<audiogen::Samples> lines;
    for (const audiogen::Samples& q : quiet) lines.emplace_back(q.begin(), q.begin() + n);
    for (; next < night.cycles.size() && int64_t(night.cycles[next].at * 8000) < at + n; ++next)
      due.emplace(int64_t(night.cycles[next].at * 8000),
                  std::pair{night.cycles[next].line, CycleAudio(night.cycles[next], seed++)});
    for (auto it = due.begin(); it != due.end();) {
      const audiogen::Samples& audio = it->second.second;
      audiogen::Samples& line = lines[size_t(it->second.first - 1)];
      const int64_t from = std::max(it->first, at), to = std::min(it->first + int64_t(audio.size()), at + n);
      for (int64_t i = from; i < to; ++i) line[size_t(i - at)] = audio[size_t(i - it->first)];
      it = it->first + int64_t(audio.size()) <= at + n ? due.erase(it) : std::next(it);
    }
    if (!sink(audiogen::Interleave(lines))) return false;
  }
  return true;
}

bool WriteNight(const Night& night, const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return false;
  f.write(WavHeader(night.lines, int64_t(std::llround(night.seconds * 8000))));
  return Generate(night, [&](const audiogen::Samples& frames) {
    const qint64 bytes = qint64(frames.size() * sizeof(int16_t));
    return f.write(reinterpret_cast<const char*>(frames.data()), bytes) == bytes;
  });
}

}  // namespace nightaudio
