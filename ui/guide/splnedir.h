#pragma once
// Picture window (placeholder until its picture is drawn).
#include <QDialog>

namespace guide {

class Tsplnedir : public QDialog {
  Q_OBJECT
 public:
  explicit Tsplnedir(QWidget* parent = nullptr);
};

// The one instance, created at start-up and kept until exit.
extern Tsplnedir* splnedir;

}  // namespace guide
