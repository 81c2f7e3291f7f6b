#include "device/directory/audio_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRegularExpression>
#include <cerrno>

#include "device/audio/standard.h"
#include "device/core/system_words.h"

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
    case AudioTargetKind::File: return IsPrivateStream(path, st, why);
    case AudioTargetKind::None: break;
  }
  *why = NotAnAudioTargetText(path);
  return false;
}

bool IsPrivateStream(const QString& path, const struct stat& st, QString* why) {
  const uid_t me = getuid();
  if (st.st_uid != me) {
    *why =
        QStringLiteral("%1 başka bir kullanıcıya ait (sahibi %2, olması gereken %3)").arg(path).arg(st.st_uid).arg(me);
    return false;
  }
  QString dir = path;
  while (dir != u"/") {
    const qsizetype slash = dir.lastIndexOf(u'/');
    if (slash < 0) break;
    dir = slash == 0 ? QStringLiteral("/") : dir.left(slash);
    struct stat ds {};
    if (stat(QFile::encodeName(dir).constData(), &ds) != 0) {
      *why = QStringLiteral("%1 denetlenemedi: %2: %3").arg(path, dir, ErrnoText(errno));
      return false;
    }
    if (ds.st_uid != me && ds.st_uid != 0) {
      *why = QStringLiteral("%1 başka bir kullanıcının dizininde: %2 (sahibi %3)").arg(path, dir).arg(ds.st_uid);
      return false;
    }
    if ((ds.st_mode & (S_IWGRP | S_IWOTH)) && !(ds.st_mode & S_ISVTX)) {
      *why = QStringLiteral("%1 başkalarının da yazabildiği bir dizinde: %2 (izinler %3)")
                 .arg(path, dir)
                 .arg(ds.st_mode & 07777, 4, 8, QLatin1Char('0'));
      return false;
    }
  }
  return true;
}

QString NotAnAudioTargetText(const QString& path) {
  return QStringLiteral("%1 bir ses kartı kayıt aygıtı (/dev/snd/pcmC…D…c), FIFO ya da WAV dosyası değil").arg(path);
}

bool IsAudioStandardSuffix(const QString& suffix) {
  // An empty suffix reads as automatic detection, but is no suffix.
  return !suffix.isEmpty() && audio::StandardFromSuffix(suffix, nullptr);
}

QString AudioEntrySuffix(const QString& entryName) {
  const qsizetype dot = entryName.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? QString() : entryName.mid(dot + 1);
}

}  // namespace device
