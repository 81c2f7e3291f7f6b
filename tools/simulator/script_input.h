#pragma once
// Script lines read without blocking from standard input ("-") or a file.
// Standard input ending means whoever drove the simulator is gone, so a
// "quit" follows the commands still queued; a script file that ends leaves
// the device as it is.
#include <QObject>
#include <QSocketNotifier>
#include <deque>
#include <memory>

namespace sim {

class ScriptInput : public QObject {
  Q_OBJECT
 public:
  ~ScriptInput() override;
  // False with a description when the file cannot be opened.
  bool Open(const QString& path, QString* error);
  // Complete lines not yet run, oldest first.
  std::deque<QString>& Lines() { return lines_; }

 signals:
  void linesArrived();

 private:
  void Read();

  std::unique_ptr<QSocketNotifier> notifier_;
  int fd_ = -1;
  QByteArray buffer_;
  std::deque<QString> lines_;
};

}  // namespace sim
