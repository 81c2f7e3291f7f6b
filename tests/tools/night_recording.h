#pragma once
// A night on a line, made up for the line check's tests and pictures: a
// few hours of quiet line on each channel with a ring cycle every so often,
// each with a fault of the simulator's (none, no-cid, fast-clock, ...), as
// an 8 kHz 16-bit WAV stream written piece by piece, so hours of it never sit
// in memory and it can be fed into a FIFO as it is made.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/audio/signal_generator.h"

namespace nightaudio {

struct Cycle {
  int line = 1;   // 1-based
  double at = 0;  // seconds: where its audio starts
  QString fault;  // a simulator fault word ("none", "no-cid", ...)
};

struct Night {
  int lines = 2;
  double seconds = 3600;
  std::vector<Cycle> cycles;  // in time order per line
};

// Cycles every `every` seconds on each line from `first` on, the lines
// staggered, their faults taken from `faults` in turn.
Night Plan(int lines, double seconds, double every, const QStringList& faults, double first = 30);

// The stream's header: live (no length), or for a file of `frames` frames.
QByteArray WavHeader(int channels, int64_t frames = -1);

// Makes the night's interleaved frames in pieces of about a minute and
// hands each to `sink`; false as soon as `sink` does.
bool Generate(const Night& night, const std::function<bool(const audiogen::Samples&)>& sink);

// Writes the whole night as a WAV file.
bool WriteNight(const Night& night, const QString& path);

}  // namespace nightaudio
