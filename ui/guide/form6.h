#pragma once
// Single-line device wiring picture. Any click in the window closes it: on
// the picture, on its caption or on an empty spot.
#include "ui/guide/picturewindow.h"
#include "ui_form6.h"

namespace guide {

class TForm6 : public TPictureWindow, public Ui::TForm6 {
  Q_OBJECT
 public:
  explicit TForm6(QWidget* parent = nullptr);

  void Image3Click(QObject* Sender);
  void Label2Click(QObject* Sender);
  void FormClick(QObject* Sender);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  bool pressed_ = false;
};

// The one instance, created at start-up and kept until exit.
extern TForm6* Form6;

}  // namespace guide
