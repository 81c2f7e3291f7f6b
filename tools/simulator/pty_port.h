#pragma once
// The simulated device's end of a pseudo-terminal, and its entry in the
// device directory: plugging makes both, unplugging removes both.
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace sim {

class PtyPort : public QObject {
  Q_OBJECT
 public:
  PtyPort(QString directory, QString entryName);
  ~PtyPort() override;

  // Opens a new pseudo-terminal and links the entry to it.
  bool Plug(QString* error);
  // Removes the entry, then closes the terminal (the host sees it vanish).
  void Unplug();
  bool Plugged() const { return master_ >= 0; }
  QString SlavePath() const { return slavePath_; }
  QString EntryPath() const;

  // Writes all bytes (the host reads them in its own time).
  void Write(const QByteArray& bytes);

 signals:
  void received(const QByteArray& bytes);

 private:
  void ReadMaster();

  QString directory_;
  QString entryName_;
  int master_ = -1;
  int slave_ = -1;  // kept open so the terminal lives while the host reopens it
  QString slavePath_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace sim
