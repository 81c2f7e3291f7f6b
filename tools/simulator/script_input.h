#pragma once
// Script lines read without blocking from standard input ("-") or a file.
// Standard input ending means whoever drove the simulator is gone, so a
// "quit" follows the commands still queued; a script file that ends leaves
// the device as it is.
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

#include "tools/simulator/script.h"

namespace sim {

class ScriptInput : public QObject {
  Q_OBJECT
 public:
  ~ScriptInput() override;
  // False with a description when the file cannot be opened.
  bool Open(const QString& path, QString* error);
  // The next command of the lines queued, with its line; lines that are not
  // commands go to `error` and are skipped. False when none is left.
  bool Next(int lines, Command* cmd, QString* text, const std::function<void(const QString&)>& error);
  // Executes the queued commands up to a "wait", which starts waitTimer
  // (whose timeout is to run the rest), or to the end; each line done or
  // refused is logged.
  void RunQueued(int lines, QTimer& waitTimer, const std::function<void(const Command&)>& execute,
                 const std::function<void(const QString&)>& log);

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
