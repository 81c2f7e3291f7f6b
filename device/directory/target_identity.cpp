#include "device/directory/target_identity.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <QFile>

#include "device/directory/ethunit_address.h"

namespace device {

QString TargetIdentity(DeviceFamily family, const QString& target) {
  if (family == DeviceFamily::PublicFormatUdp) {
    QString host;
    quint16 port = 0;
    UnitAddressBytes bytes{};
    if (!ParseUnitAddress(target, &host, &port, &bytes)) return {};
    return QStringLiteral("udp %1 %2")
        .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size())).toHex()))
        .arg(port);
  }
  struct stat st {};
  if (::stat(QFile::encodeName(target).constData(), &st) != 0) return {};
  if (S_ISCHR(st.st_mode)) return QStringLiteral("char %1:%2").arg(major(st.st_rdev)).arg(minor(st.st_rdev));
  return QStringLiteral("file %1:%2 %3").arg(major(st.st_dev)).arg(minor(st.st_dev)).arg(quint64(st.st_ino));
}

QString SameDeviceText(DeviceFamily family, const QString& target, const QString& firstName) {
  switch (family) {
    case DeviceFamily::PublicFormatUdp:
      return QStringLiteral("%1 kaydıyla aynı birim (adres ve kapı aynı: %2)").arg(firstName, target);
    case DeviceFamily::Audio: return QStringLiteral("%1 kaydıyla aynı ses kaynağı (%2)").arg(firstName, target);
    default: return QStringLiteral("%1 kaydıyla aynı seri port (%2)").arg(firstName, target);
  }
}

}  // namespace device
