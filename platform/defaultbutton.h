#pragma once
// Default buttons per page. Qt's default button works per dialog; here each
// page of a page control may have its own, and only the one on the visible
// page reacts to Return.
#include <QObject>
#include <QPointer>
#include <vector>

class QAbstractButton;
class QWidget;

namespace platform {

class TPageDefaultButtons : public QObject {
  Q_OBJECT
 public:
  // Watches key presses inside window.
  explicit TPageDefaultButtons(QWidget* window);

  // button becomes the default button of the page it sits on.
  void Add(QAbstractButton* button);

  // The default button that Return would click now, if any.
  QAbstractButton* Current() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  std::vector<QPointer<QAbstractButton>> buttons_;
};

// Controls that use Return themselves set this property to true.
inline constexpr const char* kWantReturnsProperty = "wantReturns";

}  // namespace platform
