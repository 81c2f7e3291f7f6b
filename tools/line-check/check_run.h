#pragma once
// One run of cid-line-check: checks every file it will write before
// anything is read, then reads the source to its end (a recording) or for
// the time asked (a card or a stream, bounded by the wall clock too),
// watches every channel, reports the events in time order, counts the
// cycles for the summaries (every hour of audio and at the end, on Ctrl+C
// and SIGTERM too), keeps failed cycles, what was heard and the picture
// when asked.
#include <QElapsedTimer>
#include <memory>
#include <vector>

#include "device/audio/audio_input.h"
#include "device/audio/dsp/line_watch.h"
#include "tools/line-check/check_options.h"
#include "tools/line-check/console.h"
#include "tools/line-check/cycle_capture.h"
#include "tools/line-check/cycle_keeper.h"
#include "tools/line-check/event_order.h"
#include "tools/line-check/heard_audio_file.h"
#include "tools/line-check/plot_data.h"
#include "tools/line-check/plot_pages.h"
#include "tools/line-check/run_summary.h"
#include "tools/line-check/safe_output.h"

namespace linecheck {

class CheckRun {
 public:
  // A stream or card that delivers nothing this long ends the run, unless
  // --seconds asked to wait longer.
  static constexpr int kStallMs = 30000;
  // Wall time beyond --seconds a live source is given to start delivering.
  static constexpr int kGraceMs = 3000;

  explicit CheckRun(CheckOptions options);
  ~CheckRun();
  // The exit code: 0 heard and judged, 1 a source, plot, save or keep target that failed.
  int Run();

 private:
  bool ClaimOutputs();
  bool Open();
  void Start(int channels);
  // One read's frames through the watches; false when the run must end.
  bool Take(const std::vector<int16_t>& frames, int channels);
  void Release(std::vector<LineEvent> events);
  void Report(const LineEvent& event);
  void Capture(CycleCapture capture);
  void PrintSummary(RunEnd end);
  void ShowProgress();
  // Whether a live source's silence or the wall clock ends the run.
  bool OutOfTime(bool data, RunEnd* end);
  void Source(const QString& message);
  int Finish(int status, RunEnd end);
  bool Live() const { return input_.kind != device::AudioInput::Kind::Recording; }

  CheckOptions options_;
  OutputGuard guard_;
  Console console_;
  device::AudioInput input_;
  std::unique_ptr<OutputFile> plotTarget_;
  std::unique_ptr<HeardAudioFile> saved_;
  std::unique_ptr<PlotData> plot_;
  std::unique_ptr<PlotPages> pages_;
  std::unique_ptr<CycleKeeper> keeper_;
  std::vector<std::unique_ptr<device::audio::LineWatch>> watches_;
  std::vector<CycleCapturer> capturers_;
  EventOrder order_;
  RunSummary summary_;
  AudioClock clock_;
  device::ChannelSplitter splitter_;
  std::vector<device::audio::WatchEvent> events_;
  QElapsedTimer wall_, sinceData_;
  bool saidStall_ = false;
  qint64 done_ = 0;
  int64_t nextSummary_ = 0;
  bool summaryDue_ = false;  // an hour is over; said when more audio comes
  bool outputFailed_ = false;
};

}  // namespace linecheck
