#include "ui/guide/picturewindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <algorithm>

#include "platform/fonts.h"
#include "ui/guide/pictures.h"

namespace guide {

QPoint FitInto(const QRect& area, QPoint wanted, QSize frame) {
  const int x = std::max(area.x(), std::min(wanted.x(), area.x() + area.width() - frame.width()));
  const int y = std::max(area.y(), std::min(wanted.y(), area.y() + area.height() - frame.height()));
  return {x, y};
}

TPictureWindow::TPictureWindow(QWidget* parent) : QDialog(parent) {}

void TPictureWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void TPictureWindow::FinishLayout(const QIcon& icon, Placement placement, QPoint storedPosition) {
  platform::ApplyDesignPixelSizes(this);
  // Captions under the pictures size themselves to their text, as the main
  // window's labels do; the free stand-in font is a little wider.
  for (QLabel* label : findChildren<QLabel*>())
    if (label->pixmap().isNull() && !label->text().isEmpty()) label->adjustSize();
  setFixedSize(size());
  setWindowIcon(icon);
  placement_ = placement;
  storedPosition_ = storedPosition;
}

void TPictureWindow::ShowPicture(QLabel* label, const char* resourcePath) {
  pendingPictures_.emplace_back(label, resourcePath);
}

void TPictureWindow::LoadPictures() {
  for (const auto& [label, path] : pendingPictures_) label->setPixmap(LoadPicture(QString::fromLatin1(path)));
  pendingPictures_.clear();
}

// The stored position was chosen on a large screen; on a smaller one it would
// put part of the window, the picture a technician wires from, off screen.
void TPictureWindow::Place() {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : this->screen();
  if (!screen) {
    if (placement_ == Placement::StoredPosition) move(storedPosition_);
    return;
  }
  const QRect area = screen->availableGeometry();
  const QSize frame = frameGeometry().size().expandedTo(size());
  const QPoint wanted =
      placement_ == Placement::StoredPosition
          ? storedPosition_
          : QPoint(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
  move(FitInto(area, wanted, frame));
}

void TPictureWindow::setVisible(bool visible) {
  const bool showing = visible && !isVisible();
  // Placed before every showing, which also keeps Qt from centring the
  // window over the main window instead; and once more when shown, since the
  // frame's size is known only then.
  if (showing) {
    LoadPictures();
    Place();
  }
  QDialog::setVisible(visible);
  if (showing) Place();
}

}  // namespace guide
