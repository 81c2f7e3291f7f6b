#pragma once
// Picture window (placeholder until its picture is drawn).
#include <QDialog>

namespace guide {

class TADSlbag : public QDialog {
  Q_OBJECT
 public:
  explicit TADSlbag(QWidget* parent = nullptr);
};

// The one instance, created at start-up and kept until exit.
extern TADSlbag* ADSlbag;

}  // namespace guide
