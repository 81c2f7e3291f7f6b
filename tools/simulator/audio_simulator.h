#pragma once
// The simulator in audio mode: a line-audio device (audio_line.h) driven by
// the demo or by the same script commands as the serial devices.
#include <QObject>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <memory>

#include "tools/simulator/audio_line.h"
#include "tools/simulator/script.h"
#include "tools/simulator/script_input.h"
#include "tools/simulator/simulator.h"

namespace sim {

class AudioSimulator : public QObject {
  Q_OBJECT
 public:
  AudioSimulator(const Options& options, const AudioOptions& audio);
  bool Start(QString* error);

  // The entry name for the options: "audio-<name>", with ".jclip" for the
  // Japanese layout (the others are found by the program on its own).
  static QString EntryName(const Options& options, const AudioOptions& audio);
  // A script or demo call as the generator's call: "P" withheld, "O"
  // unavailable, the text as the caller's name, now as the date and time.
  static audiogen::CallBurst Burst(const sim::Call& call, audiogen::Standard standard, const QDateTime& now);

 private:
  void DemoCall();
  void RunScript();
  void Execute(const Command& cmd);
  void Log(const QString& text);

  Options options_;
  AudioOptions audio_;
  AudioLine line_;
  QRandomGenerator rng_;
  QTimer callTimer_, scriptTimer_, stallTimer_;
  ScriptInput input_;
};

}  // namespace sim
