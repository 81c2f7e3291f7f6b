#include "tools/line-check/check_run.h"

#include <signal.h>
#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>

#include "device/core/system_words.h"
#include "tools/line-check/event_report.h"

namespace linecheck {

namespace {

using device::audio::kSampleRate;
constexpr int64_t kHour = int64_t(3600) * kSampleRate;

volatile sig_atomic_t stopAsked = 0;

void AskStop(int) { stopAsked = 1; }

// Ctrl+C and SIGTERM end the run cleanly, with its summary; a second one
// ends it at once.
void CatchStop() {
  struct sigaction a {};
  a.sa_handler = AskStop;
  a.sa_flags = SA_RESETHAND;  // no SA_RESTART: a read waiting for a stream returns
  sigemptyset(&a.sa_mask);
  sigaction(SIGINT, &a, nullptr);
  sigaction(SIGTERM, &a, nullptr);
}

QString Json(const QJsonObject& o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); }

}  // namespace

CheckRun::CheckRun(CheckOptions options) : options_(std::move(options)), guard_(options_.source) {}
CheckRun::~CheckRun() = default;

// Every file the run will write, checked before anything is read: a long
// recording is not read for nothing, and no output can be the input.
bool CheckRun::ClaimOutputs() {
  QString error;
  if (!options_.plotPath.isEmpty()) {
    plotTarget_ = guard_.Claim(options_.plotPath, QStringLiteral("çizim dosyası"), &error);
    if (!plotTarget_) return console_.Err(error), false;
  }
  if (!options_.savePath.isEmpty()) {
    std::unique_ptr<OutputFile> target = guard_.Claim(options_.savePath, QStringLiteral("kayıt dosyası"), &error);
    if (!target) return console_.Err(error), false;
    saved_ = std::make_unique<HeardAudioFile>(std::move(target));
    if (!saved_->Create(&error)) return console_.Err(error), false;
  }
  if (!options_.keepPath.isEmpty() && !guard_.ClaimDirectory(options_.keepPath, &error))
    return console_.Err(error), false;
  return true;
}

// A reader's line (Turkish throughout, the readers' own), naming what the user gave.
void CheckRun::Source(const QString& message) {
  QString line = message;
  if (input_.kind == device::AudioInput::Kind::SoundCard)
    line.replace(QRegularExpression(QStringLiteral("\\b(plug)?hw:\\d+,\\d+")), options_.source);
  console_.Err(line.contains(options_.source) ? QStringLiteral("cid-line-check: ") + line
                                              : QStringLiteral("cid-line-check: %1: %2").arg(options_.source, line));
}

bool CheckRun::Open() {
  QString message;
  if (!device::MakeAudioInput(options_.source, &input_, &message)) {
    Source(message);
    return false;
  }
  if (input_.kind == device::AudioInput::Kind::SoundCard) {
    struct stat st {};
    if (::stat(QFile::encodeName(options_.source).constData(), &st) != 0) {
      console_.Err(QStringLiteral("cid-line-check: ses kartı %1 yok: %2 (takılı kartları \"arecord -l\" listeler)")
                       .arg(options_.source, device::ErrnoText(errno)));
      return false;
    }
  }
  if (!input_.source->Open(&message)) {
    Source(message);
    return false;
  }
  return true;
}

void CheckRun::Start(int channels) {
  const QString description = input_.source->Description();
  if (!Live() && !options_.json) console_.Out(QStringLiteral("%1: %2").arg(options_.source, description));
  if (Live()) clock_.start = QDateTime::currentDateTime();
  for (int c = 0; c < channels; ++c) {
    watches_.push_back(std::make_unique<device::audio::LineWatch>(c + 1, options_.fixed));
    if (plotTarget_ || !options_.keepPath.isEmpty()) capturers_.emplace_back(c + 1);
  }
  summary_.SetLines(channels);
  const QString title =
      Live() ? options_.source : QStringLiteral("%1 (%2)").arg(QFileInfo(options_.source).fileName(), description);
  if (plotTarget_) {
    plot_ = std::make_unique<PlotData>(channels);
    plot_->SetTitle(title);
    plot_->SetClock(clock_);
    pages_ = std::make_unique<PlotPages>(&guard_, std::move(plotTarget_), title, clock_, options_.keepMax);
  }
  if (!options_.keepPath.isEmpty()) keeper_ = std::make_unique<CycleKeeper>(&guard_, options_.keepMax, title, clock_);
  nextSummary_ = kHour;
}

