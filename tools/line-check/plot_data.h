#pragma once
// What the line-check plot shows of each channel, collected while the audio
// is read: the level track, every ring, reversal, alert tone and burst as a
// labelled mark, the cycle verdicts, and each burst's spectrogram. Painting
// is plot_painter.h; this part decides what is marked where.
//
// Memory stays bounded on long recordings: the level track merges its
// blocks, the marks and verdicts are capped, and at most kMaxPanels
// spectrograms are kept per channel (failed bursts before good ones).
#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

#include "device/audio/dsp/line_events.h"
#include "tools/line-check/level_track.h"
#include "tools/line-check/spectrogram.h"

namespace linecheck {

enum class MarkKind { Ring, Reversal, AlertTone, Burst, FailedBurst, Verdict, FailedVerdict };

struct PlotMark {
  MarkKind kind = MarkKind::Ring;
  int64_t start = 0, end = 0;  // samples; equal for a moment (reversal, verdict)
  QString label;               // short, on the track
};

struct BurstPanel {
  int number = 0;  // the burst's number on its channel, as its mark's label starts
  bool failed = false;
  int64_t start = 0, end = 0;
  QString title;                   // "#1 V.23 MDMF, 0.45 s"
  QString figures;                 // level, SNR, tones; the fate of a failed burst
  double markHz = 0, spaceHz = 0;  // measured FSK tones; 0 for DTMF
  Spectrogram spectrum;
};

struct PlotVerdict {
  int number = 0;
  bool failed = false;  // the cycle brought no call
  int64_t at = 0;
  QString text;  // "karar 1, 3.10 s: ..."
};

struct ChannelPlot {
  LevelTrack level;
  std::vector<PlotMark> marks;
  std::vector<BurstPanel> panels;
  std::vector<PlotVerdict> verdicts;
  int bursts = 0, failedBursts = 0;  // all heard, shown or not
  int cycles = 0, failedCycles = 0;
  int droppedMarks = 0;
};

class PlotData {
 public:
  static constexpr size_t kMaxMarks = 4000;
  static constexpr size_t kMaxPanels = 6;
  static constexpr size_t kMaxVerdicts = 6;
  // Audio kept per channel for the spectrograms: a burst is reported after it
  // ends, and an FSK message runs up to about 2.5 s.
  static constexpr int64_t kHistory = 8 * device::audio::kSampleRate;
  // Audio shown either side of a burst in its spectrogram.
  static constexpr int64_t kPanelMargin = device::audio::kSampleRate / 10;

  explicit PlotData(int channels = 0);
  void SetTitle(const QString& title) { title_ = title; }
  const QString& Title() const { return title_; }

  // Channel audio (0-based channel); feed it before the events it produced.
  void Feed(int channel, const int16_t* samples, size_t count);
  void Take(int channel, const device::audio::WatchEvent& event);

  int Channels() const { return int(channels_.size()); }
  const ChannelPlot& Channel(int channel) const { return channels_[size_t(channel)].plot; }
  int64_t Length() const;  // the longest channel's samples

 private:
  struct State {
    ChannelPlot plot;
    std::deque<int16_t> history;
    int64_t historyStart = 0;
  };
  void Mark(State& s, PlotMark mark);
  void Panel(State& s, const device::audio::BurstReport& b, int number, const QString& title, const QString& figures);

  std::vector<State> channels_;
  QString title_;
};

}  // namespace linecheck
