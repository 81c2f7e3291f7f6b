#include "tools/simulator/audio_simulator.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cstdio>

#include "tools/simulator/demo.h"

namespace sim {

using Absence = device::audio::CallerIdMessage::Absence;

AudioSimulator::AudioSimulator(const Options& options, const AudioOptions& audio)
    : options_(options),
      audio_(audio),
      line_(options.directory, EntryName(options, audio), audio),
      rng_(QRandomGenerator::securelySeeded()) {
  callTimer_.setSingleShot(true);
  connect(&callTimer_, &QTimer::timeout, this, &AudioSimulator::DemoCall);
  scriptTimer_.setSingleShot(true);
  connect(&scriptTimer_, &QTimer::timeout, this, &AudioSimulator::RunScript);
  stallTimer_.setSingleShot(true);
  connect(&stallTimer_, &QTimer::timeout, this, [this] { line_.SetStalled(false); });
}

QString AudioSimulator::EntryName(const Options& options, const AudioOptions& audio) {
  // A line that sends the other standard is a device fixed to this one.
  QString suffix;
  if (audio.standard == audiogen::Standard::JapanV23 || audio.faults.otherStandard)
    suffix = QLatin1Char('.') + device::audio::StandardName(audio.standard);
  return QStringLiteral("audio-") + options.name + suffix;
}

audiogen::CallBurst AudioSimulator::Burst(const sim::Call& call, audiogen::Standard standard, const QDateTime& now) {
  const bool withheld = call.number == QLatin1String("P"), unavailable = call.number == QLatin1String("O");
  audiogen::CallBurst c =
      audiogen::MakeCallBurst(standard, withheld || unavailable ? QString() : call.number, call.text, now);
  if (withheld) c.absence = Absence::Withheld;
  if (unavailable) c.absence = Absence::Unavailable;
  return c;
}

void AudioSimulator::Log(const QString& text) {
  std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
  std::fflush(stdout);
}

bool AudioSimulator::Start(QString* error) {
  if (!line_.Plug(error)) return false;
  Log(QStringLiteral("READY %1 -> %2").arg(line_.EntryPath(), line_.FifoPath()));
  if (options_.demo) {
    callTimer_.start(2000);
    return true;
  }
  if (!input_.Open(options_.scriptPath, error)) return false;
  connect(&input_, &ScriptInput::linesArrived, this, [this] {
    if (!scriptTimer_.isActive()) RunScript();
  });
  return true;
}

void AudioSimulator::DemoCall() {
  line_.Call(1 + rng_.bounded(audio_.lines),
             Burst(RandomCall(rng_, audio_.lines), audio_.standard, QDateTime::currentDateTime()));
  callTimer_.start(DemoPauseMs(rng_, options_.demoCallMinMs, options_.demoCallMaxMs));
}

void AudioSimulator::RunScript() {
  input_.RunQueued(
      audio_.lines, scriptTimer_, [this](const Command& cmd) { Execute(cmd); },
      [this](const QString& text) { Log(text); });
}

void AudioSimulator::Execute(const Command& cmd) {
  switch (cmd.kind) {
    case Command::CallCmd:
      line_.Call(cmd.call.line, Burst(cmd.call, audio_.standard, QDateTime::currentDateTime()));
      break;
    case Command::Ring: line_.Ring(cmd.call.line); break;
    case Command::LevelsCmd:
      for (int l = 1; l <= audio_.lines; ++l) line_.SetNoiseLevel(l, cmd.levels[size_t(l - 1)]);
      break;
    case Command::Unplug: line_.Unplug(); break;
    case Command::Plug: {
      QString error;
      if (!line_.Plug(&error)) Log(QStringLiteral("ERROR %1").arg(error));
      break;
    }
    case Command::Garbage: line_.Garbage(); break;
    case Command::Raw: line_.Raw(cmd.bytes); break;
    case Command::Stall:
      line_.SetStalled(true);
      if (cmd.ms > 0) stallTimer_.start(cmd.ms);
      break;
    case Command::Resume:
      line_.SetStalled(false);
      stallTimer_.stop();
      break;
    case Command::Fault: {
      LineFaults faults = audio_.faults;
      QString error;
      if (!faults.Add(cmd.words, &error)) {
        Log(QStringLiteral("ERROR %1").arg(error));
        break;
      }
      audio_.faults = faults;
      line_.SetFaults(faults);
      Log(QStringLiteral("FAULTS %1").arg(faults.Describe()));
      break;
    }
    case Command::Quit:
      line_.Unplug();
      QCoreApplication::quit();
      break;
    case Command::Nothing:
    case Command::Wait: break;
  }
}

}  // namespace sim
