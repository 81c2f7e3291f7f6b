#include "platform/application.h"

#include <algorithm>
#include <cstdio>

#include "platform/applicationevents.h"
#include "platform/errors.h"
#include "platform/fonts.h"

namespace platform {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InstallFontSubstitutes();
  setFont(DesignFont(QStringLiteral("MS Sans Serif"), 11));
}

TApplication::~TApplication() = default;

TApplication* TApplication::Instance() { return qobject_cast<TApplication*>(QCoreApplication::instance()); }

void TApplication::Attach(TApplicationEvents* events) { events_.push_back(events); }

void TApplication::Detach(TApplicationEvents* events) {
  events_.erase(std::remove(events_.begin(), events_.end(), events), events_.end());
}

void TApplication::HandleException(QObject* sender, const std::exception& e) {
  if (dynamic_cast<const EAbort*>(&e)) return;
  ExceptionHandler handler = onException_;
  if (!events_.empty() && events_.back()->OnException) handler = events_.back()->OnException;
  if (handler) {
    try {
      handler(sender, e);
    } catch (...) {
      // The hook raises nothing further; an error inside it is dropped.
    }
    return;
  }
  std::fprintf(stderr, "%s\n", e.what());
}

void TApplication::HandleCurrentException(QObject* sender) {
  try {
    throw;
  } catch (const std::exception& e) {
    HandleException(sender, e);
  } catch (...) {
    HandleException(sender, Exception(QStringLiteral("Unknown error")));
  }
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    HandleCurrentException(receiver);
    return false;
  }
}

}  // namespace platform
