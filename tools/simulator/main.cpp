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
int signalPipe[2] = {-1, -1};
void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCommandLineParser cli;
  cli.setApplicationDescription(QStringLiteral(
      "Simulated caller-ID device. Demo mode by default; --script FILE (or - for standard input) runs commands:\n"
      "call LINE NUMBER [TEXT], ring LINE, levels L1..L4[..L8], unplug, plug, garbage, raw BYTES,\n"
      "stall [SECONDS], resume, wait MS, quit; with --audio also fault NAME[=VALUE]... (see --fault)."));
  cli.addHelpOption();
  cli.addOptions({
      {QStringLiteral("lines"), QStringLiteral("Inputs of the unit: 1, 2 or 4 (2, 4 or 8 in the public format)."),
       QStringLiteral("n"), QStringLiteral("4")},
      {QStringLiteral("public-format"),
       QStringLiteral("Be a multi-line unit sending the public multi-line call-record format (entry lineunit-...).")},
      {QStringLiteral("ethernet"),
       QStringLiteral("Send that format in Ethernet record packets to 127.0.0.1:PORT (entry ethunit-...); the serial "
                      "must be a number."),
       QStringLiteral("port")},
      {QStringLiteral("modem"), QStringLiteral("Be a voice modem instead of a unit.")},
      {QStringLiteral("old-cid"), QStringLiteral("Modem knows only AT#CID=1.")},
      {QStringLiteral("no-identity"), QStringLiteral("Modem rejects AT+GMM and AT+GSN.")},
      {QStringLiteral("script"), QStringLiteral("Run commands from a file, or - for standard input."),
       QStringLiteral("file")},
      {QStringLiteral("name"), QStringLiteral("Entry name (default: sim<pid>)."), QStringLiteral("name")},
      {QStringLiteral("serial"), QStringLiteral("Serial number reported."), QStringLiteral("serial")},
      {QStringLiteral("dir"), QStringLiteral("Device directory (default: the user's)."), QStringLiteral("dir")},
      {QStringLiteral("call-every"), QStringLiteral("Demo: seconds between calls, e.g. 6-10."),
       QStringLiteral("range")},
      {QStringLiteral("audio"),
       QStringLiteral("Be a line-audio device: a live WAV stream in a FIFO (entry audio-...), --lines channels.")},
      {QStringLiteral("standard"),
       QStringLiteral("Audio: caller-ID standard, clip (V.23, default), dtmf, bell or jclip."), QStringLiteral("name"),
       QStringLiteral("clip")},
      {QStringLiteral("level"), QStringLiteral("Audio: caller-ID burst level in dBm0 (default -20)."),
       QStringLiteral("dBm0"), QStringLiteral("-20")},
      {QStringLiteral("snr"), QStringLiteral("Audio: line noise this many dB below the burst (default 45)."),
       QStringLiteral("dB"), QStringLiteral("45")},
      {QStringLiteral("fault"),
       QStringLiteral("Audio: what is wrong with the line, comma-separated: weak (burst 3 dB above the line noise), "
                      "noisy (noise 3 dB below the burst), hum[=HZ] (50 Hz at +4.5 dBm0, clipping), "
                      "fast-clock[=FACTOR] (bit clock 1.05 times fast), other-standard (DTMF sent to a device fixed "
                      "to --standard, V.23 to a DTMF one), early (caller ID before the first ring), no-cid (rings and "
                      "no caller ID)."),
       QStringLiteral("faults")},
  });
  cli.process(app);

  sim::Options o;
  o.modem = cli.isSet(QStringLiteral("modem"));
  o.publicFormat = cli.isSet(QStringLiteral("public-format"));
  if (cli.isSet(QStringLiteral("ethernet"))) {
    o.ethernetPort = cli.value(QStringLiteral("ethernet")).toInt();
    if (o.ethernetPort < 1 || o.ethernetPort > 65535) {
      std::fprintf(stderr, "--ethernet takes a UDP port, 1 to 65535\n");
      return 2;
    }
  }
  const bool publicFormat = o.publicFormat || o.ethernetPort > 0;
  if (o.modem && publicFormat) {
    std::fprintf(stderr, "--modem does not go with --public-format or --ethernet\n");
    return 2;
  }
  o.lines = o.modem ? 1 : cli.value(QStringLiteral("lines")).toInt();
  if (publicFormat ? (o.lines != 2 && o.lines != 4 && o.lines != 8) : (o.lines != 1 && o.lines != 2 && o.lines != 4)) {
    std::fprintf(stderr, publicFormat ? "--lines must be 2, 4 or 8\n" : "--lines must be 1, 2 or 4\n");
    return 2;
  }
  o.oldCallerIdCommand = cli.isSet(QStringLiteral("old-cid"));
  o.noIdentity = cli.isSet(QStringLiteral("no-identity"));
  o.demo = !cli.isSet(QStringLiteral("script"));
  o.scriptPath = cli.value(QStringLiteral("script"));
  o.directory = cli.isSet(QStringLiteral("dir")) ? cli.value(QStringLiteral("dir")) : device::UserDeviceDirectory();
  o.name = cli.isSet(QStringLiteral("name")) ? cli.value(QStringLiteral("name"))
                                             : QStringLiteral("sim%1").arg(QCoreApplication::applicationPid());
  o.serial = cli.isSet(QStringLiteral("serial"))
                 ? cli.value(QStringLiteral("serial"))
                 : QStringLiteral("SIM%1").arg(QCoreApplication::applicationPid() % 100000, 5, 10, QLatin1Char('0'));
  if (o.ethernetPort > 0) {
    // Record packets carry the serial as a 48-bit number.
    if (!cli.isSet(QStringLiteral("serial"))) o.serial = QString::number(QCoreApplication::applicationPid());
    bool numeric = false;
    if (o.serial.toULongLong(&numeric) >= (1ull << 48) || !numeric) {
      std::fprintf(stderr, "--serial must be a number below 2^48 with --ethernet\n");
      return 2;
    }
  }
  if (cli.isSet(QStringLiteral("call-every"))) {
    const QStringList r = cli.value(QStringLiteral("call-every")).split(QLatin1Char('-'));
    o.demoCallMinMs = r.value(0).toInt() * 1000;
    o.demoCallMaxMs = r.value(1, r.value(0)).toInt() * 1000;
    if (o.demoCallMinMs <= 0 || o.demoCallMaxMs < o.demoCallMinMs) {
      std::fprintf(stderr, "--call-every takes seconds, e.g. 6-10\n");
      return 2;
    }
  }

  const bool audio = cli.isSet(QStringLiteral("audio"));
  sim::AudioOptions a;
  if (audio) {
    a.lines = o.lines;
    bool levelOk = false, snrOk = false;
    a.levelDbm0 = cli.value(QStringLiteral("level")).toDouble(&levelOk);
    a.snrDb = cli.value(QStringLiteral("snr")).toDouble(&snrOk);
    if (o.modem || publicFormat || o.lines > 4 || !levelOk || a.levelDbm0 < -60 || a.levelDbm0 > 3 || !snrOk ||
        a.snrDb < 0) {
      std::fprintf(stderr,
                   "--audio takes no --modem or --public-format, --lines 1, 2 or 4, --level -60..3 dBm0 and --snr 0 dB "
                   "or more\n");
      return 2;
    }
    if (!device::audio::StandardFromSuffix(cli.value(QStringLiteral("standard")), &a.standard) ||
        a.standard == device::audio::Standard::Auto) {
      std::fprintf(stderr, "--standard must be clip, dtmf, bell or jclip\n");
      return 2;
    }
    QString faultError;
    if (cli.isSet(QStringLiteral("fault")) &&
        !a.faults.Add(cli.value(QStringLiteral("fault")).split(QLatin1Char(','), Qt::SkipEmptyParts), &faultError)) {
      std::fprintf(stderr, "--fault: %s\n", faultError.toLocal8Bit().constData());
      return 2;
    }
    signal(SIGPIPE, SIG_IGN);  // the reader going away is seen as EPIPE
  }

  // Ending by signal still removes the device entry (destructors run).
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
    signal(SIGTERM, OnSignal);
    signal(SIGINT, OnSignal);
    signal(SIGHUP, OnSignal);
  }
  QSocketNotifier onSignal(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&onSignal, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

  QString error;
  if (audio) {
    sim::AudioSimulator simulator(o, a);
    if (!simulator.Start(&error)) {
      std::fprintf(stderr, "cid-simulator: %s\n", error.toLocal8Bit().constData());
      return 1;
    }
    return app.exec();
  }
  sim::Simulator simulator(o);
  if (!simulator.Start(&error)) {
    std::fprintf(stderr, "cid-simulator: %s\n", error.toLocal8Bit().constData());
    return 1;
  }
  return app.exec();
}
