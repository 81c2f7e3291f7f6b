#include "device/directory/audio_target.h"

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>

namespace device {

AudioTarget ClassifyAudioTarget(const QString& path) {
  static const QRegularExpression kCaptureNode(QStringLiteral("^/dev/snd/pcmC(\\d+)D(\\d+)c$"));
  AudioTarget t;
  if (const QRegularExpressionMatch m = kCaptureNode.match(path); m.hasMatch()) {
    t.kind = AudioTargetKind::CaptureNode;
    t.card = m.captured(1).toInt();
    t.device = m.captured(2).toInt();
    return t;
  }
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0) return t;
  if (S_ISFIFO(st.st_mode)) t.kind = AudioTargetKind::Fifo;
  if (S_ISREG(st.st_mode)) t.kind = AudioTargetKind::File;
  return t;
}

bool IsAudioTarget(const QString& path, QString* why) {
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0) return false;  // gone: nothing to say
  switch (ClassifyAudioTarget(path).kind) {
    case AudioTargetKind::CaptureNode:
      if (S_ISCHR(st.st_mode)) return true;
      break;
    case AudioTargetKind::Fifo:
    case AudioTargetKind::File: return true;
    case AudioTargetKind::None: break;
  }
  *why = NotAnAudioTargetText(path);
  return false;
}

QString NotAnAudioTargetText(const QString& path) {
  return QStringLiteral("%1 bir ses kartı kayıt aygıtı (/dev/snd/pcmC…D…c), FIFO ya da WAV dosyası değil").arg(path);
}

bool IsAudioStandardSuffix(const QString& suffix) {
  static const QString kSuffixes[] = {QStringLiteral("clip"), QStringLiteral("dtmf"), QStringLiteral("bell"),
                                      QStringLiteral("jclip")};
  for (const QString& s : kSuffixes)
    if (suffix.compare(s, Qt::CaseInsensitive) == 0) return true;
  return false;
}

QString AudioEntrySuffix(const QString& entryName) {
  const qsizetype dot = entryName.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : entryName.mid(dot + 1);
}

}  // namespace device
