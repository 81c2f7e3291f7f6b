// Connection guide page of the main window: links and thumbnails open the
// picture windows modally; two links show help messages first.
#include <QBitmap>

#include "ui/guide/adslbag.h"
#include "ui/guide/form2.h"
#include "ui/guide/form3.h"
#include "ui/guide/form6.h"
#include "ui/guide/messages.h"
#include "ui/guide/pictures.h"
#include "ui/guide/splnedir.h"
#include "ui/main_window/form1.h"

namespace mainwindow {

namespace {
// Thumbnails are drawn transparent: the colour of the bottom left pixel, the
// drawing's background, lets the page show through.
QPixmap TransparentThumbnail(const char* resourcePath) {
  QPixmap pixmap = guide::LoadPicture(QString::fromLatin1(resourcePath));
  if (pixmap.isNull()) return pixmap;
  const QImage image = pixmap.toImage();
  pixmap.setMask(QBitmap::fromImage(image.createMaskFromColor(image.pixel(0, image.height() - 1))));
  return pixmap;
}
}  // namespace

void TForm1::SetupGuidePage() {
  // The window's icon belongs to the same artwork set as the guide's pictures.
  setWindowIcon(guide::MainWindowIcon());
  const QPixmap wiring = TransparentThumbnail(guide::kWiringThumbnail);
  for (QLabel* image : {Image2, Image1, Image3}) image->setPixmap(wiring);
  Image4->setPixmap(TransparentThumbnail(guide::kAdslThumbnail));
}

void TForm1::Label21Click(QObject*) { guide::Form6->exec(); }
void TForm1::Image2Click(QObject* Sender) { Label21Click(Sender); }

void TForm1::Label17Click(QObject*) { guide::Form2->exec(); }
void TForm1::Image1Click(QObject* Sender) { Label17Click(Sender); }

void TForm1::Label11Click(QObject*) { guide::Form3->exec(); }
void TForm1::Image3Click(QObject* Sender) { Label11Click(Sender); }

// Each step waits until the previous window is closed, however it was closed.
void TForm1::Label12Click(QObject*) {
  guide::ShowMessageBox(this, guide::TMsgDlgType::mtInformation, guide::SplitterMessage());
  guide::splnedir->exec();
  guide::ADSlbag->exec();
}
void TForm1::Image4Click(QObject* Sender) { Label12Click(Sender); }

void TForm1::Label14Click(QObject*) {
  guide::ShowMessageBox(this, guide::TMsgDlgType::mtInformation, guide::CallerIdMessage());
  guide::ShowMessageBox(this, guide::TMsgDlgType::mtWarning, guide::SignalMessage());
}

void TForm1::BitBtn2Click(QObject*) { PageControl1->setCurrentWidget(TabSheet1); }

}  // namespace mainwindow
