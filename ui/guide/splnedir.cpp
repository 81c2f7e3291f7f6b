#include "ui/guide/splnedir.h"

#include "platform/application.h"
#include "ui/guide/pictures.h"

namespace guide {

Tsplnedir* splnedir = nullptr;

Tsplnedir::Tsplnedir(QWidget* parent) : TPictureWindow(parent) {
  setupUi(this);
  ShowPicture(Image1, kSplitterPicture);
  FinishLayout(AdslWindowIcon(), Placement::ScreenCenter);
  connect(Image1, &platform::TClickLabel::clicked, this,
          [this] { platform::Guarded(Image1, [this] { Image1Click(Image1); }); });
}

void Tsplnedir::Image1Click(QObject*) { close(); }

}  // namespace guide
