#pragma once
// A line-audio device ("audio-<name>[.clip|.dtmf|.bell|.jclip]"): a sound
// card's capture device, or a WAV stream from a FIFO or a file, one
// telephone line per channel (up to four). The audio is read and decoded on
// the device's own thread (audio_worker.h); each control tick takes the
// decoded calls, notices and levels from it, so nothing here waits on audio.
// A ring heard on a line shows on its level bar as ring records do.
#include <QDateTime>
#include <functional>
#include <memory>

#include "device/audio/audio_worker.h"
#include "device/core/device_session.h"
#include "device/core/ring_levels.h"

namespace device {

class AudioSession : public DeviceSession {
  Q_OBJECT
 public:
  using WallClock = std::function<QDateTime()>;
  // Levels are sent when they change and at least this often.
  static constexpr qint64 kLevelsEveryMs = 500;
  // No audio at all for this long is said once.
  static constexpr qint64 kStallMs = 5000;

  AudioSession(const DeviceEntry& entry, SessionOwner* owner, const MonotonicClock& clock,
               WallClock wallClock = &QDateTime::currentDateTime);
  ~AudioSession() override;

  // The standard an entry name fixes by its suffix; false for an unknown one.
  static bool StandardOfEntry(const QString& entryName, audio::Standard* standard);

  bool Open(QString* error) override;
  void Close() override;
  void Tick(qint64 nowMs) override;
  bool RunSelfTest(QString* error) override;
  bool HasPartialRecord() const override { return signal_; }

 private:
  void Identify(int channels);
  void Notice(const QString& text) { owner_->SessionNotice(this, text); }

  WallClock wallClock_;
  std::unique_ptr<AudioWorker> worker_;
  AudioWorker::Snapshot snapshot_;
  bool file_ = false;  // a regular file: its end is not the device going away
  bool card_ = false;  // a sound card (else a WAV stream)
  QString cardSerial_;
  bool ended_ = false;
  bool signal_ = false;
  bool stallSaid_ = false;
  quint64 frames_ = 0;
  qint64 progressMs_ = -1;
  LevelRecord levels_;
  RingLevels rings_;  // a ring heard in the audio holds its bar up for a second
  LevelRecord ringLevels_;
  qint64 levelsSentMs_ = -1;
};

}  // namespace device
