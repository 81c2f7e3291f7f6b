#include "tools/line-check/plot_data.h"

#include <algorithm>

#include "tools/line-check/event_report.h"

namespace linecheck {

namespace {

using namespace device::audio;

QString Sec(int64_t samples) { return QString::number(double(samples) / kSampleRate, 'f', 2); }
QString Num(double v, int decimals = 1) { return QString::number(v, 'f', decimals); }
QString Num(const std::optional<double>& v, int decimals = 1) { return v ? Num(*v, decimals) : QStringLiteral("?"); }

bool Failed(const BurstReport& b) { return b.fate != BurstFate::Decoded || b.otherFamily; }

// Keeps at most `limit` items, oldest first; once full, a failed item takes
// the place of the oldest good one and a good one is left out.
template <typename T>
bool Offer(std::vector<T>& kept, size_t limit, T item, bool failed) {
  if (kept.size() >= limit) {
    const auto good = std::find_if(kept.begin(), kept.end(), [](const T& k) { return !k.failed; });
    if (!failed || good == kept.end()) return false;
    kept.erase(good);
  }
  kept.push_back(std::move(item));
  return true;
}

}  // namespace

PlotData::PlotData(int channels) : channels_(size_t(std::max(0, channels))) {}

int64_t PlotData::Length() const {
  int64_t n = 0;
  for (const State& s : channels_) n = std::max(n, s.plot.level.Position());
  return n;
}

void PlotData::Feed(int channel, const int16_t* samples, size_t count) {
  State& s = channels_[size_t(channel)];
  s.plot.level.Feed(samples, count);
  s.history.insert(s.history.end(), samples, samples + count);
  const int64_t excess = int64_t(s.history.size()) - kHistory;
  if (excess > 0) {
    s.history.erase(s.history.begin(), s.history.begin() + excess);
    s.historyStart += excess;
  }
}

void PlotData::Mark(State& s, PlotMark mark) {
  if (s.plot.marks.size() >= kMaxMarks) {
    ++s.plot.droppedMarks;
    return;
  }
  s.plot.marks.push_back(std::move(mark));
}

void PlotData::Panel(State& s, const BurstReport& b, int number, const QString& title, const QString& figures) {
  BurstPanel p;
  p.number = number;
  p.failed = Failed(b);
  p.start = b.start;
  p.end = b.end;
  p.title = title;
  p.figures = figures;
  if (b.standard != Standard::ClipDtmf) {
    p.markHz = b.markHz.value_or(0);
    p.spaceHz = b.spaceHz.value_or(0);
  }
  // Only the audio still held: a burst longer than the history shows its end.
  const int64_t held = s.historyStart + int64_t(s.history.size());
  const int64_t from = std::clamp(b.start - kPanelMargin, s.historyStart, held);
  const int64_t to = std::clamp(b.end + kPanelMargin, from, held);
  const std::vector<int16_t> audio(s.history.begin() + (from - s.historyStart),
                                   s.history.begin() + (to - s.historyStart));
  p.spectrum = Spectrogram::Of(audio.data(), audio.size(), from);
  const bool failed = p.failed;
  Offer(s.plot.panels, kMaxPanels, std::move(p), failed);
}

void PlotData::Take(int channel, const WatchEvent& event) {
  State& s = channels_[size_t(channel)];
  ChannelPlot& plot = s.plot;
  if (const auto* r = std::get_if<RingEvent>(&event)) {
    Mark(s, {MarkKind::Ring, r->start, r->end, QStringLiteral("zil %1").arg(r->ringInCycle)});
  } else if (const auto* v = std::get_if<ReversalEvent>(&event)) {
    Mark(s, {MarkKind::Reversal, v->at, v->at, QStringLiteral("polarite")});
  } else if (const auto* a = std::get_if<AlertToneEvent>(&event)) {
    Mark(s, {MarkKind::AlertTone, a->start, a->end, QStringLiteral("uyarı tonu")});
  } else if (const auto* b = std::get_if<BurstReport>(&event)) {
    const int number = ++plot.bursts;
    const bool failed = Failed(*b);
    if (failed) ++plot.failedBursts;
    const QString kind = (StandardName(b->standard) + QLatin1Char(' ') + b->layout).trimmed();
    QString figures = QStringLiteral("%1 dBm0, SNR %2 dB").arg(Num(b->levelDbm0), Num(b->snrDb, 0));
    QString label = QStringLiteral("#%1 %2, %3").arg(number).arg(kind, figures);
    if (b->standard != Standard::ClipDtmf)
      figures += QStringLiteral(", %1/%2 Hz, %3 bit/s").arg(Num(b->markHz, 0), Num(b->spaceHz, 0), Num(b->bitRate, 0));
    else
      figures += QStringLiteral(", %1 rakam").arg(b->DigitCount());
    if (failed) {
      const QString fate = b->otherFamily ? QStringLiteral("diğer standart") : FateName(b->fate);
      label += QStringLiteral(", ") + fate;
      figures = fate + QStringLiteral("; ") + figures;
    } else if (b->message && !b->message->number.isEmpty()) {
      figures += QStringLiteral("; ") + b->message->number;
    }
    Mark(s, {failed ? MarkKind::FailedBurst : MarkKind::Burst, b->start, b->end, label});
    Panel(s, *b, number, QStringLiteral("#%1 %2, %3 s").arg(number).arg(kind, Sec(b->start)), figures);
  } else if (const auto* t = std::get_if<CallProgressToneEvent>(&event)) {
    Mark(s, {MarkKind::AlertTone, t->start, t->end, QStringLiteral("ton: %1").arg(CallProgressToneKey(t->tone))});
  } else {
    const auto& c = std::get<CycleVerdict>(event);
    const int number = ++plot.cycles;
    const bool failed = c.diagnosis != Diagnosis::Good;
    if (failed) ++plot.failedCycles;
    Mark(s, {failed ? MarkKind::FailedVerdict : MarkKind::Verdict, c.at, c.at, QStringLiteral("karar %1").arg(number)});
    Offer(plot.verdicts, kMaxVerdicts,
          PlotVerdict{number, failed, c.at,
                      QStringLiteral("karar %1, %2 s: %3").arg(number).arg(Sec(c.at), VerdictText(c))},
          failed);
  }
}

}  // namespace linecheck
