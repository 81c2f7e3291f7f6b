#pragma once
// How an internet (ADSL) line is wired to the device; only the picture closes it.
#include "ui/guide/picturewindow.h"
#include "ui_adslbag.h"

namespace guide {

class TADSlbag : public TPictureWindow, public Ui::TADSlbag {
  Q_OBJECT
 public:
  explicit TADSlbag(QWidget* parent = nullptr);

  void Image1Click(QObject* Sender);
};

// The one instance, created at start-up and kept until exit.
extern TADSlbag* ADSlbag;

}  // namespace guide
