#pragma once
// The simulator's line-audio device: a FIFO carrying a live WAV stream (8 kHz,
// 16-bit, one channel per line) and its "audio-" entry. Audio is made in real
// time: quiet line noise, with ringing and caller-ID bursts put on a line when
// asked. Nobody reading is like a sound card nobody records from: the audio
// is made and thrown away; a reader that comes gets a fresh header first.
#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryDir>
#include <QTimer>
#include <array>
#include <deque>

#include "tools/audio/signal_generator.h"
#include "tools/simulator/line_faults.h"

namespace sim {

struct AudioOptions {
  int lines = 1;
  audiogen::Standard standard = audiogen::Standard::ClipV23;
  double levelDbm0 = -20;  // caller-ID burst level
  double snrDb = 45;       // line noise this far below the burst level
  LineFaults faults;       // what is wrong with the line (nothing by default)
};

class AudioLine : public QObject {
  Q_OBJECT
 public:
  static constexpr int kTickMs = 40;

  AudioLine(QString directory, QString entryName, const AudioOptions& options);
  ~AudioLine() override;

  bool Plug(QString* error);
  // Removes the entry and closes the stream (the reader sees its end).
  void Unplug();
  bool Plugged() const { return plugged_; }
  QString EntryPath() const;
  QString FifoPath() const { return fifo_; }

  // A call: ringing, the caller-ID burst, ringing again, as the line's
  // faults make it.
  void Call(int line, const audiogen::CallBurst& call);
  // The faults of every line from now on.
  void SetFaults(const LineFaults& faults);
  void Ring(int line);
  // The quiet noise of a line as a level-bar value (1..64; 0: the default).
  void SetNoiseLevel(int line, int level);
  // Full-scale junk on every line for a moment.
  void Garbage();
  // Bytes into the stream as they are (may break its framing: that is the point).
  void Raw(const QByteArray& bytes);
  // Stop writing (the reader hears nothing) / write again.
  void SetStalled(bool stalled) { stalled_ = stalled; }

 private:
  void Produce();
  void Flush();

  QString directory_, entryName_;
  AudioOptions options_;
  QTemporaryDir fifoDir_;
  QString fifo_;
  bool plugged_ = false;
  bool stalled_ = false;
  int fd_ = -1;
  QByteArray pending_;  // stream bytes not yet taken by the reader
  QTimer timer_;
  QElapsedTimer clock_;
  qint64 produced_ = 0;  // frames made since plugging
  int seed_ = 1;
  std::array<std::deque<int16_t>, 4> scheduled_;
  std::array<double, 4> noiseDbm0_{};
};

}  // namespace sim
