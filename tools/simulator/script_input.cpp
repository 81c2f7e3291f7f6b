#include "tools/simulator/script_input.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>

namespace sim {

ScriptInput::~ScriptInput() {
  notifier_.reset();
  if (fd_ > STDIN_FILENO) ::close(fd_);
}

bool ScriptInput::Open(const QString& path, QString* error) {
  if (path == QLatin1String("-")) {
    fd_ = STDIN_FILENO;
  } else {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd_ < 0) {
      *error = QStringLiteral("cannot open script %1").arg(path);
      return false;
    }
  }
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &ScriptInput::Read);
  return true;
}

bool ScriptInput::Next(int lines, Command* cmd, QString* text, const std::function<void(const QString&)>& error) {
  while (!lines_.empty()) {
    *text = lines_.front();
    lines_.pop_front();
    QString why;
    *cmd = Command();
    if (!ParseCommand(*text, lines, cmd, &why))
      error(why);
    else if (cmd->kind != Command::Nothing)
      return true;
  }
  return false;
}

void ScriptInput::RunQueued(int lines, QTimer& waitTimer, const std::function<void(const Command&)>& execute,
                            const std::function<void(const QString&)>& log) {
  Command cmd;
  QString line;
  while (Next(lines, &cmd, &line, [&](const QString& error) { log(QStringLiteral("ERROR %1").arg(error)); })) {
    if (cmd.kind == Command::Wait) {
      waitTimer.start(cmd.ms);
      return;
    }
    execute(cmd);
    log(QStringLiteral("DONE %1").arg(line.trimmed()));
  }
}

void ScriptInput::Read() {
  char buf[4096];
  const ssize_t n = ::read(fd_, buf, sizeof buf);
  if (n <= 0) {
    notifier_->setEnabled(false);
    if (fd_ == STDIN_FILENO) lines_.push_back(QStringLiteral("quit"));
  } else {
    buffer_.append(buf, n);
  }
  qsizetype nl;
  while ((nl = buffer_.indexOf('\n')) >= 0) {
    lines_.push_back(QString::fromUtf8(buffer_.left(nl)));
    buffer_.remove(0, nl + 1);
  }
  if (n <= 0 && !buffer_.isEmpty()) {
    lines_.push_back(QString::fromUtf8(buffer_));
    buffer_.clear();
  }
  emit linesArrived();
}

}  // namespace sim
