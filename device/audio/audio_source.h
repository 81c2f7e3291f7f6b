#pragma once
// Where a line-audio device's samples come from: a WAV stream (a FIFO or a
// file) or an ALSA capture device. Opened on the window's thread (quickly,
// never waiting for the device), then read on the audio thread only.
#include <QString>
#include <cstdint>
#include <vector>

namespace device {

class AudioSource {
 public:
  // At most this many lines per device; further channels are ignored.
  static constexpr int kMaxLines = 4;

  enum class Status {
    Data,    // samples appended (possibly none yet, e.g. header still coming)
    Idle,    // nothing arrived within the wait
    Ended,   // the stream is over (message says how)
    Failed,  // the device is gone or unusable (message says why)
  };

  virtual ~AudioSource() = default;
  virtual bool Open(QString* error) = 0;
  // Waits at most waitMs for samples or for `wakeFd` to become readable, then
  // appends 8 kHz 16-bit frames, interleaved by Channels(), to `out`.
  virtual Status Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) = 0;
  // Channels delivered (1..kMaxLines); 0 while not known yet.
  virtual int Channels() const = 0;
  // A note about the stream worth one message line (e.g. a declared rate that
  // needs resampling, extra channels ignored, a damaged part skipped); empty
  // when none. Taken once.
  virtual QString TakeNote() { return {}; }
  // Once Read() said Ended: whether that was the source's whole, normal end
  // (a recording read to its last frame), which needs no telling, rather
  // than a cut, a recording that stopped growing or a stream's writer gone.
  virtual bool EndedWhole() const { return false; }
  // Whether the source may be left unread for a while without losing audio:
  // a file or a FIFO's writer waits, a sound card's buffer overruns.
  virtual bool CanWait() const { return true; }
  // What the source is, once the first Read() has looked (a recording's
  // format: "WAV, IMA ADPCM, 11025 Hz, 2 kanal"); empty when it says nothing.
  virtual QString Description() const { return {}; }
  // Frames at 8 kHz the whole source gives (a recording), for progress; -1
  // when it has no end known in advance.
  virtual qint64 TotalFrames() const { return -1; }
};

}  // namespace device
