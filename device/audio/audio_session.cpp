#include "device/audio/audio_session.h"

#include <algorithm>

#include "device/audio/audio_call.h"
#include "device/audio/audio_input.h"
#include "device/directory/audio_target.h"

namespace device {

AudioSession::AudioSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
                           WallClock wallClock)
    : DeviceSession(entry, owner, clock), wallClock_(std::move(wallClock)) {}

AudioSession::~AudioSession() { Close(); }

bool AudioSession::StandardOfEntry(const QString& entryName, audio::Standard* standard) {
  return audio::StandardFromSuffix(AudioEntrySuffix(entryName), standard);
}

bool AudioSession::Open(QString* error) {
  audio::Standard standard = audio::Standard::Auto;
  if (!StandardOfEntry(entry_.name, &standard)) {
    *error = QStringLiteral("%1: bilinmeyen standart eki (.clip, .dtmf, .bell ya da .jclip olmalı)").arg(entry_.name);
    return false;
  }
  AudioInput input;
  if (!MakeAudioInput(entry_.target, &input, error)) {
    *error = QStringLiteral("%1: %2").arg(entry_.name, *error);
    return false;
  }
  card_ = input.kind == AudioInput::Kind::SoundCard;
  file_ = input.kind == AudioInput::Kind::Recording;
  cardSerial_ = input.cardSerial;
  std::unique_ptr<AudioSource> source = std::move(input.source);
  if (!source->Open(error)) return false;
  if (source->Channels() > 0) Identify(source->Channels());
  progressMs_ = NowMs();
  worker_ = std::make_unique<AudioWorker>(std::move(source), standard);
  worker_->Start();
  return true;
}

void AudioSession::Close() {
  if (worker_) worker_->Stop();
  worker_.reset();
}

void AudioSession::Identify(int channels) {
  serial_ = cardSerial_.isEmpty() ? entry_.name : cardSerial_;
  model_ = (card_ ? QStringLiteral("Ses kartı, %1 hat") : QStringLiteral("Ses akışı, %1 hat")).arg(channels);
}

void AudioSession::Tick(qint64 nowMs) {
  if (!worker_) return;
  worker_->Take(&snapshot_);
  if (snapshot_.channels > 0 && !Identified()) Identify(snapshot_.channels);
  signal_ = snapshot_.signal;
  const QDateTime now = wallClock_();
  for (const AudioWorker::Event& e : snapshot_.events) {
    if (const auto* m = std::get_if<AudioWorker::Message>(&e))
      owner_->SessionCall(this, CallFromMessage(m->message, m->line, now));
    else
      Notice(std::get<AudioWorker::Notice>(e).text);
  }
  snapshot_.events.clear();
  if (snapshot_.lostCalls > 0)
    Notice(QStringLiteral("Ses kartına yetişilemedi: %1 arama kaydı atlandı").arg(snapshot_.lostCalls));
  if (snapshot_.dropped > 0)
    Notice(QStringLiteral("Ses aygıtından çok fazla bildirim: %1 tanesi atlandı").arg(snapshot_.dropped));

  if (snapshot_.frames != frames_) {
    frames_ = snapshot_.frames;
    progressMs_ = nowMs;
    stallSaid_ = false;
  } else if (!ended_ && !stallSaid_ && nowMs - progressMs_ >= kStallMs) {
    stallSaid_ = true;
    Notice(QStringLiteral("Ses aygıtından %1 saniyedir ses gelmiyor").arg(kStallMs / 1000));
  }

  if (snapshot_.state != AudioWorker::State::Running && !ended_) {
    ended_ = true;
    signal_ = false;
    // A stream from a FIFO or a card that stops is a device gone (what it
    // still had to say goes as the session ends). A file that has been read
    // stays linked, quiet.
    if (!snapshot_.endMessage.isEmpty()) Notice(snapshot_.endMessage);
    if (!file_) MarkFailed();
  }
  if (ended_) snapshot_.levels.fill(0);

  for (size_t i = 0; i < snapshot_.rang.size(); ++i)
    if (snapshot_.rang[i]) ringLevels_ = rings_.Ring(int(i) + 1, nowMs);
  if (LevelRecord ended; rings_.Tick(nowMs, &ended)) ringLevels_ = ended;

  if (!Identified()) return;
  LevelRecord levels;
  for (size_t i = 0; i < snapshot_.levels.size(); ++i)
    levels.levels[i] = std::max(snapshot_.levels[i], ringLevels_.levels[i]);
  if (levels.levels != levels_.levels || levelsSentMs_ < 0 || nowMs - levelsSentMs_ >= kLevelsEveryMs) {
    levels_ = levels;
    levelsSentMs_ = nowMs;
    owner_->SessionLevels(this, levels);
  }
}

bool AudioSession::RunSelfTest(QString* error) {
  *error = QStringLiteral("Ses aygıtlarında öz sınama yok; servis işlemi yalnız çok hatlı cihazlarda çalışır");
  return false;
}

}  // namespace device
