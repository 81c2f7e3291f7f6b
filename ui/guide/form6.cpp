#include "ui/guide/form6.h"

namespace guide {

TForm6* Form6 = nullptr;

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Tek Hatlı Caller ID Cihazı  Bağlantısı"));
  resize(426, 460);
}

}  // namespace guide
