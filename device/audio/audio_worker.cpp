#include "device/audio/audio_worker.h"

#include <fcntl.h>
#include <unistd.h>

#include <QStringList>
#include <algorithm>

#include "device/audio/audio_signal_check.h"
#include "device/audio/dsp/level_meter.h"
#include "device/audio/dsp/line_watch.h"

namespace device {

namespace {
constexpr int kWaitMs = 250;
// The level's DC blocker: a pole this close to 1 puts its corner near 6 Hz,
// below the ringing voltage, so an offset reads as no level and a ring still
// shows in full.
constexpr double kDcPole = 0.995;
}  // namespace

struct AudioWorker::Line {
  // Every line is named by its number, as its rows are, on a device of one line too.
  Line(int number, audio::Standard standard) : check(number), watch(number, standard) {}
  AudioSignalCheck check;
  audio::LineWatch watch;
  audio::LevelMeter meter;
  std::vector<audio::WatchEvent> heard;
  // DC blocker state for the level: an offset is no signal. The watch gets
  // the raw samples; its decoder's front end removes DC together with hum.
  double lastIn = 0, lastOut = 0;
  std::vector<int16_t> levelSamples;
};

AudioWorker::AudioWorker(std::unique_ptr<AudioSource> source, audio::Standard standard)
    : source_(std::move(source)), standard_(standard), canWait_(source_->CanWait()) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

AudioWorker::~AudioWorker() {
  Stop();
  for (int fd : wake_)
    if (fd >= 0) ::close(fd);
}

void AudioWorker::Start() {
  thread_ = std::thread([this] { Run(); });
}

void AudioWorker::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  taken_.notify_all();
  const char c = 1;
  if (wake_[1] >= 0) [[maybe_unused]]
    auto n = ::write(wake_[1], &c, 1);
  thread_.join();
}

void AudioWorker::Take(Snapshot* out) {
  std::lock_guard<std::mutex> lock(mutex_);
  out->events.swap(shared_.events);
  shared_.events.clear();
  queuedCalls_ = queuedNotices_ = 0;
  taken_.notify_all();
  out->dropped = shared_.dropped;
  shared_.dropped = 0;
  out->lostCalls = shared_.lostCalls;
  shared_.lostCalls = 0;
  out->channels = shared_.channels;
  out->levels = shared_.levels;
  out->rang = shared_.rang;
  shared_.rang.fill(false);
  out->frames = shared_.frames;
  out->signal = shared_.signal;
  out->state = shared_.state;
  out->endMessage = shared_.endMessage;
}

void AudioWorker::Post(Event event) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (std::holds_alternative<Notice>(event)) {
    if (queuedNotices_ >= kMaxNotices) {
      ++shared_.dropped;
      return;
    }
    ++queuedNotices_;
  } else if (canWait_) {
    // The source keeps what is not read yet; the window catches up.
    taken_.wait(lock, [&] { return queuedCalls_ < kMaxQueued || stop_; });
    if (stop_) return;
    ++queuedCalls_;
  } else if (queuedCalls_ >= kMaxQueued) {
    auto oldest = std::find_if(shared_.events.begin(), shared_.events.end(),
                               [](const Event& e) { return std::holds_alternative<Message>(e); });
    shared_.events.erase(oldest);
    ++shared_.lostCalls;
  } else {
    ++queuedCalls_;
  }
  shared_.events.push_back(std::move(event));
}

void AudioWorker::End(State state, const QString& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  shared_.state = state;
  shared_.endMessage = message;
}

void AudioWorker::Run() {
  std::vector<int16_t> frames;
  while (!stop_) {
    frames.clear();
    QString message;
    const AudioSource::Status status = source_->Read(wake_[0], kWaitMs, frames, &message);
    const QString note = source_->TakeNote();
    if (!note.isEmpty()) Post(Notice{note});
    const int channels = source_->Channels();
    if (channels > 0 && !frames.empty()) Process(frames, channels);
    if (status == AudioSource::Status::Ended || status == AudioSource::Status::Failed) {
      if (channels > 0) {
        // A signal in the band was sounding: the stream stopped in the middle
        // of it. Hum or a quiet line at the end is no signal cut off.
        bool sounding = false;
        for (const auto& l : lines_) sounding = sounding || l->watch.Sounding();
        if (sounding)
          Post(Notice{QStringLiteral("Ses akışı sinyal sürerken kesildi; yarım kalan arayan bilgisi atıldı")});
        Finish();
      }
      End(status == AudioSource::Status::Ended ? State::Ended : State::Failed, message);
      return;
    }
  }
}

void AudioWorker::Process(const std::vector<int16_t>& frames, int channels) {
  while (int(lines_.size()) < channels) lines_.push_back(std::make_unique<Line>(int(lines_.size()) + 1, standard_));
  splitter_.Split(frames, channels);
  const size_t count = splitter_.Count();
  QStringList notices;
  std::array<int, AudioSource::kMaxLines> levels{};
  bool signal = false;
  for (int c = 0; c < channels; ++c) {
    Line& l = *lines_[size_t(c)];
    const int16_t* samples = splitter_.Line(c);
    l.check.Feed(samples, count, notices);
    l.levelSamples.resize(count);
    for (size_t i = 0; i < count; ++i) {
      const double in = samples[i];
      l.lastOut = in - l.lastIn + kDcPole * l.lastOut;
      l.lastIn = in;
      l.levelSamples[i] = int16_t(std::clamp(l.lastOut, -32768.0, 32767.0));
    }
    l.meter.Feed(l.levelSamples.data(), count);
    levels[size_t(c)] = l.meter.Level();
    signal = signal || levels[size_t(c)] > kSignalLevel;
    l.heard.clear();
    l.watch.Feed(samples, count, l.heard);
    Heard(c + 1, l.heard);
  }
  for (const QString& n : notices) Post(Notice{n});
  std::lock_guard<std::mutex> lock(mutex_);
  shared_.channels = channels;
  shared_.levels = levels;
  shared_.frames += count;
  shared_.signal = signal;
}

void AudioWorker::Finish() {
  // The watch settles its bursts on quiet line audio of its own; the level
  // meter and the signal check hear nothing of it (a file's end is no
  // silence on the line).
  QStringList notices;
  for (size_t c = 0; c < lines_.size(); ++c) {
    Line& l = *lines_[c];
    l.heard.clear();
    l.watch.Finish(l.heard);
    Heard(int(c) + 1, l.heard);
    l.check.Flush(notices);
  }
  for (const QString& n : notices) Post(Notice{n});
}

void AudioWorker::Heard(int line, std::vector<audio::WatchEvent>& events) {
  for (audio::WatchEvent& e : events) {
    if (auto* b = std::get_if<audio::BurstReport>(&e)) {
      if (b->fate == audio::BurstFate::Decoded && b->message && !b->otherFamily)
        Post(Message{line, std::move(*b->message)});
    } else if (const auto* v = std::get_if<audio::CycleVerdict>(&e)) {
      // One line per ring cycle at most, and none for a good one.
      if (v->diagnosis != audio::Diagnosis::Good) Post(Notice{v->text});
    } else if (const auto* r = std::get_if<audio::RingEvent>(&e)) {
      lines_[size_t(line - 1)]->check.Rang(r->start, r->end);
      std::lock_guard<std::mutex> lock(mutex_);
      shared_.rang[size_t(line - 1)] = true;
    }
  }
}

}  // namespace device
