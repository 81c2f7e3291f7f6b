#include "tools/simulator/audio_line.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>

#include "device/audio/dsp/level_meter.h"
#include "device/directory/device_directory.h"

namespace sim {

namespace {

constexpr int kRate = 8000;
// A reader that stops taking audio loses it after this much (a live line does not wait).
constexpr qsizetype kMaxPendingSeconds = 2;

QByteArray StreamHeader(int channels) {
  QByteArray h("RIFF\xff\xff\xff\xffWAVEfmt ", 16);
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) h += char(v >> (8 * i));
  };
  auto u16 = [&](int v) { h += char(v), h += char(v >> 8); };
  u32(16);
  u16(1);
  u16(channels);
  u32(kRate);
  u32(uint32_t(kRate * channels * 2));
  u16(channels * 2);
  u16(16);
  h += "data";
  u32(0xFFFFFFFF);  // live: no size known
  return h;
}

}  // namespace

AudioLine::AudioLine(QString directory, QString entryName, const AudioOptions& options)
    : directory_(std::move(directory)),
      entryName_(std::move(entryName)),
      options_(options),
      fifoDir_(QDir::tempPath() + QStringLiteral("/cid-audio-XXXXXX")) {
  fifo_ = fifoDir_.filePath(QStringLiteral("line.wav"));
  noiseDbm0_.fill(NoiseDbm0(options_.levelDbm0, options_.snrDb, options_.faults));
  connect(&timer_, &QTimer::timeout, this, &AudioLine::Produce);
}

AudioLine::~AudioLine() { Unplug(); }

QString AudioLine::EntryPath() const { return QDir(directory_).filePath(entryName_); }

bool AudioLine::Plug(QString* error) {
  if (plugged_) return true;
  if (!fifoDir_.isValid()) {
    *error = QStringLiteral("cannot make a temporary directory for the audio FIFO");
    return false;
  }
  if (!QFile::exists(fifo_) && mkfifo(QFile::encodeName(fifo_).constData(), 0600) != 0) {
    *error = QStringLiteral("cannot make FIFO %1").arg(fifo_);
    return false;
  }
  if (!device::CreateDeviceEntry(directory_, entryName_, fifo_, error)) return false;
  plugged_ = true;
  clock_.start();
  produced_ = 0;
  timer_.start(kTickMs);
  return true;
}

void AudioLine::Unplug() {
  if (!plugged_) return;
  QString error;
  device::RemoveDeviceEntry(directory_, entryName_, &error);
  timer_.stop();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  pending_.clear();
  plugged_ = false;
}

void AudioLine::Call(int line, const audiogen::CallBurst& call) {
  auto& q = scheduled_[size_t(line - 1)];
  const audiogen::Samples audio = CallAudio(call, options_.levelDbm0, options_.snrDb, options_.faults);
  q.insert(q.end(), audio.begin(), audio.end());
}

void AudioLine::SetFaults(const LineFaults& faults) {
  options_.faults = faults;
  noiseDbm0_.fill(NoiseDbm0(options_.levelDbm0, options_.snrDb, faults));
}

void AudioLine::Ring(int line) {
  const audiogen::Samples ring = audiogen::Ring(1.0, std::min(0.0, options_.levelDbm0 + 20));
  scheduled_[size_t(line - 1)].insert(scheduled_[size_t(line - 1)].end(), ring.begin(), ring.end());
}

void AudioLine::SetNoiseLevel(int line, int level) {
  // Inverse of the level bars' scale.
  noiseDbm0_[size_t(line - 1)] = level <= 0 ? NoiseDbm0(options_.levelDbm0, options_.snrDb, options_.faults)
                                            : device::audio::LevelMeter::Dbm0FromLevel(level);
}

void AudioLine::Garbage() {
  audiogen::Samples junk = audiogen::Silence(0.5);
  audiogen::AddNoise(junk, 6, seed_++);
  for (int l = 0; l < options_.lines; ++l)
    scheduled_[size_t(l)].insert(scheduled_[size_t(l)].end(), junk.begin(), junk.end());
}

void AudioLine::Raw(const QByteArray& bytes) {
  if (fd_ >= 0) pending_ += bytes;
  Flush();
}

void AudioLine::Produce() {
  const qint64 due = clock_.elapsed() * kRate / 1000;
  const qsizetype frames = qsizetype(std::min<qint64>(due - produced_, kRate));
  if (frames <= 0) return;
  produced_ = due;
  std::vector<audiogen::Samples> channels;
  for (int l = 0; l < options_.lines; ++l) {
    audiogen::Samples s(size_t(frames), 0);
    auto& q = scheduled_[size_t(l)];
    for (qsizetype i = 0; i < frames && !q.empty(); ++i) {
      s[size_t(i)] = q.front();
      q.pop_front();
    }
    audiogen::AddNoise(s, noiseDbm0_[size_t(l)], seed_++);
    channels.push_back(std::move(s));
  }
  if (stalled_) return;
  if (fd_ < 0) {
    // Non-blocking: fails (ENXIO) while nobody reads; the audio is then lost.
    fd_ = ::open(QFile::encodeName(fifo_).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return;
    pending_ = StreamHeader(options_.lines);
  }
  const audiogen::Samples frame = audiogen::Interleave(channels);
  pending_.append(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size() * 2));
  Flush();
}

void AudioLine::Flush() {
  while (fd_ >= 0 && !pending_.isEmpty()) {
    const ssize_t n = ::write(fd_, pending_.constData(), size_t(pending_.size()));
    if (n > 0) {
      pending_.remove(0, n);
      continue;
    }
    if (n < 0 && errno == EAGAIN) break;
    // The reader went away: a new one gets a new stream.
    ::close(fd_);
    fd_ = -1;
    pending_.clear();
    return;
  }
  const qsizetype frameBytes = qsizetype(options_.lines) * 2;
  const qsizetype limit = kMaxPendingSeconds * kRate * frameBytes;
  if (pending_.size() > limit) pending_.chop((pending_.size() - limit) / frameBytes * frameBytes);
}

}  // namespace sim
