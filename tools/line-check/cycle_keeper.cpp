#include "tools/line-check/cycle_keeper.h"

#include <QFileInfo>

#include "tools/line-check/heard_audio_file.h"
#include "tools/line-check/plot_painter.h"

namespace linecheck {

QString CycleKeeper::Name(const CycleCapture& c) const {
  const int64_t start = std::min(c.verdict.start, c.verdict.at);
  QString when;
  if (clock_.Known()) {
    when = clock_.At(start).toString(QStringLiteral("yyyyMMdd-HHmmss"));
  } else {
    const int64_t s = start / device::audio::kSampleRate;
    when = QStringLiteral("t%1%2%3")
               .arg(s / 3600, 2, 10, QLatin1Char('0'))
               .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
               .arg(s % 60, 2, 10, QLatin1Char('0'));
  }
  return QStringLiteral("hat%1-%2-%3.wav").arg(c.line).arg(when, device::audio::DiagnosisKey(c.verdict.diagnosis));
}

bool CycleKeeper::Keep(const CycleCapture& c, QString* message) {
  if (kept_ >= limit_) {
    if (!saidFull_)
      *message = QStringLiteral(
                     "cid-line-check: saklama sınırına gelindi (%1 döngü); sonraki sorunlu döngüler yalnızca sayılıyor "
                     "(--keep-max)")
                     .arg(limit_);
    saidFull_ = true;
    return true;
  }
  std::unique_ptr<OutputFile> wav = guard_->ClaimInDirectory(Name(c), QStringLiteral("saklanan döngü"), message);
  if (!wav || !WriteWav(*wav, c.audio, message)) return false;
  const QString png = QFileInfo(wav->Path()).completeBaseName() + QStringLiteral(".png");
  std::unique_ptr<OutputFile> picture =
      guard_->ClaimInDirectory(png, QStringLiteral("saklanan döngünün çizimi"), message);
  PlotData page(1, CycleCapturer::kHistory);
  page.SetTitle(title_);
  page.SetClock(clock_);
  page.TakeCapture(0, c);
  if (!picture || !SaveImage(PaintPlot(page), *picture, message)) return false;
  ++kept_;
  *message =
      QStringLiteral("cid-line-check: saklandı: %1 (%2)").arg(wav->Path(), QFileInfo(picture->Path()).fileName());
  return true;
}

}  // namespace linecheck
