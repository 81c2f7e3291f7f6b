#pragma once
// What the line-check plot shows, collected while the audio is read. A plot
// has sections: one per channel for a recording, or one per ring cycle on a
// page of failed cycles (cycle_capture.h). Each holds its level track,
// every ring, reversal, tone and burst as a labelled mark, the cycle
// verdicts, and spectrograms of its signals; and, for the overview of a
// long recording, every verdict's time and cause. Painting is
// plot_painter.h; this part decides what is shown.
//
// Memory stays bounded on long recordings: the level track merges its
// blocks, marks, verdicts and the cycle log are capped, and at most
// kMaxPanels spectrograms are kept per section, chosen by rank: caller-ID
// bursts first (failed before good), then signals no receiver framed, then
// alert tones, then call-progress tones.
#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

#include "device/audio/dsp/line_events.h"
#include "tools/line-check/cycle_capture.h"
#include "tools/line-check/event_report.h"
#include "tools/line-check/level_track.h"
#include "tools/line-check/spectrogram.h"

namespace linecheck {

enum class MarkKind { Ring, Reversal, AlertTone, Burst, FailedBurst, Verdict, FailedVerdict };

struct PlotMark {
  MarkKind kind = MarkKind::Ring;
  int64_t start = 0, end = 0;  // samples; equal for a moment (reversal, verdict)
  QString label;               // on the track
  QString shortLabel;          // when the full one has no room; may be empty
};

// What a spectrogram shows, in the order they are given room.
enum class PanelKind { Burst, Unframed, AlertTone, CallProgressTone };

struct BurstPanel {
  PanelKind kind = PanelKind::Burst;
  int number = 0;  // a burst's number on its section, as its mark's label starts
  bool failed = false;
  int64_t start = 0, end = 0;
  QString title;                // "#1 clip MDMF, 12,35 s"
  QString caption;              // the figures whole, the failing one first
  std::vector<double> nominal;  // the standard's tones, Hz
  std::vector<double> heard;    // the tones measured, Hz
  Spectrogram spectrum;
};

struct PlotVerdict {
  int number = 0;
  device::audio::Diagnosis diagnosis = device::audio::Diagnosis::Good;
  int64_t at = 0;
  QString text;    // "karar 1, 3,10 s: ..."
  QString advice;  // may be empty
  bool Failed() const { return diagnosis != device::audio::Diagnosis::Good; }
};

// One verdict in the overview of a long recording.
struct CycleLogEntry {
  int64_t at = 0;
  device::audio::Diagnosis diagnosis = device::audio::Diagnosis::Good;
};

struct ChannelPlot {
  QString name;        // "Hat 1", or a cycle's "Hat 1, döngü 12, ..."
  int64_t origin = 0;  // the sample the level track starts at
  bool cycle = false;  // one captured cycle, not a whole channel
  LevelTrack level;
  std::vector<PlotMark> marks;
  std::vector<BurstPanel> panels;  // in the order shown
  std::vector<PlotVerdict> verdicts;
  std::vector<CycleLogEntry> log;
  int bursts = 0, failedBursts = 0;  // all heard, shown or not
  int cycles = 0, failedCycles = 0;
  int droppedMarks = 0, droppedVerdicts = 0;
  int64_t End() const { return origin + level.Position(); }
};

class PlotData {
 public:
  static constexpr size_t kMaxMarks = 4000;
  static constexpr size_t kMaxPanels = 8;
  static constexpr size_t kMaxVerdicts = 12;
  static constexpr size_t kMaxLog = 200000;
  // Audio kept per section for the spectrograms: a signal no receiver
  // framed is reported when the ring after it ends, seconds later.
  static constexpr int64_t kHistory = 20 * device::audio::kSampleRate;
  // Audio shown either side of a signal in its spectrogram.
  static constexpr int64_t kPanelMargin = device::audio::kSampleRate / 10;

  explicit PlotData(int sections = 0, int64_t history = kHistory);
  void SetTitle(const QString& title) { title_ = title; }
  const QString& Title() const { return title_; }
  void SetClock(const AudioClock& clock) { clock_ = clock; }
  const AudioClock& Clock() const { return clock_; }

  // Section audio (0-based); feed it before the events it produced.
  void Feed(int section, const int16_t* samples, size_t count);
  void Take(int section, const device::audio::WatchEvent& event);
  // Fills section `section` with a captured cycle: its audio, its events.
  void TakeCapture(int section, const CycleCapture& capture);

  int Sections() const { return int(sections_.size()); }
  const ChannelPlot& Section(int section) const { return sections_[size_t(section)].plot; }
  int64_t Length() const;  // the longest section's samples

 private:
  struct State {
    ChannelPlot plot;
    std::deque<int16_t> history;
    int64_t historyStart = 0;
  };
  void Mark(State& s, PlotMark mark);
  void Offer(State& s, BurstPanel panel);
  BurstPanel Panel(const State& s, PanelKind kind, int64_t start, int64_t end) const;
  void TakeBurst(State& s, const device::audio::BurstReport& b);
  void TakeVerdict(State& s, const device::audio::CycleVerdict& c);

  std::vector<State> sections_;
  int64_t historyLimit_;
  QString title_;
  AudioClock clock_;
};

}  // namespace linecheck
