#include "tools/line-check/plot_data.h"

#include <algorithm>

#include "device/audio/dsp/tones.h"

namespace linecheck {

namespace {

using namespace device::audio;

QString Sec(int64_t samples) { return Decimal(double(samples) / kSampleRate, 2); }
QString Num(const std::optional<double>& v, int decimals = 1) {
  return v ? Decimal(*v, decimals) : QStringLiteral("?");
}

bool Failed(const BurstReport& b) { return b.fate != BurstFate::Decoded || b.otherFamily; }

int Rank(const BurstPanel& p) {
  if (p.kind == PanelKind::Burst) return p.failed ? 0 : 1;
  return int(p.kind) + 1;
}

bool Before(const BurstPanel& a, const BurstPanel& b) {
  return Rank(a) != Rank(b) ? Rank(a) < Rank(b) : a.start < b.start;
}

QString Kind(const BurstReport& b) {
  if (b.fate == BurstFate::NotFramed) return QStringLiteral("sinyal");
  return (StandardName(b.standard) + QLatin1Char(' ') + b.layout).trimmed();
}

// The burst's figures, each whole.
QString Figures(const BurstReport& b) {
  QString f = QStringLiteral("%1 dBm0, SNR %2 dB").arg(Decimal(b.levelDbm0), Num(b.snrDb));
  if (b.fate == BurstFate::NotFramed)
    f += QStringLiteral(", gürültü %1 dBm0, %2 s").arg(Num(b.noiseDbm0), Sec(b.end - b.start));
  else if (b.standard == Standard::ClipDtmf)
    f += QStringLiteral(", %1 rakam, eğim %2 dB").arg(b.DigitCount()).arg(Num(b.twistDb));
  else
    f += QStringLiteral(", işaret %1 Hz, boşluk %2 Hz, %3 bit/\u2060s, eğim %4 dB")
             .arg(Num(b.markHz), Num(b.spaceHz), Num(b.bitRate), Num(b.twistDb));
  if (b.clippedPct > 0) f += QStringLiteral(", kırpılan %1 %").arg(Decimal(b.clippedPct));
  return f;
}

std::vector<double> NominalTones(const BurstReport& b) {
  if (b.fate == BurstFate::NotFramed) return {};
  if (b.standard == Standard::ClipDtmf) {
    std::vector<double> t(std::begin(kDtmfLowHz), std::end(kDtmfLowHz));
    t.insert(t.end(), std::begin(kDtmfHighHz), std::end(kDtmfHighHz));
    return t;
  }
  const FskTones t = NominalFskTones(b.standard);
  return {t.markHz, t.spaceHz};
}

QString VerdictLabel(int number, Diagnosis d) {
  return d == Diagnosis::Good ? QStringLiteral("karar %1").arg(number)
                              : QStringLiteral("karar %1: %2").arg(number).arg(CauseName(d));
}

}  // namespace

PlotData::PlotData(int sections, int64_t history) : sections_(size_t(std::max(0, sections))), historyLimit_(history) {
  for (size_t i = 0; i < sections_.size(); ++i) sections_[i].plot.name = QStringLiteral("Hat %1").arg(i + 1);
}

int64_t PlotData::Length() const {
  int64_t n = 0;
  for (const State& s : sections_) n = std::max(n, s.plot.level.Position());
  return n;
}

void PlotData::Feed(int section, const int16_t* samples, size_t count) {
  State& s = sections_[size_t(section)];
  s.plot.level.Feed(samples, count);
  s.history.insert(s.history.end(), samples, samples + count);
  const int64_t excess = int64_t(s.history.size()) - historyLimit_;
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

BurstPanel PlotData::Panel(const State& s, PanelKind kind, int64_t start, int64_t end) const {
  BurstPanel p;
  p.kind = kind;
  p.start = start;
  p.end = end;
  // Only the audio still held: a signal longer than the history shows its end.
  const int64_t held = s.historyStart + int64_t(s.history.size());
  const int64_t from = std::clamp(start - kPanelMargin, s.historyStart, held);
  const int64_t to = std::clamp(end + kPanelMargin, from, held);
  const std::vector<int16_t> audio(s.history.begin() + (from - s.historyStart),
                                   s.history.begin() + (to - s.historyStart));
  p.spectrum = Spectrogram::Of(audio.data(), audio.size(), from);
  return p;
}

void PlotData::Offer(State& s, BurstPanel panel) {
  std::vector<BurstPanel>& kept = s.plot.panels;
  if (kept.size() >= kMaxPanels) {
    if (!Before(panel, kept.back())) return;
    kept.pop_back();
  }
  kept.insert(std::upper_bound(kept.begin(), kept.end(), panel, Before), std::move(panel));
}

void PlotData::TakeBurst(State& s, const BurstReport& b) {
  ChannelPlot& plot = s.plot;
  const int number = ++plot.bursts;
  const bool failed = Failed(b);
  if (failed) ++plot.failedBursts;
  const QString fate = b.otherFamily ? QStringLiteral("diğer standart") : FateName(b.fate);
  QString label =
      QStringLiteral("#%1 %2 %3 dBm0, SNR %4 dB").arg(number).arg(Kind(b), Decimal(b.levelDbm0), Num(b.snrDb, 0));
  if (failed) label += QStringLiteral(", ") + fate;
  Mark(s, {failed ? MarkKind::FailedBurst : MarkKind::Burst, b.start, b.end, label, QStringLiteral("#%1").arg(number)});

  BurstPanel p = Panel(s, b.fate == BurstFate::NotFramed ? PanelKind::Unframed : PanelKind::Burst, b.start, b.end);
  p.number = number;
  p.failed = failed;
  p.title = QStringLiteral("#%1 %2, %3 s").arg(number).arg(Kind(b), Sec(b.start - plot.origin));
  p.caption = failed ? fate + QStringLiteral("; ") + Figures(b) : Figures(b);
  if (!failed && b.message && !b.message->number.isEmpty()) p.caption += QStringLiteral("; ") + b.message->number;
  p.nominal = NominalTones(b);
  if (b.standard != Standard::ClipDtmf && b.markHz && b.spaceHz) p.heard = {*b.markHz, *b.spaceHz};
  Offer(s, std::move(p));
}

void PlotData::TakeVerdict(State& s, const CycleVerdict& c) {
  ChannelPlot& plot = s.plot;
  const int number = ++plot.cycles;
  const bool failed = c.diagnosis != Diagnosis::Good;
  if (failed) ++plot.failedCycles;
  Mark(s, {failed ? MarkKind::FailedVerdict : MarkKind::Verdict, c.at, c.at, VerdictLabel(number, c.diagnosis),
           QStringLiteral("k%1").arg(number)});
  if (plot.log.size() < kMaxLog) plot.log.push_back({c.at, c.diagnosis});
  if (plot.verdicts.size() < kMaxVerdicts)
    plot.verdicts.push_back(
        {number, c.diagnosis, c.at,
         QStringLiteral("karar %1, %2: %3").arg(number).arg(Position(c.at - plot.origin, {}), VerdictText(c)),
         c.text.contains(c.advice) ? QString() : c.advice});
  else
    ++plot.droppedVerdicts;
  // The burst the verdict rests on shows why, with the figures outside the standard.
  if (!failed || !c.burst) return;
  for (BurstPanel& p : plot.panels) {
    if (p.start != c.burst->start) continue;
    QString why = QStringLiteral("karar: %1 (%2)").arg(CauseName(c.diagnosis), DiagnosisKey(c.diagnosis));
    if (c.figure)
      why += QLatin1Char(' ') + QStringLiteral("%1 %2").arg(Decimal(*c.figure), FigureUnit(c.diagnosis)).trimmed();
    for (const LimitBreach& b : c.outside) why += QStringLiteral("; ") + BreachText(b);
    p.caption += QStringLiteral("\n") + why;
  }
}

void PlotData::Take(int section, const WatchEvent& event) {
  State& s = sections_[size_t(section)];
  if (const auto* r = std::get_if<RingEvent>(&event)) {
    Mark(s, {MarkKind::Ring, r->start, r->end, QStringLiteral("zil %1").arg(r->ringInCycle), QString()});
  } else if (const auto* v = std::get_if<ReversalEvent>(&event)) {
    Mark(s, {MarkKind::Reversal, v->at, v->at, QStringLiteral("polarite"), QStringLiteral("P")});
  } else if (const auto* a = std::get_if<AlertToneEvent>(&event)) {
    Mark(s, {MarkKind::AlertTone, a->start, a->end, QStringLiteral("uyarı tonu"), QStringLiteral("U")});
    BurstPanel p = Panel(s, PanelKind::AlertTone, a->start, a->end);
    p.title = QStringLiteral("uyarı tonu, %1 s").arg(Sec(a->start - s.plot.origin));
    p.caption = QStringLiteral("%1 dBm0, eğim %2 dB").arg(Decimal(a->levelDbm0), Decimal(a->twistDb));
    p.nominal = {2130, 2750};
    Offer(s, std::move(p));
  } else if (const auto* b = std::get_if<BurstReport>(&event)) {
    TakeBurst(s, *b);
  } else if (const auto* t = std::get_if<CallProgressToneEvent>(&event)) {
    Mark(s, {MarkKind::AlertTone, t->start, t->end, QStringLiteral("ton: %1").arg(CallProgressToneKey(t->tone)),
             QStringLiteral("ton")});
    BurstPanel p = Panel(s, PanelKind::CallProgressTone, t->start, t->end);
    p.title = QStringLiteral("ton: %1, %2 s").arg(CallProgressToneKey(t->tone), Sec(t->start - s.plot.origin));
    p.caption = QStringLiteral("%1, %2 Hz, %3 dBm0").arg(t->region, Decimal(t->lowHz, 0), Decimal(t->levelDbm0));
    p.heard = {t->lowHz};
    if (t->highHz) p.heard.push_back(*t->highHz);
    Offer(s, std::move(p));
  } else {
    TakeVerdict(s, std::get<CycleVerdict>(event));
  }
}

void PlotData::TakeCapture(int section, const CycleCapture& c) {
  State& s = sections_[size_t(section)];
  s.plot.name =
      QStringLiteral("Hat %1, döngü %2: %3 (%4), %5")
          .arg(c.line)
          .arg(c.number)
          .arg(CauseName(c.verdict.diagnosis), DiagnosisKey(c.verdict.diagnosis), Position(c.verdict.start, clock_));
  s.plot.cycle = true;
  s.plot.origin = c.from;
  s.historyStart = c.from;
  s.history.clear();
  // The cycle is one of many on its line: its verdict keeps its number.
  s.plot.cycles = c.number - 1;
  Feed(section, c.audio.data(), c.audio.size());
  for (const WatchEvent& e : c.events) Take(section, e);
}

}  // namespace linecheck
