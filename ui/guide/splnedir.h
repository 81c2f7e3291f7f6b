#pragma once
// What an ADSL splitter is; only the picture closes it.
#include "ui/guide/picturewindow.h"
#include "ui_splnedir.h"

namespace guide {

class Tsplnedir : public TPictureWindow, public Ui::Tsplnedir {
  Q_OBJECT
 public:
  explicit Tsplnedir(QWidget* parent = nullptr);

  void Image1Click(QObject* Sender);
};

// The one instance, created at start-up and kept until exit.
extern Tsplnedir* splnedir;

}  // namespace guide
