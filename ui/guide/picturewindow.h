#pragma once
// What the five picture windows share: a fixed size given by their layout,
// the window font, an icon, a placement on showing, and a picture loaded
// into a label. They are created once, shown modally and only hidden when
// closed, never destroyed before the program ends.
#include <QDialog>
#include <QIcon>
#include <QPoint>
#include <utility>
#include <vector>

class QLabel;

namespace guide {

// Where a window whose frame has size frame goes when asked for wanted: the
// same place if it fits into area, else moved just far enough to lie inside
// it, and never beyond its top left corner (so the title bar stays reachable).
QPoint FitInto(const QRect& area, QPoint wanted, QSize frame);

class TPictureWindow : public QDialog {
  Q_OBJECT
 public:
  enum class Placement { ScreenCenter, StoredPosition };

  void setVisible(bool visible) override;

 protected:
  explicit TPictureWindow(QWidget* parent);
  // Escape does not close a picture window: only a click on the picture
  // (anywhere in some windows) or the title bar's close button does.
  void keyPressEvent(QKeyEvent* event) override;

  // Called after the layout is set up.
  void FinishLayout(const QIcon& icon, Placement placement, QPoint storedPosition = QPoint());
  // Shows a shipped picture in label, which keeps its layout geometry. The
  // picture is decoded when the window is first shown: all five windows are
  // created at start-up, and most runs open none of them.
  void ShowPicture(QLabel* label, const char* resourcePath);

 private:
  void Place();
  void LoadPictures();

  Placement placement_ = Placement::ScreenCenter;
  QPoint storedPosition_;
  std::vector<std::pair<QLabel*, const char*>> pendingPictures_;
};

}  // namespace guide
