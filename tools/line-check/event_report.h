#pragma once
// One line-watch event as cid-line-check reports it: a plain Turkish line
// for the technician, or one JSON object for scripts. Text figures are
// written as a Turkish reader writes them, with a decimal comma, like the
// verdicts' own; JSON numbers are plain numbers rounded to the figure's
// precision, with null for what was not measured or does not apply.
#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include "device/audio/dsp/line_events.h"

namespace linecheck {

// Where the audio's first sample was on the wall clock: known when a card
// or a stream is listened to, unknown (invalid) for a recording.
struct AudioClock {
  QDateTime start;
  bool Known() const { return start.isValid(); }
  QDateTime At(int64_t sample) const;
};

// `line` is the channel (1-based); positions become seconds from the start.
QString EventText(int line, const device::audio::WatchEvent& event, const AudioClock& clock = {});
QJsonObject EventJson(int line, const device::audio::WatchEvent& event, const AudioClock& clock = {});

// The sample an event is put in time order by: where it starts (a verdict:
// where it was reached).
int64_t EventStart(const device::audio::WatchEvent& event);

// A figure with a decimal comma: "-13,0".
QString Decimal(double value, int decimals = 1);
// "12,35 s"; the clock time for audio heard live, "02:13:45 (12,35 s)",
// and the time into a recording past ten minutes, "1:05:12 (3912,48 s)".
QString Position(int64_t sample, const AudioClock& clock);
// A stretch of time as "2 sa 05 dk 13 s".
QString Duration(int64_t samples);

// The report's Turkish words beside the stable keys.
QString FateName(device::audio::BurstFate fate);
QString PrecursorName(device::audio::Precursor precursor);
QString CauseName(device::audio::Diagnosis diagnosis);
// The unit of the figure a cause names ("dB", "dBm0", "%", "karakter"); empty when it names none.
QString FigureUnit(device::audio::Diagnosis diagnosis);
// The key of that unit for scripts ("db", "dbm0", "pct", "count"); empty when none.
QString FigureUnitKey(device::audio::Diagnosis diagnosis);
QString LimitedFigureName(device::audio::LimitedFigure figure);
QString VerdictText(const device::audio::CycleVerdict& verdict);
// A figure outside its standard with its limits: "hız 1260,0 bit/s (1188,0…1212,0)".
QString BreachText(const device::audio::LimitBreach& breach);

}  // namespace linecheck
