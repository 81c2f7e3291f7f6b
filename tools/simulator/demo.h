#pragma once
// Demo traffic: quiet lines, a ringing burst, then a call with a believable
// Turkish number every few seconds.
#include <QRandomGenerator>
#include <QString>

#include "tools/simulator/emulation.h"

namespace sim {

// A number as Turkish exchanges deliver it: mobile 05xx, or a city's area
// code 0212, 0216, 0312, 0232, ..., with a trunk zero and seven digits.
QString RandomTurkishNumber(QRandomGenerator& rng);
// A call on a random line; now and then withheld or unavailable.
Call RandomCall(QRandomGenerator& rng, int lines);
// Time to the next demo call: minMs to maxMs.
int DemoPauseMs(QRandomGenerator& rng, int minMs, int maxMs);
// A quiet line's level: 0 to 2.
int QuietLevel(QRandomGenerator& rng);

}  // namespace sim
