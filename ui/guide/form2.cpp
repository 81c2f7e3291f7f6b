#include "ui/guide/form2.h"

namespace guide {

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("2 Hatlı Cihaz Bağlantısı"));
  resize(496, 449);
}

}  // namespace guide
