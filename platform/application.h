#pragma once
// The application object and its one error hook. Every error that escapes a
// handler, a timer tick, the show event or a device event ends here; Qt never
// sees an exception leave an event handler.
#include <QApplication>
#include <exception>
#include <functional>
#include <vector>

namespace platform {

class TApplicationEvents;

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  ~TApplication() override;

  // The application-wide hook (OnException of the application events
  // component). Receives the sender and the error; silent aborts never reach it.
  using ExceptionHandler = std::function<void(QObject* sender, const std::exception& e)>;
  void SetOnException(ExceptionHandler handler) { onException_ = std::move(handler); }

  // Application events components attached here take errors before the
  // plain hook, the most recently attached first.
  void Attach(TApplicationEvents* events);
  void Detach(TApplicationEvents* events);

  // Hands an error to the hook; what no hook takes goes to standard error.
  void HandleException(QObject* sender, const std::exception& e);
  // Same, for the exception currently being handled (inside a catch block).
  void HandleCurrentException(QObject* sender);

  // The application's title (its task-bar entry). Kept as the application
  // name, not the display name, which Linux window systems would append to
  // every window caption.
  QString Title() const { return applicationName(); }
  void SetTitle(const QString& title) { setApplicationName(title); }

  bool notify(QObject* receiver, QEvent* event) override;

  static TApplication* Instance();

 private:
  ExceptionHandler onException_;
  std::vector<TApplicationEvents*> events_;
};

// Runs f; any error it raises goes to the application's hook instead of
// unwinding further. Used where our code is called from Qt (signal
// connections, event overrides) so no exception crosses Qt's frames.
template <class F>
void Guarded(QObject* sender, F&& f) {
  try {
    f();
  } catch (...) {
    if (auto* app = TApplication::Instance()) app->HandleCurrentException(sender);
  }
}

}  // namespace platform
