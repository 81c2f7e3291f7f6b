#pragma once
// Picture window (placeholder until its picture is drawn).
#include <QDialog>

namespace guide {

class TForm3 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm3(QWidget* parent = nullptr);
};

// The one instance, created at start-up and kept until exit.
extern TForm3* Form3;

}  // namespace guide
