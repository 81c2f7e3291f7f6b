#pragma once
// Watches for modal windows while a test's click runs a nested loop: every
// modal window that appears is recorded by name and then dealt with by the
// test's action (typically closing it one way or another).
#include <QApplication>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace testsupport {

class ModalWatch {
 public:
  using Action = std::function<void(QWidget* modal)>;
  explicit ModalWatch(Action action) : action_(std::move(action)) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
  }

  // Names of the modal windows seen, in order (object names, or class names
  // for windows without one), interleaved with whatever the test logs.
  QStringList log;

 private:
  void Poll() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || busy_) return;
    busy_ = true;
    log << (w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName());
    action_(w);
    busy_ = false;
  }

  Action action_;
  QTimer timer_;
  bool busy_ = false;
};

}  // namespace testsupport
