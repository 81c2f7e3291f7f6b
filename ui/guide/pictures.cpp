#include "ui/guide/pictures.h"

#include <QFile>
#include <QImage>
#include <QtDebug>

#include "resources/resources.h"
#include "ui/guide/jpegimage.h"

namespace guide {

QPixmap LoadPicture(const QString& resourcePath) {
  resources::InitResources();
  QFile file(resourcePath);
  if (!file.open(QIODevice::ReadOnly)) {
    qWarning("Picture %s missing: %s", qPrintable(resourcePath), qPrintable(file.errorString()));
    return QPixmap();
  }
  const QByteArray data = file.readAll();
  QImage image;
  QString error;
  if (resourcePath.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
    image = DecodeJpeg(data, &error);
  else if (!image.loadFromData(data))
    error = QStringLiteral("unreadable bitmap");
  if (image.isNull()) {
    qWarning("Picture %s not loaded: %s", qPrintable(resourcePath), qPrintable(error));
    return QPixmap();
  }
  return QPixmap::fromImage(image);
}

static QIcon IconOf(std::initializer_list<const char*> files) {
  resources::InitResources();
  QIcon icon;
  for (const char* f : files) icon.addFile(QString::fromLatin1(f));
  return icon;
}

QIcon MainWindowIcon() { return IconOf({":/icons/main_16.png", ":/icons/main_32.png", ":/icons/main_48.png"}); }
QIcon LinesWindowIcon() { return IconOf({":/icons/lines_16.png"}); }
QIcon SingleLineWindowIcon() { return IconOf({":/icons/single_16.png"}); }
QIcon AdslWindowIcon() { return IconOf({":/icons/adsl_16.png", ":/icons/adsl_32.png", ":/icons/adsl_48.png"}); }

}  // namespace guide
