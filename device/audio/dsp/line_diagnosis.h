#pragma once
// Why caller ID did not arrive, from the figures of the burst that failed,
// and the one Turkish line that says it. The limits are what a line within
// the standards stays inside (the receivers accept more): a failed burst
// outside one of them has its cause, one inside all of them points at the
// line or the sound path.
#include <QString>

#include "device/audio/dsp/line_events.h"

namespace device::audio {

struct LineLimits {
  // Weaker than this a line is out of the receive range (-36 dBV at the
  // terminal and a coupler's loss).
  static constexpr double kWeakestDbm0 = -40;
  // A burst this much cut at full scale (the share the bad-audio check
  // calls clipping) is distorted whatever its other figures.
  static constexpr double kClippedPct = 1;
  // Test conditions assume 20 to 25 dB SNR in the telephone band.
  static constexpr double kLeastSnrDb = 20;
  // Tones: V.23 and DTMF within 1.5 %, Bell 202 within 1 %; bit rate 1 %.
  static constexpr double kV23TonePct = 1.5;
  static constexpr double kBellTonePct = 1.0;
  static constexpr double kDtmfTonePct = 1.5;
  static constexpr double kRatePct = 1.0;
  // Twist: V.23 6 dB either way; Bell 202 space 6 dB below to 10 dB above
  // the mark; DTMF 8 dB either way.
  static constexpr double kV23TwistDb = 6;
  static constexpr double kBellTwistBelowDb = 6, kBellTwistAboveDb = 10;
  static constexpr double kDtmfTwistDb = 8;
};

// The first cause a failed burst shows, with its figure (see Diagnosis).
// A decoded burst heard as its own family is Good.
Diagnosis DiagnoseBurst(const BurstReport& burst, double* figure);
// The message line for a verdict on `line` (0 for a device of one line);
// empty for Good. `burst` gives the details some lines name (the tone that
// is off, the standard); it may be null.
QString DiagnosisText(int line, Diagnosis diagnosis, double figure, const BurstReport* burst);

}  // namespace device::audio
