#pragma once
// The simulated Ethernet unit's side: record packets sent over UDP to the
// program on this machine, and an "ethunit-" entry pointing at 127.0.0.1 and
// the port. The program binds the port; the simulator only sends to it.
#include <QUdpSocket>

namespace sim {

class UdpPort {
 public:
  UdpPort(QString directory, QString entryName, quint16 port, quint64 serial);
  ~UdpPort();

  // Declares the entry; sending works whether or not anyone listens.
  bool Plug(QString* error);
  void Unplug();
  bool Plugged() const { return plugged_; }
  QString EntryPath() const;
  QString Target() const;

  // Each record (line) of the bytes in its own record packet.
  void Write(const QByteArray& bytes);
  // The bytes as one datagram, as they are (junk for the program to refuse).
  void WriteRaw(const QByteArray& bytes);

 private:
  QString directory_;
  QString entryName_;
  quint16 port_;
  quint64 serial_;
  bool plugged_ = false;
  QUdpSocket socket_;
};

}  // namespace sim
