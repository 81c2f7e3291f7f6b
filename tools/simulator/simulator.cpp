#include "tools/simulator/simulator.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <cstdio>

#include "tools/simulator/demo.h"
#include "tools/simulator/public_format.h"

namespace sim {

namespace {
QString EntryName(const Options& o) {
  if (o.ethernetPort > 0) return QStringLiteral("ethunit-") + o.name;
  if (o.publicFormat) return QStringLiteral("lineunit-") + o.name;
  return (o.modem ? QStringLiteral("modem-") : QStringLiteral("unit-")) + o.name;
}

std::unique_ptr<Emulation> MakeEmulation(const Options& o) {
  if (o.publicFormat || o.ethernetPort > 0) return MakePublicFormatUnit(o.lines);
  if (o.modem) return MakeModem(o.serial, o.modemProfile);
  return MakeUnit(o.lines, o.serial);
}
}  // namespace

Simulator::Simulator(const Options& options)
    : options_(options),
      emulation_(MakeEmulation(options)),
      port_(options.directory, EntryName(options)),
      rng_(QRandomGenerator::securelySeeded()) {
  if (options.ethernetPort > 0)
    udp_ = std::make_unique<UdpPort>(options.directory, EntryName(options), quint16(options.ethernetPort),
                                     options.serial.toULongLong());
  connect(&port_, &PtyPort::received, this, &Simulator::FromHost);
  connect(&levelsTimer_, &QTimer::timeout, this, &Simulator::DemoLevels);
  callTimer_.setSingleShot(true);
  connect(&callTimer_, &QTimer::timeout, this, &Simulator::DemoCall);
  scriptTimer_.setSingleShot(true);
  connect(&scriptTimer_, &QTimer::timeout, this, &Simulator::RunScript);
  stallTimer_.setSingleShot(true);
  connect(&stallTimer_, &QTimer::timeout, this, [this] {
    stalled_ = false;
    Log(QStringLiteral("resumed"));
  });
}

void Simulator::Log(const QString& text) {
  std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
  std::fflush(stdout);
}

bool Simulator::Start(QString* error) {
  if (!Plug(error)) return false;
  if (udp_)
    Log(QStringLiteral("READY %1 -> %2").arg(udp_->EntryPath(), udp_->Target()));
  else
    Log(QStringLiteral("READY %1 -> %2").arg(port_.EntryPath(), port_.SlavePath()));
  if (options_.demo) {
    levelsTimer_.start(500);
    ScheduleDemoCall();
    return true;
  }
  if (!input_.Open(options_.scriptPath, error)) return false;
  connect(&input_, &ScriptInput::linesArrived, this, [this] {
    if (!scriptTimer_.isActive()) RunScript();
  });
  return true;
}

void Simulator::FromHost(const QByteArray& bytes) {
  if (stalled_) return;  // a hung device reads and says nothing
  Send(emulation_->FromHost(bytes));
  Send(emulation_->TakeSelfTestCalls(QDateTime::currentDateTime()));
}

void Simulator::Send(const QByteArray& bytes) {
  if (bytes.isEmpty() || stalled_) return;
  if (udp_)
    udp_->Write(bytes);
  else
    port_.Write(bytes);
}

void Simulator::SendRaw(const QByteArray& bytes) {
  if (bytes.isEmpty() || stalled_) return;
  if (udp_)
    udp_->WriteRaw(bytes);
  else
    port_.Write(bytes);
}

bool Simulator::Plug(QString* error) { return udp_ ? udp_->Plug(error) : port_.Plug(error); }

void Simulator::Unplug() {
  if (udp_)
    udp_->Unplug();
  else
    port_.Unplug();
}

void Simulator::DemoLevels() {
  std::array<int, 8> levels{};
  for (int i = 0; i < emulation_->Lines(); ++i) levels[i] = QuietLevel(rng_);
  if (ringingLeft_ > 0) {
    --ringingLeft_;
    if (!emulation_->HasLevels()) {
      // Devices that report rings get the caller ID between the first and
      // the second ring, as the exchange sends it.
      if (ringingLeft_ % 2 == 1) Send(emulation_->Ringing(ringingLine_, 0));
      if (ringingLeft_ == 2) Send(emulation_->CallBytes(nextCall_, QDateTime::currentDateTime()));
    } else {
      levels[ringingLine_ - 1] = 30 + rng_.bounded(30);
      if (ringingLeft_ == 0) Send(emulation_->CallBytes(nextCall_, QDateTime::currentDateTime()));
    }
    if (ringingLeft_ == 0) ScheduleDemoCall();
  }
  Send(emulation_->Levels(levels));
}

void Simulator::DemoCall() {
  nextCall_ = RandomCall(rng_, emulation_->Lines());
  ringingLine_ = nextCall_.line;
  ringingLeft_ = 4;  // two seconds of ringing around the caller ID
}

void Simulator::ScheduleDemoCall() {
  callTimer_.start(DemoPauseMs(rng_, options_.demoCallMinMs, options_.demoCallMaxMs));
}

void Simulator::RunScript() {
  input_.RunQueued(
      emulation_->Lines(), scriptTimer_, [this](const Command& cmd) { Execute(cmd); },
      [this](const QString& text) { Log(text); });
}

void Simulator::Execute(const Command& cmd) {
  const QDateTime now = QDateTime::currentDateTime();
  switch (cmd.kind) {
    case Command::CallCmd:
      Send(emulation_->Ringing(cmd.call.line, 50));
      Send(emulation_->CallBytes(cmd.call, now));
      break;
    case Command::Ring: Send(emulation_->Ringing(cmd.call.line, 50)); break;
    case Command::LevelsCmd: {
      const QByteArray bytes = emulation_->Levels(cmd.levels);
      if (bytes.isEmpty()) Log(QStringLiteral("ERROR this device has no level reports"));
      Send(bytes);
      break;
    }
    case Command::Unplug: Unplug(); break;
    case Command::Plug: {
      QString error;
      if (!Plug(&error)) Log(QStringLiteral("ERROR %1").arg(error));
      break;
    }
    case Command::Garbage: SendRaw(GarbageBytes()); break;
    case Command::Raw: SendRaw(cmd.bytes); break;
    case Command::Stall:
      stalled_ = true;
      if (cmd.ms > 0) stallTimer_.start(cmd.ms);
      break;
    case Command::Resume:
      stalled_ = false;
      stallTimer_.stop();
      break;
    case Command::Quit:
      Unplug();
      QCoreApplication::quit();
      break;
    case Command::Fault: Log(QStringLiteral("ERROR line faults need --audio")); break;
    case Command::Nothing:
    case Command::Wait: break;
  }
}

}  // namespace sim
