#include "ui/guide/splnedir.h"

namespace guide {

Tsplnedir* splnedir = nullptr;

Tsplnedir::Tsplnedir(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ADSL splitter nedir ?"));
  resize(413, 340);
}

}  // namespace guide
