#pragma once
// A pseudo-terminal whose slave stands in for a serial port.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>
#include <QString>

namespace device::test {

class Pty {
 public:
  Pty() : master_(posix_openpt(O_RDWR | O_NOCTTY)) {
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
      slave_ = QString::fromLocal8Bit(ptsname(master_));
  }
  ~Pty() {
    if (master_ >= 0) ::close(master_);
  }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;
  const QString& Slave() const { return slave_; }

 private:
  int master_;
  QString slave_;
};

}  // namespace device::test
