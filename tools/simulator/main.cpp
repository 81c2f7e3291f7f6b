// cid-simulator: a caller-ID unit (1, 2 or 4 lines) or a voice modem on a
// pseudo-terminal, or a unit of the public multi-line call-record format on
// a pseudo-terminal or Ethernet, registered where the caller-ID program
// finds devices.
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdio>

#include "device/directory/device_directory.h"
#include "tools/simulator/audio_simulator.h"
#include "tools/simulator/simulator.h"

namespace {

QString Opt(const char* name) { return QString::fromLatin1(name); }

void DeclareOptions(QCommandLineParser& cli) {
  cli.setApplicationDescription(QStringLiteral(
      "Simulated caller-ID device. Demo mode by default; --script FILE (or - for standard input) runs commands:\n"
      "call LINE NUMBER [TEXT], ring LINE, levels L1..L4[..L8], unplug, plug, garbage, raw BYTES,\n"
      "stall [SECONDS], resume, wait MS, quit; with --audio also fault NAME[=VALUE]... (see --fault)."));
  cli.addHelpOption();
  cli.addOptions({
      {Opt("lines"), Opt("Inputs of the unit: 1, 2 or 4 (2, 4 or 8 in the public format)."), Opt("n"), Opt("4")},
      {Opt("public-format"),
       Opt("Be a multi-line unit sending the public multi-line call-record format (entry lineunit-...).")},
      {Opt("ethernet"),
       Opt("Send that format in Ethernet record packets to 127.0.0.1:PORT (entry ethunit-...); the serial must be a "
           "number."),
       Opt("port")},
      {Opt("modem"), Opt("Be a voice modem instead of a unit.")},
      {Opt("old-cid"), Opt("Modem knows only AT#CID=1.")},
      {Opt("no-identity"), Opt("Modem rejects AT+GMM and AT+GSN.")},
      {Opt("script"), Opt("Run commands from a file, or - for standard input."), Opt("file")},
      {Opt("name"), Opt("Entry name (default: sim<pid>)."), Opt("name")},
      {Opt("serial"), Opt("Serial number reported."), Opt("serial")},
      {Opt("dir"), Opt("Device directory (default: the user's)."), Opt("dir")},
      {Opt("call-every"), Opt("Demo: seconds between calls, e.g. 6-10."), Opt("range")},
      {Opt("audio"), Opt("Be a line-audio device: a live WAV stream in a FIFO (entry audio-...), --lines channels.")},
      {Opt("standard"), Opt("Audio: caller-ID standard, clip (V.23, default), dtmf, bell or jclip."), Opt("name"),
       Opt("clip")},
      {Opt("level"), Opt("Audio: caller-ID burst level in dBm0 (default -20)."), Opt("dBm0"), Opt("-20")},
      {Opt("snr"), Opt("Audio: line noise this many dB below the burst (default 45)."), Opt("dB"), Opt("45")},
      {Opt("fault"),
       Opt("Audio: what is wrong with the line, comma-separated: weak (burst 3 dB above the line noise), noisy (noise "
           "3 dB below the burst), hum[=HZ] (50 Hz at +4.5 dBm0, clipping), fast-clock[=FACTOR] (bit clock 1.05 "
           "times fast), other-standard (DTMF sent to a device fixed to --standard, V.23 to a DTMF one), early "
           "(caller ID before the first ring), no-cid (rings and no caller ID)."),
       Opt("faults")},
  });
}

// Which device: a unit, a modem or a unit of the public format, and its lines.
bool ReadKind(const QCommandLineParser& cli, sim::Options* o, QString* error) {
  o->modem = cli.isSet(Opt("modem"));
  o->publicFormat = cli.isSet(Opt("public-format"));
  if (cli.isSet(Opt("ethernet"))) {
    o->ethernetPort = cli.value(Opt("ethernet")).toInt();
    if (o->ethernetPort < 1 || o->ethernetPort > 65535) {
      *error = QStringLiteral("--ethernet takes a UDP port, 1 to 65535");
      return false;
    }
  }
  const bool publicFormat = o->publicFormat || o->ethernetPort > 0;
  if (o->modem && publicFormat) {
    *error = QStringLiteral("--modem does not go with --public-format or --ethernet");
    return false;
  }
  o->lines = o->modem ? 1 : cli.value(Opt("lines")).toInt();
  const bool linesOk = publicFormat ? (o->lines == 2 || o->lines == 4 || o->lines == 8)
                                    : (o->lines == 1 || o->lines == 2 || o->lines == 4);
  if (!linesOk) *error = QString::fromLatin1(publicFormat ? "--lines must be 2, 4 or 8" : "--lines must be 1, 2 or 4");
  if (cli.isSet(Opt("old-cid"))) o->modemProfile.callerId = sim::ModemProfile::CallerIdCommand::HashCid;
  o->modemProfile.noIdentity = cli.isSet(Opt("no-identity"));
  return linesOk;
}

// Where it is declared and what it calls itself.
bool ReadIdentity(const QCommandLineParser& cli, sim::Options* o, QString* error) {
  const qint64 pid = QCoreApplication::applicationPid();
  o->directory = cli.isSet(Opt("dir")) ? cli.value(Opt("dir")) : device::UserDeviceDirectory();
  o->name = cli.isSet(Opt("name")) ? cli.value(Opt("name")) : QStringLiteral("sim%1").arg(pid);
  o->serial = cli.isSet(Opt("serial")) ? cli.value(Opt("serial"))
                                       : QStringLiteral("SIM%1").arg(pid % 100000, 5, 10, QLatin1Char('0'));
  if (o->ethernetPort == 0) return true;
  // Record packets carry the serial as a 48-bit number.
  if (!cli.isSet(Opt("serial"))) o->serial = QString::number(pid);
  bool numeric = false;
  if (o->serial.toULongLong(&numeric) < (1ull << 48) && numeric) return true;
  *error = QStringLiteral("--serial must be a number below 2^48 with --ethernet");
  return false;
}

// What happens on the lines: the demo's calls or a script.
bool ReadRun(const QCommandLineParser& cli, sim::Options* o, QString* error) {
  o->demo = !cli.isSet(Opt("script"));
  o->scriptPath = cli.value(Opt("script"));
  if (!cli.isSet(Opt("call-every"))) return true;
  const QStringList r = cli.value(Opt("call-every")).split(QLatin1Char('-'));
  o->demoCallMinMs = r.value(0).toInt() * 1000;
  o->demoCallMaxMs = r.value(1, r.value(0)).toInt() * 1000;
  if (o->demoCallMinMs > 0 && o->demoCallMaxMs >= o->demoCallMinMs) return true;
  *error = QStringLiteral("--call-every takes seconds, e.g. 6-10");
  return false;
}

// The line audio an audio device plays.
bool ReadAudio(const QCommandLineParser& cli, const sim::Options& o, sim::AudioOptions* a, QString* error) {
  a->lines = o.lines;
  bool levelOk = false, snrOk = false;
  a->levelDbm0 = cli.value(Opt("level")).toDouble(&levelOk);
  a->snrDb = cli.value(Opt("snr")).toDouble(&snrOk);
  if (o.modem || o.publicFormat || o.ethernetPort > 0 || o.lines > 4 || !levelOk || a->levelDbm0 < -60 ||
      a->levelDbm0 > 3 || !snrOk || a->snrDb < 0) {
    *error = QStringLiteral(
        "--audio takes no --modem or --public-format, --lines 1, 2 or 4, --level -60..3 dBm0 and --snr 0 dB "
        "or more");
    return false;
  }
  if (!device::audio::StandardFromSuffix(cli.value(Opt("standard")), &a->standard) ||
      a->standard == device::audio::Standard::Auto) {
    *error = QStringLiteral("--standard must be clip, dtmf, bell or jclip");
    return false;
  }
  QString faultError;
  if (cli.isSet(Opt("fault")) &&
      !a->faults.Add(cli.value(Opt("fault")).split(QLatin1Char(','), Qt::SkipEmptyParts), &faultError)) {
    *error = QStringLiteral("--fault: %1").arg(faultError);
    return false;
  }
  return true;
}

int signalPipe[2] = {-1, -1};
void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

// Ending by signal still removes the device entry: the event loop ends and
// the destructors run.
void QuitOnSignals(QCoreApplication& app) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
  signal(SIGTERM, OnSignal);
  signal(SIGINT, OnSignal);
  signal(SIGHUP, OnSignal);
  auto* onSignal = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
  QObject::connect(onSignal, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
}

template <class Device>
int Present(Device& device, QCoreApplication& app) {
  QString error;
  if (!device.Start(&error)) {
    std::fprintf(stderr, "cid-simulator: %s\n", error.toLocal8Bit().constData());
    return 1;
  }
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser cli;
  DeclareOptions(cli);
  cli.process(app);

  sim::Options o;
  sim::AudioOptions a;
  const bool audio = cli.isSet(Opt("audio"));
  QString error;
  if (!ReadKind(cli, &o, &error) || !ReadIdentity(cli, &o, &error) || !ReadRun(cli, &o, &error) ||
      (audio && !ReadAudio(cli, o, &a, &error))) {
    std::fprintf(stderr, "%s\n", error.toLocal8Bit().constData());
    return 2;
  }
  if (audio) signal(SIGPIPE, SIG_IGN);  // the reader going away is seen as EPIPE
  QuitOnSignals(app);

  if (audio) {
    sim::AudioSimulator simulator(o, a);
    return Present(simulator, app);
  }
  sim::Simulator simulator(o);
  return Present(simulator, app);
}
