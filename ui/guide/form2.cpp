#include "ui/guide/form2.h"

#include "platform/application.h"
#include "ui/guide/pictures.h"

namespace guide {

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : TPictureWindow(parent) {
  setupUi(this);
  ShowPicture(Image1, kTwoLinePicture);
  FinishLayout(LinesWindowIcon(), Placement::ScreenCenter);
  connect(Image1, &platform::TClickLabel::clicked, this,
          [this] { platform::Guarded(Image1, [this] { Image1Click(Image1); }); });
}

void TForm2::Image1Click(QObject*) { close(); }

}  // namespace guide
