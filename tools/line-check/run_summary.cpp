#include "tools/line-check/run_summary.h"

#include <QJsonArray>
#include <cmath>

namespace linecheck {

namespace {

using device::audio::Diagnosis;

QString EndKey(RunEnd end) {
  switch (end) {
    case RunEnd::Running: break;
    case RunEnd::SourceEnded: return QStringLiteral("source_ended");
    case RunEnd::TimeUp: return QStringLiteral("time_up");
    case RunEnd::Stopped: return QStringLiteral("stopped");
    case RunEnd::Stalled: return QStringLiteral("stalled");
    case RunEnd::Failed: return QStringLiteral("failed");
  }
  return {};
}

QString EndText(RunEnd end) {
  switch (end) {
    case RunEnd::Running: break;
    case RunEnd::SourceEnded: return QStringLiteral("kaynak bitti");
    case RunEnd::TimeUp: return QStringLiteral("süre doldu");
    case RunEnd::Stopped: return QStringLiteral("durduruldu");
    case RunEnd::Stalled: return QStringLiteral("ses gelmez oldu");
    case RunEnd::Failed: return QStringLiteral("kaynak okunamaz oldu");
  }
  return {};
}

QJsonValue ClockAt(const SummaryContext& c, int64_t sample) {
  return c.clock.Known() ? QJsonValue(c.clock.At(sample).toString(Qt::ISODate)) : QJsonValue(QJsonValue::Null);
}

}  // namespace

void RunSummary::SetLines(int lines) { lines_.resize(size_t(std::max(lines, 0))); }

void RunSummary::Count(int line, const device::audio::CycleVerdict& verdict) {
  if (line < 1) return;
  if (size_t(line) > lines_.size()) lines_.resize(size_t(line));
  Line& l = lines_[size_t(line - 1)];
  ++l.cycles;
  if (verdict.diagnosis == Diagnosis::Good)
    ++l.good;
  else
    ++l.causes[verdict.diagnosis];
}

int RunSummary::Cycles() const {
  int n = 0;
  for (const Line& l : lines_) n += l.cycles;
  return n;
}

QStringList RunSummary::Text(const SummaryContext& c) const {
  int good = 0;
  for (const Line& l : lines_) good += l.good;
  QString head = c.end == RunEnd::Running ? QStringLiteral("Ara özet") : QStringLiteral("Özet");
  head += QStringLiteral(": %1 dinlendi").arg(Duration(c.heard));
  if (c.clock.Known())
    head += QStringLiteral(" (%1–%2)")
                .arg(c.clock.At(0).toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                     c.clock.At(c.heard).toString(QStringLiteral("HH:mm")));
  if (c.end != RunEnd::Running) head += QStringLiteral(", ") + EndText(c.end);
  head += QStringLiteral("; %1 zil döngüsü, %2 sağlam").arg(Cycles()).arg(good);
  QStringList out{head};
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    QString s = QStringLiteral("  Hat %1: %2 döngü, %3 sağlam").arg(i + 1).arg(l.cycles).arg(l.good);
    QStringList causes;
    for (const auto& [d, n] : l.causes)
      causes << QStringLiteral("%1 (%2) %3").arg(CauseName(d), device::audio::DiagnosisKey(d)).arg(n);
    if (!causes.isEmpty()) s += QStringLiteral("; ") + causes.join(QStringLiteral(", "));
    out << s;
  }
  if (c.keepLimit >= 0)
    out << QStringLiteral("  Saklanan döngü: %1 (en çok %2%3)")
               .arg(c.kept)
               .arg(c.keepLimit)
               .arg(c.kept >= c.keepLimit ? QStringLiteral(", sınıra gelindi") : QString());
  return out;
}

QJsonObject RunSummary::Json(const SummaryContext& c) const {
  QJsonArray lines;
  int cycles = 0, good = 0;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    QJsonObject causes;
    for (const auto& [d, n] : l.causes) causes[device::audio::DiagnosisKey(d)] = n;
    lines.append(QJsonObject{{QStringLiteral("line"), int(i + 1)},
                             {QStringLiteral("cycles"), l.cycles},
                             {QStringLiteral("good"), l.good},
                             {QStringLiteral("causes"), causes}});
    cycles += l.cycles;
    good += l.good;
  }
  const bool keeping = c.keepLimit >= 0;
  return QJsonObject{
      {QStringLiteral("event"), QStringLiteral("summary")},
      {QStringLiteral("final"), c.end != RunEnd::Running},
      {QStringLiteral("ended"), c.end == RunEnd::Running ? QJsonValue(QJsonValue::Null) : QJsonValue(EndKey(c.end))},
      {QStringLiteral("heard_s"), std::round(double(c.heard) * 1000 / device::audio::kSampleRate) / 1000},
      {QStringLiteral("clock_start"), ClockAt(c, 0)},
      {QStringLiteral("clock_end"), ClockAt(c, c.heard)},
      {QStringLiteral("cycles"), cycles},
      {QStringLiteral("good"), good},
      {QStringLiteral("lines"), lines},
      {QStringLiteral("kept"), keeping ? QJsonValue(c.kept) : QJsonValue(QJsonValue::Null)},
      {QStringLiteral("keep_limit"), keeping ? QJsonValue(c.keepLimit) : QJsonValue(QJsonValue::Null)},
  };
}

}  // namespace linecheck
