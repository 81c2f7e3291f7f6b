#pragma once
// One run of cid-line-check: reads the source to its end (a recording) or
// for the time asked (a card or a stream), watches every channel, reports
// each event as it is learnt, and keeps what was heard and the picture when
// asked.
#include <memory>
#include <vector>

#include "device/audio/audio_input.h"
#include "device/audio/dsp/line_watch.h"
#include "tools/line-check/check_options.h"
#include "tools/line-check/heard_audio_file.h"
#include "tools/line-check/plot_data.h"

namespace linecheck {

class CheckRun {
 public:
  explicit CheckRun(CheckOptions options);
  ~CheckRun();
  // The exit code: 0 heard and judged, 1 a source, plot or save target that failed.
  int Run();

 private:
  bool Open();
  void Start(int channels);
  // One read's frames through the watches; false when the run must end.
  bool Take(const std::vector<int16_t>& frames, int channels);
  void Report(int line);
  void ShowProgress();
  int Finish(int status);

  CheckOptions options_;
  device::AudioInput input_;
  std::unique_ptr<HeardAudioFile> saved_;
  std::unique_ptr<PlotData> plot_;
  std::vector<std::unique_ptr<device::audio::LineWatch>> watches_;
  device::ChannelSplitter splitter_;
  std::vector<device::audio::WatchEvent> events_;
  qint64 done_ = 0;
  int lastPercent_ = -1;
  bool progress_ = false;
};

}  // namespace linecheck
