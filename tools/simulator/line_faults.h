#pragma once
// The faults the audio simulator can put on a line, so each diagnosis of the
// program and of cid-line-check can be shown and tested:
//   weak            the caller-ID burst at -45 dBm0, below what exchanges send
//   noisy           line noise 8 dB below the burst
//   hum[=HZ]        mains hum (50 Hz by default) 10 dB above the burst
//   fast-clock[=F]  the burst's bit clock F times too fast (1.03 by default)
//   other-standard  DTMF sent where the device expects FSK, V.23 where DTMF
//   early           caller ID before the first ring
//   no-cid          rings and no caller ID at all
//   none            a good line again
#include <QString>
#include <QStringList>

#include "tools/audio/signal_generator.h"

namespace sim {

struct LineFaults {
  static constexpr double kWeakDbm0 = -45;
  static constexpr double kNoisySnrDb = 8;
  static constexpr double kHumAboveBurstDb = 10;
  static constexpr double kFastClock = 1.03;

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
// normally a ring, the caller-ID burst and a second ring.
audiogen::Samples CallAudio(const audiogen::CallBurst& call, double levelDbm0, const LineFaults& faults);
// The line's quiet noise level for a burst level and SNR, faults included.
double NoiseDbm0(double levelDbm0, double snrDb, const LineFaults& faults);

}  // namespace sim
