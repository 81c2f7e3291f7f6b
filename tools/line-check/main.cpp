// cid-line-check: reads a line recording (or listens to a sound card or a
// live stream for a while) and reports on every channel each ring, line
// reversal, alert tone and caller-ID burst with its figures and decoded
// fields, and one verdict per ring cycle saying why caller ID did or did not
// arrive. Decoding and judging are the program's own (LineWatch).
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonDocument>
#include <cstdio>
#include <memory>

#include "device/audio/alsa_capture_reader.h"
#include "device/audio/dsp/line_watch.h"
#include "device/audio/recording_reader.h"
#include "device/audio/wav_stream_reader.h"
#include "device/directory/audio_target.h"
#include "tools/line-check/event_report.h"
#include "tools/line-check/heard_audio_file.h"
#include "tools/line-check/plot_application.h"
#include "tools/line-check/plot_painter.h"

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

int main(int argc, char** argv) {
  const bool plotting = linecheck::PlotAsked(argc, argv);
  const std::unique_ptr<QCoreApplication> application = linecheck::MakeApplication(argc, argv);
  QCoreApplication& app = *application;
  QCommandLineParser cli;
  cli.setApplicationDescription(QStringLiteral(
      "Hat denetimi: bir kayıttaki (ya da bir ses kartından veya ses akışından dinlenen) her kanalın zillerini, "
      "polarite değişimlerini, uyarı tonlarını ve arayan bilgisi patlamalarını ölçüleriyle bildirir; her zil "
      "döngüsü için arayan bilgisinin neden gelmediğini söyler."));
  cli.addHelpOption();
  cli.addPositionalArgument(QStringLiteral("kaynak"),
                            QStringLiteral("Ses dosyası, canlı WAV akışı (FIFO) ya da /dev/snd/pcmC<k>D<a>c"));
  cli.addOptions({
      {QStringLiteral("json"), QStringLiteral("Her olay için bir satırda bir JSON nesnesi.")},
      {QStringLiteral("seconds"), QStringLiteral("Ses kartı ya da akış bu kadar saniye dinlenir (varsayılan 60)."),
       QStringLiteral("saniye"), QStringLiteral("60")},
      {QStringLiteral("standard"),
       QStringLiteral("Cihazın ayarlı olduğu standart: clip, dtmf, bell, jclip (varsayılan: hepsi)."),
       QStringLiteral("ad")},
      {QStringLiteral("save"),
       QStringLiteral("Duyulan sesi bu WAV dosyasına kaydeder (8 kHz, 16 bit PCM, hat başına bir kanal); "
                      "cid-line-check ve program onu aynı olaylarla yeniden okur."),
       QStringLiteral("dosya.wav")},
      {QStringLiteral("plot"),
       QStringLiteral("Her kanalın seviyesini, olaylarını ve patlamaların tayfını bu PNG dosyasına çizer."),
       QStringLiteral("dosya")},
  });
  cli.process(app);
  if (cli.positionalArguments().size() != 1) {
    Err(QStringLiteral("cid-line-check: tek bir kaynak verin (--help)"));
    return 2;
  }
  const QString path = cli.positionalArguments().first();
  const bool json = cli.isSet(QStringLiteral("json"));
  device::audio::Standard fixed = device::audio::Standard::Auto;
  if (cli.isSet(QStringLiteral("standard")) &&
      !device::audio::StandardFromSuffix(cli.value(QStringLiteral("standard")), &fixed)) {
    Err(QStringLiteral("cid-line-check: bilinmeyen standart %1 (clip, dtmf, bell, jclip)")
            .arg(cli.value(QStringLiteral("standard"))));
    return 2;
  }
  QString message;
  bool ok = false;
  const double seconds = cli.value(QStringLiteral("seconds")).toDouble(&ok);
  if (!ok || seconds <= 0) {
    Err(QStringLiteral("cid-line-check: --seconds pozitif bir sayı olmalı"));
    return 2;
  }

  const QString plotPath = cli.value(QStringLiteral("plot"));
  std::unique_ptr<linecheck::PlotData> plot;
  if (plotting && !linecheck::PlotWritable(plotPath, &message)) {
    Err(message);
    return 1;
  }

  std::unique_ptr<device::AudioSource> source;
  device::RecordingReader* recording = nullptr;
  const device::AudioTarget target = device::ClassifyAudioTarget(path);
  switch (target.kind) {
    case device::AudioTargetKind::CaptureNode: source = std::make_unique<device::AlsaCaptureReader>(target); break;
    case device::AudioTargetKind::Fifo: source = std::make_unique<device::WavStreamReader>(path); break;
    case device::AudioTargetKind::File:
    case device::AudioTargetKind::None: {
      auto r = std::make_unique<device::RecordingReader>(path);
      recording = r.get();
      source = std::move(r);
      break;
    }
  }
  std::unique_ptr<linecheck::HeardAudioFile> saved;
  if (cli.isSet(QStringLiteral("save"))) {
    saved = std::make_unique<linecheck::HeardAudioFile>(cli.value(QStringLiteral("save")));
    if (!saved->Create(path, &message)) {
      Err(message);
      return 1;
    }
  }
  if (!source->Open(&message)) {
    Err(message);
    return 1;
  }
  const qint64 limit = recording ? -1 : qint64(seconds * device::audio::kSampleRate);
  const bool progress = isatty(STDERR_FILENO);
  std::vector<std::unique_ptr<device::audio::LineWatch>> watches;
  std::vector<int16_t> frames, channel;
  std::vector<device::audio::WatchEvent> events;
  qint64 done = 0;
  int lastPercent = -1;
  const auto report = [&](int line) {
    for (const auto& e : events) {
      if (plot) plot->Take(line - 1, e);
      Out(json ? QString::fromUtf8(QJsonDocument(linecheck::EventJson(line, e)).toJson(QJsonDocument::Compact))
               : linecheck::EventText(line, e));
    }
    events.clear();
  };
  int status = 0;
  for (;;) {
    frames.clear();
    const device::AudioSource::Status s = source->Read(-1, 250, frames, &message);
    const QString note = source->TakeNote();
    if (!note.isEmpty()) Err(note);
    const int channels = source->Channels();
    if (saved && !saved->Write(frames, channels, &message)) {
      Err(message);
      saved.reset();
      status = 1;
      break;
    }
    if (channels > 0 && watches.empty()) {
      if (recording && !json) Out(QStringLiteral("%1: %2").arg(path, recording->Description()));
      for (int c = 0; c < channels; ++c) watches.push_back(std::make_unique<device::audio::LineWatch>(c + 1, fixed));
      if (plotting) {
        plot = std::make_unique<linecheck::PlotData>(channels);
        plot->SetTitle(recording ? QStringLiteral("%1 (%2)").arg(QFileInfo(path).fileName(), recording->Description())
                                 : path);
      }
    }
    const size_t count = channels > 0 ? frames.size() / size_t(channels) : 0;
    for (int c = 0; c < channels && count > 0; ++c) {
      channel.resize(count);
      for (size_t i = 0; i < count; ++i) channel[i] = frames[i * size_t(channels) + size_t(c)];
      if (plot) plot->Feed(c, channel.data(), count);
      watches[size_t(c)]->Feed(channel.data(), count, events);
      report(c + 1);
    }
    done += qint64(count);
    if (progress && recording && recording->Frames8k() > 0) {
      const int percent = int(100 * done / std::max<qint64>(1, recording->Frames8k()));
      if (percent != lastPercent) std::fprintf(stderr, "\r%3d %%", std::min(percent, 100));
      lastPercent = percent;
    }
    if (s == device::AudioSource::Status::Failed) {
      Err(message);
      status = 1;
      break;
    }
    if (s == device::AudioSource::Status::Ended || (limit >= 0 && done >= limit)) break;
  }
  if (progress && recording) std::fputc('\n', stderr);
  if (saved && !saved->Close(&message)) {
    Err(message);
    status = 1;
  }
  for (size_t c = 0; c < watches.size(); ++c) {
    watches[c]->Finish(events);
    report(int(c) + 1);
  }
  if (plot && !linecheck::SavePlot(*plot, plotPath, &message)) {
    Err(message);
    return 1;
  }
  return status;
}
