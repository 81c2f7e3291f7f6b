#include "ui/guide/form6.h"

#include <QMouseEvent>

#include "platform/application.h"
#include "ui/guide/pictures.h"

namespace guide {

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* parent) : TPictureWindow(parent) {
  setupUi(this);
  ShowPicture(Image3, kSingleLinePicture);
  FinishLayout(SingleLineWindowIcon(), Placement::ScreenCenter);
  connect(Image3, &platform::TClickLabel::clicked, this,
          [this] { platform::Guarded(Image3, [this] { Image3Click(Image3); }); });
  connect(Label2, &platform::TClickLabel::clicked, this,
          [this] { platform::Guarded(Label2, [this] { Label2Click(Label2); }); });
}

void TForm6::Image3Click(QObject*) { close(); }
void TForm6::Label2Click(QObject*) { close(); }
void TForm6::FormClick(QObject*) { close(); }

// A click on the window itself: pressed and released over an empty spot.
// Presses on the picture and the caption reach here too (labels pass them
// on) but are theirs to handle.
void TForm6::mousePressEvent(QMouseEvent* e) {
  pressed_ = e->button() == Qt::LeftButton && childAt(e->position().toPoint()) == nullptr;
  TPictureWindow::mousePressEvent(e);
}

void TForm6::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(pos) && childAt(pos) == nullptr;
  pressed_ = false;
  TPictureWindow::mouseReleaseEvent(e);
  if (click) platform::Guarded(this, [this] { FormClick(this); });
}

}  // namespace guide
