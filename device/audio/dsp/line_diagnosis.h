#pragma once
// Why caller ID did or did not arrive, judged against the standard the burst
// was sent in (line_limits.h), and the Turkish line that says it. A call
// whose figures all lie within its standard is good; one that decoded with
// a figure outside is out of standard, because a unit that holds only the
// standard may miss it; a burst that failed is named for the figure that
// explains it, so the right party is told what to mend.
#include <QString>
#include <optional>
#include <vector>

#include "device/audio/dsp/line_events.h"
#include "device/audio/dsp/line_limits.h"

namespace device::audio {

struct Judgement {
  Diagnosis diagnosis = Diagnosis::Good;
  std::optional<double> figure;      // the figure the cause names
  std::vector<LimitBreach> outside;  // every figure outside the standard
};

// Every figure of `burst` outside its standard's limits, its timing against
// what came before it and `nextRing` (where the ring after it began, if one
// came) among them. Figures not measured are not judged; each is given the
// slack of its own measurement, so a line at a limit is inside it.
std::vector<LimitBreach> FiguresOutside(const BurstReport& burst, std::optional<int64_t> nextRing = std::nullopt);

// The verdict on the burst a cycle rests on. A decoded burst heard as its
// own family is good or out of standard; the other family's is named so.
Judgement JudgeBurst(const BurstReport& burst, std::optional<int64_t> nextRing = std::nullopt);

// The message line for a verdict on `line` (0 for a device of one line):
// the line, the cause and its figure first, short enough for the window's
// two-line message area; empty for a good call.
QString DiagnosisText(int line, const CycleVerdict& verdict);
// What to do about it, for the line check's advice line and the docs; empty
// when the cause says it all.
QString DiagnosisAdvice(const CycleVerdict& verdict);

}  // namespace device::audio
