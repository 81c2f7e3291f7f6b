#pragma once
// The UDP socket on which Ethernet units' record packets arrive. One socket
// per port, shared by the sessions of every unit declared on that port, and
// bound only while at least one of them exists. It hands a datagram to the
// session of the address it came from and drops datagrams from any other
// address unread by anyone. It never sends.
#include <QHostAddress>
#include <QUdpSocket>
#include <memory>
#include <vector>

namespace device {

class RecordReceiver {
 public:
  virtual ~RecordReceiver() = default;
  virtual void Datagram(const QByteArray& bytes) = 0;
};

class RecordListener : public QObject {
  Q_OBJECT
 public:
  // Datagrams read per turn of the event loop, so a flood cannot hold the
  // window's thread; the rest wait for the next turn.
  static constexpr int kMaxPerTurn = 64;

  // The listener of the port, bound now if no session holds it yet; null
  // with a description when the port cannot be bound.
  static std::shared_ptr<RecordListener> Acquire(quint16 port, QString* error);
  ~RecordListener() override;

  void Add(RecordReceiver* receiver, const QHostAddress& from);
  void Remove(RecordReceiver* receiver);
  quint16 Port() const { return port_; }

 private:
  explicit RecordListener(quint16 port) : port_(port) {}
  void ReadPending();

  quint16 port_;
  QUdpSocket socket_;
  std::vector<std::pair<RecordReceiver*, QHostAddress>> receivers_;
};

}  // namespace device
