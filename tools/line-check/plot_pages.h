#pragma once
// --plot FILE on a long recording or a night: FILE gets the overview
// (overview_painter.h) and every failed cycle is drawn in detail on pages
// beside it, FILE-2.png, FILE-3.png ..., kPerPage cycles a page. A short
// recording (a call or a few) stays one picture of its whole channels.
//
// Whether the run is long is known only as it goes, so failed cycles are
// held until it is: then each page is written as soon as it is full, and no
// more than a page's cycles are ever held. At most `limit` cycles are drawn
// (--keep-max), so a week of failures fills no disk; the overview says how
// many more there were.
#include <QStringList>
#include <vector>

#include "tools/line-check/cycle_capture.h"
#include "tools/line-check/plot_data.h"
#include "tools/line-check/safe_output.h"

namespace linecheck {

class PlotPages {
 public:
  static constexpr int kPerPage = 4;
  // More audio or more cycles on a line than this makes a run long.
  static constexpr int64_t kShortSamples = int64_t(15) * 60 * device::audio::kSampleRate;
  static constexpr int kShortCycles = 8;

  PlotPages(OutputGuard* guard, std::unique_ptr<OutputFile> main, QString title, AudioClock clock, int limit);
  ~PlotPages();

  // A cycle worth keeping, to be drawn in detail if the run is long; past
  // the limit only counted.
  bool Add(CycleCapture capture, QString* error);
  // Whether the run, `heard` samples in with at most `cycles` on a line, is long.
  bool Check(int64_t heard, int cycles, QString* error);
  // Writes the rest: the last page and the overview of `run`, or for a
  // short run its whole picture.
  bool Finish(const PlotData& run, QString* error);
  const QStringList& Pages() const { return pages_; }

 private:
  bool WritePage(QString* error);
  QString PageName(int page) const;

  OutputGuard* guard_;
  std::unique_ptr<OutputFile> main_;
  QString title_;
  AudioClock clock_;
  int limit_, drawn_ = 0, left_ = 0;
  bool long_ = false;
  std::vector<CycleCapture> held_;
  QStringList pages_;
};

}  // namespace linecheck
