#pragma once
// Picture window (placeholder until its picture is drawn).
#include <QDialog>

namespace guide {

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);
};

// The one instance, created at start-up and kept until exit.
extern TForm2* Form2;

}  // namespace guide
