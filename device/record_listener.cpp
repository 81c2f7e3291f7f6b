#include "device/record_listener.h"

#include <QTimer>
#include <map>

#include "device/lineunit_parser.h"

namespace device {

namespace {
// The window's thread only, like every session.
std::map<quint16, std::weak_ptr<RecordListener>>& Listeners() {
  static std::map<quint16, std::weak_ptr<RecordListener>> listeners;
  return listeners;
}
}  // namespace

std::shared_ptr<RecordListener> RecordListener::Acquire(quint16 port, QString* error) {
  auto& all = Listeners();
  if (auto it = all.find(port); it != all.end())
    if (auto existing = it->second.lock()) return existing;
  std::shared_ptr<RecordListener> listener(new RecordListener(port));
  if (!listener->socket_.bind(QHostAddress::Any, port)) {
    *error = QStringLiteral("UDP %1 kapısı dinlenemedi: %2").arg(port).arg(listener->socket_.errorString());
    return nullptr;
  }
  connect(&listener->socket_, &QUdpSocket::readyRead, listener.get(), &RecordListener::ReadPending);
  all[port] = listener;
  return listener;
}

RecordListener::~RecordListener() {
  auto& all = Listeners();
  if (auto it = all.find(port_); it != all.end() && it->second.expired()) all.erase(it);
}

void RecordListener::Add(RecordReceiver* receiver, const QHostAddress& from) {
  receivers_.emplace_back(receiver, from);
}

void RecordListener::Remove(RecordReceiver* receiver) {
  std::erase_if(receivers_, [&](const auto& r) { return r.first == receiver; });
}

void RecordListener::ReadPending() {
  for (int n = 0; n < kMaxPerTurn && socket_.hasPendingDatagrams(); ++n) {
    const qint64 size = socket_.pendingDatagramSize();
    // One byte more than a packet may have tells an oversized one apart.
    QByteArray bytes(static_cast<qsizetype>(qBound(qint64(0), size, qint64(RecordPacket::kMaxSize + 1))), '\0');
    QHostAddress from;
    const qint64 got = socket_.readDatagram(bytes.data(), bytes.size(), &from);
    if (got < 0) continue;
    // An oversized datagram keeps kMaxSize + 1 bytes, enough to be refused.
    bytes.resize(got);
    // Copy first: a receiver's report may end a session and so remove it.
    const auto receivers = receivers_;
    for (const auto& [receiver, address] : receivers)
      if (address.isEqual(from, QHostAddress::ConvertV4MappedToIPv4)) receiver->Datagram(bytes);
  }
  // What is left is read on the next turn, after the window had its go.
  if (socket_.hasPendingDatagrams()) QTimer::singleShot(0, this, &RecordListener::ReadPending);
}

}  // namespace device
