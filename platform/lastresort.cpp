#include "platform/lastresort.h"

#include <QMessageBox>

namespace platform {

namespace {
std::function<void(const QString&)>& Handler() {
  static std::function<void(const QString&)> h;
  return h;
}
}  // namespace

void ShowApplicationError(const QString& text) {
  if (Handler()) {
    Handler()(text);
    return;
  }
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Application Error"), text, QMessageBox::Ok);
  box.exec();
}

void SetApplicationErrorHandler(std::function<void(const QString&)> handler) { Handler() = std::move(handler); }

}  // namespace platform
