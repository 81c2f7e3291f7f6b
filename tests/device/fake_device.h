#pragma once
// A device on a pseudo-terminal for control tests: the simulator's
// emulation answering the control over a real terminal.
#include <QTemporaryDir>

#include "tools/simulator/emulation.h"
#include "tools/simulator/pty_port.h"

namespace device::test {

class FakeDevice : public QObject {
 public:
  FakeDevice(const QString& dir, const QString& entry, std::unique_ptr<sim::Emulation> emulation)
      : port_(dir, entry), emulation_(std::move(emulation)) {
    connect(&port_, &sim::PtyPort::received, this, [this](const QByteArray& bytes) {
      received_ += bytes;
      if (stalled_) return;
      port_.Write(emulation_->FromHost(bytes));
      port_.Write(emulation_->TakeSelfTestCalls(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))));
    });
  }
  bool Plug() {
    QString error;
    return port_.Plug(&error);
  }
  void Unplug() { port_.Unplug(); }
  void Write(const QByteArray& bytes) { port_.Write(bytes); }
  void Call(int line, const QString& number, const QString& text = QString()) {
    port_.Write(emulation_->CallBytes(sim::Call{line, number, text}, QDateTime(QDate(2026, 12, 7), QTime(14, 5, 0))));
  }
  sim::Emulation& Emulation() { return *emulation_; }
  void SetStalled(bool stalled) { stalled_ = stalled; }
  const QByteArray& Received() const { return received_; }

 private:
  sim::PtyPort port_;
  std::unique_ptr<sim::Emulation> emulation_;
  bool stalled_ = false;
  QByteArray received_;
};

}  // namespace device::test
