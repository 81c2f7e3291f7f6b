#include "ui/guide/form3.h"

#include "platform/application.h"
#include "ui/guide/pictures.h"

namespace guide {

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent) : TPictureWindow(parent) {
  setupUi(this);
  ShowPicture(Image3, kFourLinePicture);
  FinishLayout(LinesWindowIcon(), Placement::ScreenCenter);
  connect(Image3, &platform::TClickLabel::clicked, this,
          [this] { platform::Guarded(Image3, [this] { Image3Click(Image3); }); });
}

void TForm3::Image3Click(QObject*) { close(); }

}  // namespace guide
