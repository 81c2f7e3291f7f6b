// Writes the line recordings the tests and the simulator use, from the
// generator, so they can be regenerated: cid-make-test-audio <directory>.
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "tools/audio/signal_generator.h"

using namespace audiogen;
using Absence = device::audio::CallerIdMessage::Absence;

namespace {

CallBurst Call(Standard standard, const QString& number, const QString& name = {}) {
  return MakeCallBurst(standard, number, name, QDateTime(QDate(2026, 12, 8), QTime(9, 30)));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: cid-make-test-audio <directory>\n");
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  bool ok = QDir().mkpath(dir.path());
  auto write = [&](const char* name, const Samples& s, int channels = 1) {
    ok = WriteWav(dir.filePath(QString::fromLatin1(name)), s, channels) && ok;
  };
  const double level = -20, snr = 30;
  CallBurst clip = Call(Standard::ClipV23, "02125550123", QStringLiteral("Şükrü Çağlayan"));
  write("clip-mdmf.wav", CallOnLine(clip, level, snr, 1));
  CallBurst withheld = Call(Standard::ClipV23, {});
  withheld.absence = Absence::Withheld;
  write("clip-withheld.wav", CallOnLine(withheld, level, snr, 2));
  CallBurst dtmf = Call(Standard::ClipDtmf, "05321234567");
  write("dtmf.wav", CallOnLine(dtmf, level, snr, 3));
  CallBurst dtmfUnavailable = Call(Standard::ClipDtmf, {});
  dtmfUnavailable.absence = Absence::Unavailable;
  write("dtmf-unavailable.wav", CallOnLine(dtmfUnavailable, level, snr, 4));
  write("bell-mdmf.wav", CallOnLine(Call(Standard::Bell202, "2125550199", "JOHN SMITH"), level, snr, 5));
  write("jclip.wav", CallOnLine(Call(Standard::JapanV23, "0312345678"), level, snr, 6));

  // Half a burst, then quiet line: nothing to report.
  Samples cut = Silence(0.3);
  Samples burst = CallerIdBurst(clip, level);
  burst.resize(burst.size() * 3 / 4);
  Append(cut, burst);
  Append(cut, Silence(0.7));
  AddNoise(cut, level - snr, 7);
  write("clip-cut.wav", cut);

  Samples bad = Silence(0.3);
  Append(bad, CallerIdBurst(clip, level, true));
  Append(bad, Silence(0.5));
  AddNoise(bad, level - snr, 8);
  write("clip-bad-checksum.wav", bad);

  // Two lines ringing at once: V.23 on channel 1, DTMF on channel 2.
  write("two-lines.wav", Interleave({CallOnLine(clip, level, snr, 9), CallOnLine(dtmf, -25, snr, 10)}), 2);

  // A quiet line: low noise only.
  Samples quiet = Silence(1.0);
  AddNoise(quiet, -70, 11);
  write("quiet.wav", quiet);
  return ok ? 0 : 1;
}
