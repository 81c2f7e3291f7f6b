#include "ui/guide/adslbag.h"

namespace guide {

TADSlbag* ADSlbag = nullptr;

TADSlbag::TADSlbag(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("İnternet hattı cihaza nasıl bağlanır ?  (ADSL hattı)"));
  resize(572, 387);
}

}  // namespace guide
