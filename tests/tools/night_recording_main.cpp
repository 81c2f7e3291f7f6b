// Writes a made-up night on the line as a WAV file, for the line check's
// pictures: night-recording FILE LINES SECONDS EVERY FAULT[/FAULT...]
#include <QCoreApplication>
#include <cstdio>

#include "night_recording.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList a = app.arguments();
  if (a.size() != 6) {
    std::fputs("usage: night-recording FILE LINES SECONDS EVERY FAULT[/FAULT...]\n", stderr);
    return 2;
  }
  const nightaudio::Night night =
      nightaudio::Plan(a[2].toInt(), a[3].toDouble(), a[4].toDouble(), a[5].split(QLatin1Char('/')));
  return nightaudio::WriteNight(night, a[1]) ? 0 : 1;
}
