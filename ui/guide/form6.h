#pragma once
// Picture window (placeholder until its picture is drawn).
#include <QDialog>

namespace guide {

class TForm6 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm6(QWidget* parent = nullptr);
};

// The one instance, created at start-up and kept until exit.
extern TForm6* Form6;

}  // namespace guide