void CheckRun::Report(const LineEvent& e) {
  console_.Out(options_.json ? Json(EventJson(e.line, e.event, clock_)) : EventText(e.line, e.event, clock_));
}

void CheckRun::Capture(CycleCapture capture) {
  QString message;
  if (keeper_) {
    const bool ok = keeper_->Keep(capture, &message);
    if (!message.isEmpty()) console_.Err(message);
    outputFailed_ |= !ok;
  }
  if (pages_ && !pages_->Add(std::move(capture), &message)) {
    console_.Err(message);
    outputFailed_ = true;
  }
}

void CheckRun::Release(std::vector<LineEvent> events) {
  for (const LineEvent& e : events) {
    Report(e);
    if (const auto* v = std::get_if<device::audio::CycleVerdict>(&e.event)) summary_.Count(e.line, *v);
    if (capturers_.empty()) continue;
    if (std::optional<CycleCapture> c = capturers_[size_t(e.line - 1)].Take(e.event)) Capture(std::move(*c));
  }
}

bool CheckRun::Take(const std::vector<int16_t>& frames, int channels) {
  QString message;
  if (saved_ && !saved_->Write(frames, channels, &message)) {
    console_.Err(message);
    return false;
  }
  if (channels > 0 && watches_.empty()) Start(channels);
  splitter_.Split(frames, channels);
  if (splitter_.Count() == 0) return true;
  if (summaryDue_) PrintSummary(RunEnd::Running);
  summaryDue_ = false;
  int64_t horizon = INT64_MAX;
  for (int c = 0; c < channels && c < int(watches_.size()); ++c) {
    const int16_t* line = splitter_.Line(c);
    if (plot_) plot_->Feed(c, line, splitter_.Count());
    if (!capturers_.empty()) capturers_[size_t(c)].Feed(line, splitter_.Count());
    watches_[size_t(c)]->Feed(line, splitter_.Count(), events_);
    for (const auto& e : events_) {
      if (plot_) plot_->Take(c, e);
      order_.Add(c + 1, e);
    }
    events_.clear();
    horizon = std::min(horizon, watches_[size_t(c)]->Horizon());
  }
  done_ += qint64(splitter_.Count());
  Release(order_.Release(horizon));
  if (pages_) {
    int most = 0;
    for (int c = 0; plot_ && c < plot_->Sections(); ++c) most = std::max(most, plot_->Section(c).cycles);
    if (!pages_->Check(done_, most, &message)) console_.Err(message), outputFailed_ = true;
  }
  // Said when more audio comes: at the very end the last summary says it.
  if (done_ >= nextSummary_) {
    summaryDue_ = true;
    nextSummary_ += kHour;
  }
  return true;
}

void CheckRun::PrintSummary(RunEnd end) {
  SummaryContext c;
  c.heard = done_;
  c.clock = clock_;
  c.end = end;
  if (keeper_) {
    c.kept = keeper_->Kept();
    c.keepLimit = keeper_->Limit();
  }
  if (options_.json)
    console_.Out(Json(summary_.Json(c)));
  else
    for (const QString& line : summary_.Text(c)) console_.Out(line);
}

void CheckRun::ShowProgress() {
  if (!console_.Terminal()) return;
  const QString cycles = QStringLiteral(", %1 döngü").arg(summary_.Cycles());
  if (!Live()) {
    const qint64 total = input_.source->TotalFrames();
    if (total > 0)
      console_.Progress(QStringLiteral("%1 % okundu").arg(std::min<qint64>(100, 100 * done_ / total), 3) + cycles);
    return;
  }
  console_.Progress(
      QStringLiteral("dinleniyor: %1 / %2").arg(Duration(done_), Duration(int64_t(options_.seconds * kSampleRate))) +
      cycles);
}

