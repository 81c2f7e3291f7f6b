#include "tools/line-check/check_options.h"

#include <QCommandLineParser>
#include <cstdio>

namespace linecheck {

namespace {

int Refuse(const QString& text) {
  std::fputs(text.toUtf8().constData(), stderr);
  std::fputc('\n', stderr);
  return 2;
}

}  // namespace

int ParseCheckOptions(QCoreApplication& app, CheckOptions* options) {
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
  if (cli.positionalArguments().size() != 1)
    return Refuse(QStringLiteral("cid-line-check: tek bir kaynak verin (--help)"));
  options->source = cli.positionalArguments().first();
  options->json = cli.isSet(QStringLiteral("json"));
  if (cli.isSet(QStringLiteral("standard")) &&
      !device::audio::StandardFromSuffix(cli.value(QStringLiteral("standard")), &options->fixed))
    return Refuse(QStringLiteral("cid-line-check: bilinmeyen standart %1 (clip, dtmf, bell, jclip)")
                      .arg(cli.value(QStringLiteral("standard"))));
  bool ok = false;
  options->seconds = cli.value(QStringLiteral("seconds")).toDouble(&ok);
  if (!ok || options->seconds <= 0) return Refuse(QStringLiteral("cid-line-check: --seconds pozitif bir sayı olmalı"));
  options->save = cli.isSet(QStringLiteral("save"));
  options->savePath = cli.value(QStringLiteral("save"));
  options->plot = cli.isSet(QStringLiteral("plot"));
  options->plotPath = cli.value(QStringLiteral("plot"));
  return -1;
}

}  // namespace linecheck
