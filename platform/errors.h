#pragma once
// Message-carrying errors. Every kind the program raises derives from
// Exception so the one application-wide hook can log its message.
#include <QString>
#include <exception>
#include <string>

namespace platform {

class Exception : public std::exception {
 public:
  explicit Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}
  const QString& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  QString message_;
  std::string utf8_;
};

// Text that does not read as the requested value kind.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A list index outside the list: "List index out of bounds (%d)".
class EListError : public Exception {
 public:
  using Exception::Exception;
  static EListError IndexOutOfBounds(int index) {
    return EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
  }
};

// A failing call into the hosted device control.
class EOleException : public Exception {
 public:
  EOleException(QString message, int32_t code) : Exception(std::move(message)), code_(code) {}
  int32_t ErrorCode() const noexcept { return code_; }

 private:
  int32_t code_;
};

// Silent abort: unwinds a handler without a line in the message area.
class EAbort : public Exception {
 public:
  EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

}  // namespace platform
