#include "ui/guide/form3.h"

namespace guide {

TForm3* Form3 = nullptr;

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("4 hatlı Cihaz Bağlantısı"));
  resize(494, 530);
}

}  // namespace guide