bool CheckRun::OutOfTime(bool data, RunEnd* end) {
  if (!Live()) return false;
  if (data) {
    sinceData_.restart();
    if (saidStall_) console_.Err(QStringLiteral("cid-line-check: %1: ses yeniden geliyor").arg(options_.source));
    saidStall_ = false;
  }
  if (wall_.elapsed() > qint64(options_.seconds * 1000) + kGraceMs) {
    *end = RunEnd::TimeUp;
    if (done_ == 0)
      console_.Err(QStringLiteral("cid-line-check: %1: %2 s içinde hiç ses gelmedi (akışı yazan yok mu?)")
                       .arg(options_.source, Decimal(options_.seconds + kGraceMs / 1000.0, 0)));
    return true;
  }
  if (sinceData_.elapsed() < kStallMs || saidStall_) return false;
  const QString silent =
      done_ == 0
          ? QStringLiteral("%1 s'dir hiç ses gelmedi (akışı yazan yok mu?)").arg(kStallMs / 1000)
          : QStringLiteral("%1 s'dir ses gelmiyor (%2 dinlendikten sonra)").arg(kStallMs / 1000).arg(Duration(done_));
  saidStall_ = true;
  // Asked to listen this long, the run waits on; otherwise the silence ends it.
  if (options_.secondsGiven) {
    console_.Err(
        QStringLiteral("cid-line-check: %1: %2; --seconds dolana dek bekleniyor").arg(options_.source, silent));
    return false;
  }
  console_.Err(QStringLiteral("cid-line-check: %1: %2; dinleme bitti").arg(options_.source, silent));
  *end = RunEnd::Stalled;
  return true;
}

int CheckRun::Run() {
  if (!ClaimOutputs() || !Open()) return 1;
  CatchStop();
  wall_.start();
  sinceData_.start();
  const qint64 limit = Live() ? qint64(options_.seconds * kSampleRate) : -1;
  std::vector<int16_t> frames;
  for (;;) {
    frames.clear();
    QString message;
    const device::AudioSource::Status s = input_.source->Read(-1, 250, frames, &message);
    const QString note = input_.source->TakeNote();
    if (!note.isEmpty()) Source(note);
    if (!Take(frames, input_.source->Channels())) return Finish(1, RunEnd::Failed);
    ShowProgress();
    RunEnd end = RunEnd::Running;
    if (s == device::AudioSource::Status::Failed) {
      Source(message);
      return Finish(1, RunEnd::Failed);
    }
    if (s == device::AudioSource::Status::Ended) {
      // A recording read to its end says nothing; one cut short, or a stream's writer gone, is said.
      if (!input_.source->EndedWhole()) Source(message);
      return Finish(0, RunEnd::SourceEnded);
    }
    if (limit >= 0 && done_ >= limit) return Finish(0, RunEnd::TimeUp);
    if (stopAsked) return Finish(0, RunEnd::Stopped);
    if (OutOfTime(!frames.empty(), &end)) return Finish(end == RunEnd::Stalled || done_ == 0 ? 1 : 0, end);
  }
}

int CheckRun::Finish(int status, RunEnd end) {
  QString message;
  console_.ClearProgress();
  if (saved_ && !saved_->Close(&message)) {
    console_.Err(message);
    status = 1;
  }
  for (size_t c = 0; c < watches_.size(); ++c) {
    watches_[c]->Finish(events_);
    for (const auto& e : events_) {
      if (plot_) plot_->Take(int(c), e);
      order_.Add(int(c) + 1, e);
    }
    events_.clear();
  }
  Release(order_.Flush());
  if (!watches_.empty()) PrintSummary(end);
  if (pages_ && !pages_->Finish(*plot_, &message)) {
    console_.Err(message);
    status = 1;
  }
  return outputFailed_ ? 1 : status;
}

}  // namespace linecheck
