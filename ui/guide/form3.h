#pragma once
// Four-line device wiring picture; only the picture closes it.
#include "ui/guide/picturewindow.h"
#include "ui_form3.h"

namespace guide {

class TForm3 : public TPictureWindow, public Ui::TForm3 {
  Q_OBJECT
 public:
  explicit TForm3(QWidget* parent = nullptr);

  void Image3Click(QObject* Sender);
};

// The one instance, created at start-up and kept until exit.
extern TForm3* Form3;

}  // namespace guide
