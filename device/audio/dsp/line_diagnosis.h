#pragma once
// Why caller ID did not arrive, from the figures of the burst that failed,
// and the one Turkish line that says it. The limits are what a line within
// the standards stays inside (the receivers accept more): a failed burst
// outside one of them has its cause, one inside all of them points at the
// line or the sound path.
#include <QString>

#include "device/audio/dsp/line_events.h"
#include "device/audio/dsp/line_limits.h"

namespace device::audio {

// The first cause a failed burst shows, with its figure (see Diagnosis).
// A decoded burst heard as its own family is Good.
Diagnosis DiagnoseBurst(const BurstReport& burst, double* figure);
// The message line for a verdict on `line` (0 for a device of one line);
// empty for Good. `burst` gives the details some lines name (the tone that
// is off, the standard); it may be null.
QString DiagnosisText(int line, Diagnosis diagnosis, double figure, const BurstReport* burst);

}  // namespace device::audio
