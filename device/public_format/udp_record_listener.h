#pragma once
// The UDP socket on which Ethernet units' record packets arrive. One socket
// per port, shared by the sessions of every unit declared on that port, and
// bound only while at least one of them exists. It hands a datagram to the
// session of the address it came from (one session per address) and drops datagrams from any other
// address unread by anyone. It never sends. Datagrams the kernel had to drop
// are counted (its overflow count) and said, never lost silently.
//
// A plain socket watched by the event loop: the program needs no more of a
// network library than this, and loading one costs every start-up time and
// memory although few users own such a unit.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace device {

// An IP address as the socket reports it, IPv4 in its IPv6-mapped form, so a
// unit declared as 192.168.1.20 matches packets the dual-stack socket reports
// from ::ffff:192.168.1.20 (read from the entry by ParseUnitAddress).
using PeerAddress = std::array<unsigned char, 16>;

class RecordReceiver {
 public:
  virtual ~RecordReceiver() = default;
  virtual void Datagram(const QByteArray& bytes) = 0;
  // The entry the receiver stands for, to name it to a second one.
  virtual QString ReceiverName() const = 0;
  // Datagrams the kernel dropped because they came faster than they were
  // read; told to the first receiver of the port, as no one can say whose.
  virtual void DatagramsLost(int count) = 0;
};

class RecordListener : public QObject {
  Q_OBJECT
 public:
  // Datagrams read per turn of the event loop, so a flood cannot hold the
  // window's thread; the rest wait for the next turn.
  static constexpr int kMaxPerTurn = 64;
  // The kernel's receive buffer is asked to hold a burst of this many
  // datagrams (far beyond the window's call queue) at what it charges for
  // each small one, so a burst waits in the kernel rather than being lost.
  static constexpr int kBurstDatagrams = 4096;
  static constexpr int kChargePerDatagram = 2048;

  // The listener of the port, bound now if no session holds it yet; null
  // with a description when the port cannot be bound.
  static std::shared_ptr<RecordListener> Acquire(quint16 port, QString* error);
  ~RecordListener() override;

  // Takes the receiver of datagrams from `from`; when another receiver has
  // that address already (one unit declared twice), returns it instead and
  // adds nothing, so each datagram is taken once.
  RecordReceiver* Add(RecordReceiver* receiver, const PeerAddress& from);
  void Remove(RecordReceiver* receiver);

 private:
  explicit RecordListener(quint16 port) : port_(port) {}
  bool Bind(QString* error);
  void ReadPending();
  // Says the drops counted since last time; `count` is the kernel's running
  // total for the socket.
  void KernelDrops(quint32 count);

  quint16 port_;
  int fd_ = -1;
  QSocketNotifier* notifier_ = nullptr;
  quint32 kernelDrops_ = 0;  // the kernel's total already said
  std::vector<std::pair<RecordReceiver*, PeerAddress>> receivers_;
};

}  // namespace device
