#include "ui/guide/adslbag.h"

#include "platform/application.h"
#include "ui/guide/pictures.h"

namespace guide {

TADSlbag* ADSlbag = nullptr;

TADSlbag::TADSlbag(QWidget* parent) : TPictureWindow(parent) {
  setupUi(this);
  ShowPicture(Image1, kAdslPicture);
  FinishLayout(AdslWindowIcon(), Placement::StoredPosition, QPoint(352, 350));
  connect(Image1, &platform::TClickLabel::clicked, this,
          [this] { platform::Guarded(Image1, [this] { Image1Click(Image1); }); });
}

void TADSlbag::Image1Click(QObject*) { close(); }

}  // namespace guide
