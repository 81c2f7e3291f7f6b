#include "device/public_format/udp_record_listener.h"

#include <arpa/inet.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>

#include "device/core/system_words.h"
#include "device/public_format/public_format_parser.h"

namespace device {

namespace {
// The window's thread only, like every session.
std::map<quint16, std::weak_ptr<RecordListener>>& Listeners() {
  static std::map<quint16, std::weak_ptr<RecordListener>> listeners;
  return listeners;
}

PeerAddress MappedV4(const in_addr& v4) {
  PeerAddress a{};
  a[10] = a[11] = 0xff;
  std::memcpy(a.data() + 12, &v4, 4);
  return a;
}

QString BindFailure(int error) {
  switch (error) {
    case EADDRINUSE: return QStringLiteral("kapı başka bir program tarafından kullanılıyor");
    case EACCES: return QStringLiteral("bu kapıyı dinleme izni yok");
    default: return ErrnoText(error);
  }
}
}  // namespace

std::shared_ptr<RecordListener> RecordListener::Acquire(quint16 port, QString* error) {
  auto& all = Listeners();
  if (auto it = all.find(port); it != all.end())
    if (auto existing = it->second.lock()) return existing;
  std::shared_ptr<RecordListener> listener(new RecordListener(port));
  if (!listener->Bind(error)) return nullptr;
  all[port] = listener;
  return listener;
}

bool RecordListener::Bind(QString* error) {
  // One socket for units of either address family; IPv4 alone on a system
  // without IPv6. No address reuse: a port another program holds is refused
  // rather than shared, so no packet goes to the wrong reader.
  int fd = ::socket(AF_INET6, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int rc = -1;
  if (fd >= 0) {
    const int off = 0;
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    sockaddr_in6 any{};
    any.sin6_family = AF_INET6;
    any.sin6_port = htons(port_);
    any.sin6_addr = in6addr_any;
    rc = ::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any);
  } else if (errno == EAFNOSUPPORT) {
    fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0) {
      sockaddr_in any{};
      any.sin_family = AF_INET;
      any.sin_port = htons(port_);
      any.sin_addr.s_addr = htonl(INADDR_ANY);
      rc = ::bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof any);
    }
  }
  if (rc != 0) {
    const int why = errno;
    if (fd >= 0) ::close(fd);
    *error = QStringLiteral("UDP %1 kapısı dinlenemedi: %2").arg(port_).arg(BindFailure(why));
    return false;
  }
  // Forcing the size needs the right to; without it the kernel caps the
  // request at its own maximum.
  const int buffer = kBurstDatagrams * kChargePerDatagram;
  if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0)
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
  fd_ = fd;
  notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &RecordListener::ReadPending);
  return true;
}

RecordListener::~RecordListener() {
  delete notifier_;
  if (fd_ >= 0) ::close(fd_);
  auto& all = Listeners();
  if (auto it = all.find(port_); it != all.end() && it->second.expired()) all.erase(it);
}

RecordReceiver* RecordListener::Add(RecordReceiver* receiver, const PeerAddress& from) {
  for (const auto& [other, address] : receivers_)
    if (address == from && other != receiver) return other;
  receivers_.emplace_back(receiver, from);
  return nullptr;
}

void RecordListener::Remove(RecordReceiver* receiver) {
  std::erase_if(receivers_, [&](const auto& r) { return r.first == receiver; });
}

void RecordListener::ReadPending() {
  // The notifier fires again on the next turn while datagrams are left.
  for (int n = 0; n < kMaxPerTurn; ++n) {
    // One byte more than a packet may have tells an oversized one apart:
    // the rest of a longer datagram is dropped by the kernel.
    QByteArray bytes(RecordPacket::kMaxSize + 1, '\0');
    sockaddr_storage peer{};
    iovec iov{bytes.data(), static_cast<size_t>(bytes.size())};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(quint32))];
    msghdr msg{};
    msg.msg_name = &peer;
    msg.msg_namelen = sizeof peer;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(fd_, &msg, MSG_DONTWAIT);
    if (got < 0) {
      if (errno == EINTR) continue;
      // Nothing left: drops after the last datagram read come with none, so
      // the socket's own count is read too.
      quint32 meminfo[SK_MEMINFO_VARS] = {};
      socklen_t size = sizeof meminfo;
      if (::getsockopt(fd_, SOL_SOCKET, SO_MEMINFO, meminfo, &size) == 0 && size > SK_MEMINFO_DROPS * sizeof(quint32))
        KernelDrops(meminfo[SK_MEMINFO_DROPS]);
      return;
    }
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c; c = CMSG_NXTHDR(&msg, c))
      if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL) {
        quint32 count = 0;
        std::memcpy(&count, CMSG_DATA(c), sizeof count);
        KernelDrops(count);
      }
    bytes.resize(got);
    PeerAddress from{};
    if (peer.ss_family == AF_INET6)
      std::memcpy(from.data(), &reinterpret_cast<const sockaddr_in6*>(&peer)->sin6_addr, from.size());
    else if (peer.ss_family == AF_INET)
      from = MappedV4(reinterpret_cast<const sockaddr_in*>(&peer)->sin_addr);
    else
      continue;
    // Copy first: a receiver's report may end a session and so remove it.
    const auto receivers = receivers_;
    for (const auto& [receiver, address] : receivers)
      if (address == from) {
        receiver->Datagram(bytes);
        break;
      }
  }
}

void RecordListener::KernelDrops(quint32 count) {
  // A running total that wraps: the difference is what is new.
  const quint32 lost = count - kernelDrops_;
  if (lost == 0 || lost > quint32(INT_MAX)) return;
  kernelDrops_ = count;
  if (!receivers_.empty()) receivers_.front().first->DatagramsLost(int(lost));
}

}  // namespace device
