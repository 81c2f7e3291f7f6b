#pragma once
// The application events component: a window's handle on the application-wide
// error hook. While it lives, errors that escape handlers reach its
// OnException; when its window goes, it lets go of the hook.
#include <QObject>

#include "platform/application.h"

namespace platform {

class TApplicationEvents : public QObject {
  Q_OBJECT
 public:
  explicit TApplicationEvents(QObject* owner = nullptr);
  ~TApplicationEvents() override;

  TApplication::ExceptionHandler OnException;
};

}  // namespace platform
