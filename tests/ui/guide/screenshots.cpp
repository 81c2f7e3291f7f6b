// Writes pictures of the five picture windows, as they are laid out, into
// the directory given as the only argument (docs/screenshots/ by default).
// Run by hand after changing a window or its artwork. Without a window
// manager there is no title bar to grab, so a plain strip with the window's
// icon and caption is drawn above the window's content.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QWidget>

#include "platform/fonts.h"
#include "ui/guide/adslbag.h"
#include "ui/guide/form2.h"
#include "ui/guide/form3.h"
#include "ui/guide/form6.h"
#include "ui/guide/splnedir.h"

static QImage WithCaption(QWidget* w) {
  const QImage content = w->grab().toImage();
  constexpr int kStrip = 24;
  QImage out(content.width(), content.height() + kStrip, QImage::Format_RGB32);
  out.fill(QColor(0x2b, 0x4a, 0x73));
  QPainter p(&out);
  p.drawPixmap(4, 4, w->windowIcon().pixmap(16, 16));
  p.setPen(Qt::white);
  p.setFont(platform::DesignFont(QStringLiteral("MS Sans Serif"), 12, true));
  p.drawText(QRect(26, 0, out.width() - 30, kStrip), Qt::AlignVCenter | Qt::AlignLeft, w->windowTitle());
  p.drawImage(0, kStrip, content);
  return out;
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  platform::InstallFontSubstitutes();
  const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots"));
  if (!dir.exists() && !QDir().mkpath(dir.path())) return 1;

  QWidget owner;
  const std::pair<QWidget*, const char*> windows[] = {
      {new guide::TForm6(&owner), "form6_single_line.png"},    {new guide::TForm2(&owner), "form2_two_line.png"},
      {new guide::TForm3(&owner), "form3_four_line.png"},      {new guide::TADSlbag(&owner), "adslbag_adsl.png"},
      {new guide::Tsplnedir(&owner), "splnedir_splitter.png"},
  };
  for (const auto& [w, file] : windows) {
    w->show();
    QApplication::processEvents();
    if (!WithCaption(w).save(dir.filePath(QString::fromLatin1(file)))) return 1;
    w->hide();
  }
  return 0;
}
