#include "device/directory/audio_target.h"

#include <sys/stat.h>

#include <QFile>
#include <QRegularExpression>

namespace device {

bool IsAudioTarget(const QString& path, QString* why) {
  struct stat st {};
  if (stat(QFile::encodeName(path).constData(), &st) != 0) return false;  // gone: nothing to say
  static const QRegularExpression kCaptureNode(QStringLiteral("^/dev/snd/pcmC\\d+D\\d+c$"));
  if (S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode)) return true;
  if (S_ISCHR(st.st_mode) && kCaptureNode.match(path).hasMatch()) return true;
  *why = QStringLiteral("%1 bir ses kartı kayıt aygıtı (/dev/snd/pcmC…D…c), FIFO ya da WAV dosyası değil").arg(path);
  return false;
}

}  // namespace device
