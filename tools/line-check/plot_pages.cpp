#include "tools/line-check/plot_pages.h"

#include <QFileInfo>

#include "tools/line-check/overview_painter.h"
#include "tools/line-check/plot_painter.h"

namespace linecheck {

PlotPages::PlotPages(OutputGuard* guard, std::unique_ptr<OutputFile> main, QString title, AudioClock clock, int limit)
    : guard_(guard), main_(std::move(main)), title_(std::move(title)), clock_(clock), limit_(limit) {}

PlotPages::~PlotPages() = default;

QString PlotPages::PageName(int page) const {
  const QFileInfo main(main_->Path());
  const QString suffix = main.suffix().isEmpty() ? QStringLiteral("png") : main.suffix();
  return main.path() + QLatin1Char('/') + main.completeBaseName() + QStringLiteral("-%1.").arg(page) + suffix;
}

bool PlotPages::Add(CycleCapture capture, QString* error) {
  if (drawn_ >= limit_) {
    ++left_;
    return true;
  }
  ++drawn_;
  held_.push_back(std::move(capture));
  return !long_ || int(held_.size()) < kPerPage || WritePage(error);
}

bool PlotPages::Check(int64_t heard, int cycles, QString* error) {
  if (long_ || (heard <= kShortSamples && cycles <= kShortCycles && held_.size() <= size_t(kShortCycles))) return true;
  long_ = true;
  while (int(held_.size()) >= kPerPage)
    if (!WritePage(error)) return false;
  return true;
}

bool PlotPages::WritePage(QString* error) {
  const size_t n = std::min(held_.size(), size_t(kPerPage));
  if (n == 0) return true;
  const int number = int(pages_.size()) + 2;  // the overview is the first
  PlotData page(int(n), CycleCapturer::kHistory);
  page.SetTitle(QStringLiteral("%1, sorunlu döngüler, sayfa %2").arg(title_).arg(number));
  page.SetClock(clock_);
  for (size_t i = 0; i < n; ++i) page.TakeCapture(int(i), held_[i]);
  held_.erase(held_.begin(), held_.begin() + qsizetype(n));
  const QString path = PageName(number);
  std::unique_ptr<OutputFile> target = guard_->Claim(path, QStringLiteral("çizim sayfası"), error);
  if (!target || !SaveImage(PaintPlot(page), *target, error)) return false;
  pages_ << QFileInfo(path).fileName();
  return true;
}

bool PlotPages::Finish(const PlotData& run, QString* error) {
  if (!long_) return SaveImage(PaintPlot(run), *main_, error);
  while (!held_.empty())
    if (!WritePage(error)) return false;
  return SaveImage(PaintOverview(run, pages_, kPerPage, left_), *main_, error);
}

}  // namespace linecheck
