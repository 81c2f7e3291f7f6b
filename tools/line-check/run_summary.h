#pragma once
// What a run heard, line by line, for the summary printed every hour of
// audio and at the end: the ring cycles judged, the good ones, and each
// cause's count by its stable key. It is what a technician hands to the
// line's maintainer after a night on the line.
#include <QJsonObject>
#include <QStringList>
#include <map>
#include <vector>

#include "device/audio/dsp/line_events.h"
#include "tools/line-check/event_report.h"

namespace linecheck {

// Why a run ended, for the last summary.
enum class RunEnd { Running, SourceEnded, TimeUp, Stopped, Stalled, Failed };

struct SummaryContext {
  int64_t heard = 0;  // samples per line
  AudioClock clock;
  RunEnd end = RunEnd::Running;
  int kept = 0;        // cycles kept by --keep
  int keepLimit = -1;  // -1: not keeping
};

class RunSummary {
 public:
  void SetLines(int lines);
  void Count(int line, const device::audio::CycleVerdict& verdict);

  int Cycles() const;
  // Indented Turkish lines, the first naming what was heard.
  QStringList Text(const SummaryContext& context) const;
  QJsonObject Json(const SummaryContext& context) const;

 private:
  struct Line {
    int cycles = 0, good = 0;
    std::map<device::audio::Diagnosis, int> causes;  // the failed and out-of-standard ones
  };
  std::vector<Line> lines_;
};

}  // namespace linecheck
