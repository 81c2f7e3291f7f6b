#include "tools/line-check/check_options.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>

namespace linecheck {

namespace {

int Refuse(const QString& text) {
  std::fputs(("cid-line-check: " + text + QStringLiteral(" (--help)\n")).toUtf8().constData(), stderr);
  return 2;
}

// The parser's own complaint, in Turkish: an option it does not know, or
// one whose value is missing.
QString ParserError(const QCommandLineParser& cli) {
  if (!cli.unknownOptionNames().isEmpty()) {
    const QString name = cli.unknownOptionNames().first();
    return QStringLiteral("bilinmeyen seçenek %1%2")
        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
  }
  const QRegularExpressionMatch quoted = QRegularExpression(QStringLiteral("'([^']+)'")).match(cli.errorText());
  return quoted.hasMatch() ? QStringLiteral("%1 seçeneğinin değeri eksik").arg(quoted.captured(1))
                           : QStringLiteral("komut satırı okunamadı");
}

}  // namespace

int ParseCheckOptions(QCoreApplication& app, CheckOptions* options) {
  QCommandLineParser cli;
  cli.setApplicationDescription(QStringLiteral(
      "Hat denetimi: bir kayıttaki (ya da bir ses kartından veya ses akışından dinlenen) her kanalın zillerini, "
      "polarite değişimlerini, uyarı tonlarını ve arayan bilgisi patlamalarını ölçüleriyle bildirir; her zil "
      "döngüsü için arayan bilgisinin neden gelmediğini söyler. Çıkış: 0 dinlendi ve değerlendirildi, 1 kaynak ya "
      "da çıktı dosyası kullanılamadı, 2 komut satırı yanlış."));
  const QCommandLineOption help = cli.addHelpOption();
  cli.addPositionalArgument(QStringLiteral("kaynak"),
                            QStringLiteral("Ses dosyası, canlı WAV akışı (FIFO) ya da /dev/snd/pcmC<k>D<a>c"));
  cli.addOptions({
      {QStringLiteral("json"), QStringLiteral("Her olay için bir satırda bir JSON nesnesi.")},
      {QStringLiteral("seconds"),
       QStringLiteral("Ses kartı ya da akış bu kadar saniye dinlenir (varsayılan 60); ses gelmezse de en çok bu kadar "
                      "beklenir. Bir gece: 43200."),
       QStringLiteral("saniye"), QStringLiteral("60")},
      {QStringLiteral("standard"),
       QStringLiteral("Cihazın ayarlı olduğu standart: clip, dtmf, bell, jclip (varsayılan: hepsi)."),
       QStringLiteral("ad")},
      {QStringLiteral("save"),
       QStringLiteral("Duyulan sesi bu WAV dosyasına kaydeder (8 kHz, 16 bit PCM, hat başına bir kanal); "
                      "cid-line-check ve program onu aynı olaylarla yeniden okur."),
       QStringLiteral("dosya.wav")},
      {QStringLiteral("plot"),
       QStringLiteral("Her kanalın seviyesini, olaylarını ve patlamaların tayfını bu PNG dosyasına çizer; uzun bir "
                      "kayıtta önce bir genel bakış, sorunlu döngüler yanındaki sayfalarda."),
       QStringLiteral("dosya")},
      {QStringLiteral("keep"),
       QStringLiteral("Sorunlu ya da standart dışı her zil döngüsünün sesini ve çizimini bu dizine saklar."),
       QStringLiteral("dizin")},
      {QStringLiteral("keep-max"),
       QStringLiteral("En çok bu kadar döngü saklanır ve ayrıntılı çizilir (varsayılan 100)."), QStringLiteral("sayı"),
       QStringLiteral("100")},
  });
  if (!cli.parse(app.arguments())) return Refuse(ParserError(cli));
  if (cli.isSet(help) || cli.isSet(QStringLiteral("help-all"))) cli.showHelp(0);
  if (cli.positionalArguments().size() != 1) return Refuse(QStringLiteral("tek bir kaynak verin"));
  options->source = cli.positionalArguments().first();
  options->json = cli.isSet(QStringLiteral("json"));
  const QString standard = cli.value(QStringLiteral("standard"));
  if (cli.isSet(QStringLiteral("standard")) && !device::audio::StandardFromSuffix(standard, &options->fixed))
    return Refuse(QStringLiteral("bilinmeyen standart %1 (clip, dtmf, bell, jclip)").arg(standard));
  bool ok = false;
  options->seconds = cli.value(QStringLiteral("seconds")).toDouble(&ok);
  if (!ok || !(options->seconds > 0) || options->seconds > 1e7)
    return Refuse(QStringLiteral("--seconds pozitif bir sayı olmalı: %1").arg(cli.value(QStringLiteral("seconds"))));
  options->secondsGiven = cli.isSet(QStringLiteral("seconds"));
  options->keepMax = cli.value(QStringLiteral("keep-max")).toInt(&ok);
  if (!ok || options->keepMax < 1)
    return Refuse(
        QStringLiteral("--keep-max pozitif bir tam sayı olmalı: %1").arg(cli.value(QStringLiteral("keep-max"))));
  for (const auto& [name, path] :
       {std::pair{"save", &options->savePath}, {"plot", &options->plotPath}, {"keep", &options->keepPath}}) {
    const QString option = QString::fromLatin1(name);
    *path = cli.value(option);
    if (cli.isSet(option) && path->isEmpty()) return Refuse(QStringLiteral("--%1 için bir yol verin").arg(option));
  }
  return -1;
}

}  // namespace linecheck
