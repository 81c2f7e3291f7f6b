#pragma once
// The faults the audio simulator can put on a line, so each diagnosis of the
// program and of cid-line-check can be shown and tested. Each is far enough
// out that the decoder, which reads much more than the standards ask, fails
// on it, and fails for that reason:
//   weak            the caller-ID burst 3 dB above the line's quiet noise
//                   (-62 dBm0 by default), far below what exchanges send
//   noisy           line noise 3 dB below the burst
//   hum[=HZ]        mains hum (50 Hz by default) at +4.5 dBm0, with its odd
//                   harmonics: loud enough to drive the sound card into clipping
// Line noise is random, so weak and noisy bursts sit where the receivers
// still frame them but no longer read them: about one in ten is not framed
// at all (and is heard as rings without caller ID).
//   fast-clock[=F]  the burst's bit clock F times too fast (1.05 by default)
//   other-standard  DTMF sent where the device expects FSK, V.23 where DTMF
//   early           caller ID before the first ring (no fault: it is a call)
//   no-cid          rings and no caller ID at all
//   none            a good line again
#include <QString>
#include <QStringList>

#include "tools/audio/signal_generator.h"

namespace sim {

struct LineFaults {
  static constexpr double kWeakAboveNoiseDb = 3;
  static constexpr double kNoisySnrDb = 3;
  static constexpr double kHumDbm0 = 4.5;
  static constexpr double kFastClock = 1.05;

  bool weak = false;
  bool noisy = false;
  double humHz = 0;          // 0: none
  double clockFactor = 1.0;  // bit clock against nominal
  bool otherStandard = false;
  bool early = false;
  bool noCallerId = false;

  // Adds the faults named in `words` (each "name" or "name=value"); "none"
  // clears what came before. False with an English reason for a bad word.
  bool Add(const QStringList& words, QString* error);
  // "weak, hum=50" ...; "none" for a good line.
  QString Describe() const;
  // The standard sent on a line whose device expects `standard`.
  audiogen::Standard Sent(audiogen::Standard standard) const;
};

// What one call puts on a line, faults included, before the line's own noise:
// normally a ring, the caller-ID burst and a second ring. `levelDbm0` and
// `snrDb` are the line's as set (a good burst's level, the quiet noise below it).
audiogen::Samples CallAudio(const audiogen::CallBurst& call, double levelDbm0, double snrDb, const LineFaults& faults);
// The line's quiet noise level for a burst level and SNR, faults included.
double NoiseDbm0(double levelDbm0, double snrDb, const LineFaults& faults);

}  // namespace sim
