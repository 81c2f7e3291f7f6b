#include "tools/line-check/check_run.h"

#include <unistd.h>

#include <QFileInfo>
#include <QJsonDocument>
#include <cstdio>

#include "tools/line-check/event_report.h"
#include "tools/line-check/plot_painter.h"

namespace linecheck {

namespace {

void Out(const QString& text) {
  std::fputs(text.toUtf8().constData(), stdout);
  std::fputc('\n', stdout);
}

void Err(const QString& text) {
  std::fputs(text.toUtf8().constData(), stderr);
  std::fputc('\n', stderr);
}

}  // namespace

CheckRun::CheckRun(CheckOptions options) : options_(std::move(options)) {}
CheckRun::~CheckRun() = default;

bool CheckRun::Open() {
  QString message;
  if (options_.plot && !PlotWritable(options_.plotPath, &message)) {
    Err(message);
    return false;
  }
  if (!device::MakeAudioInput(options_.source, &input_, &message)) {
    Err(QStringLiteral("cid-line-check: %1").arg(message));
    return false;
  }
  if (options_.save) {
    saved_ = std::make_unique<HeardAudioFile>(options_.savePath);
    if (!saved_->Create(options_.source, &message)) {
      Err(message);
      return false;
    }
  }
  if (!input_.source->Open(&message)) {
    Err(message);
    return false;
  }
  progress_ = isatty(STDERR_FILENO) && input_.kind == device::AudioInput::Kind::Recording;
  return true;
}

void CheckRun::Start(int channels) {
  const bool recording = input_.kind == device::AudioInput::Kind::Recording;
  const QString description = input_.source->Description();
  if (recording && !options_.json) Out(QStringLiteral("%1: %2").arg(options_.source, description));
  for (int c = 0; c < channels; ++c)
    watches_.push_back(std::make_unique<device::audio::LineWatch>(c + 1, options_.fixed));
  if (options_.plot) {
    plot_ = std::make_unique<PlotData>(channels);
    plot_->SetTitle(recording ? QStringLiteral("%1 (%2)").arg(QFileInfo(options_.source).fileName(), description)
                              : options_.source);
  }
}

void CheckRun::Report(int line) {
  for (const auto& e : events_) {
    if (plot_) plot_->Take(line - 1, e);
    Out(options_.json ? QString::fromUtf8(QJsonDocument(EventJson(line, e)).toJson(QJsonDocument::Compact))
                      : EventText(line, e));
  }
  events_.clear();
}

bool CheckRun::Take(const std::vector<int16_t>& frames, int channels) {
  QString message;
  if (saved_ && !saved_->Write(frames, channels, &message)) {
    Err(message);
    saved_.reset();
    return false;
  }
  if (channels > 0 && watches_.empty()) Start(channels);
  splitter_.Split(frames, channels);
  for (int c = 0; c < channels && splitter_.Count() > 0; ++c) {
    if (plot_) plot_->Feed(c, splitter_.Line(c), splitter_.Count());
    watches_[size_t(c)]->Feed(splitter_.Line(c), splitter_.Count(), events_);
    Report(c + 1);
  }
  done_ += qint64(splitter_.Count());
  return true;
}

void CheckRun::ShowProgress() {
  const qint64 total = input_.source->TotalFrames();
  if (!progress_ || total <= 0) return;
  const int percent = int(100 * done_ / std::max<qint64>(1, total));
  if (percent != lastPercent_) std::fprintf(stderr, "\r%3d %%", std::min(percent, 100));
  lastPercent_ = percent;
}

int CheckRun::Run() {
  if (!Open()) return 1;
  const qint64 limit =
      input_.kind == device::AudioInput::Kind::Recording ? -1 : qint64(options_.seconds * device::audio::kSampleRate);
  std::vector<int16_t> frames;
  for (;;) {
    frames.clear();
    QString message;
    const device::AudioSource::Status s = input_.source->Read(-1, 250, frames, &message);
    const QString note = input_.source->TakeNote();
    if (!note.isEmpty()) Err(note);
    if (!Take(frames, input_.source->Channels())) return Finish(1);
    ShowProgress();
    if (s == device::AudioSource::Status::Failed) {
      Err(message);
      return Finish(1);
    }
    if (s == device::AudioSource::Status::Ended || (limit >= 0 && done_ >= limit)) return Finish(0);
  }
}

int CheckRun::Finish(int status) {
  QString message;
  if (progress_) std::fputc('\n', stderr);
  if (saved_ && !saved_->Close(&message)) {
    Err(message);
    status = 1;
  }
  for (size_t c = 0; c < watches_.size(); ++c) {
    watches_[c]->Finish(events_);
    Report(int(c) + 1);
  }
  if (plot_ && !SavePlot(*plot_, options_.plotPath, &message)) {
    Err(message);
    return 1;
  }
  return status;
}

}  // namespace linecheck
