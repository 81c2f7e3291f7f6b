#pragma once
// Two-line device wiring picture; only the picture closes it.
#include "ui/guide/picturewindow.h"
#include "ui_form2.h"

namespace guide {

class TForm2 : public TPictureWindow, public Ui::TForm2 {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);

  void Image1Click(QObject* Sender);
};

// The one instance, created at start-up and kept until exit.
extern TForm2* Form2;

}  // namespace guide
