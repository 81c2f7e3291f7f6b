#include "device/directory/ethunit_address.h"

#include <arpa/inet.h>

#include <cstring>

namespace device {

namespace {

bool AsciiDigits(const QString& s) {
  for (QChar c : s)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  return !s.isEmpty();
}

// The C library's reading of literals: IPv4 only as four decimal numbers
// without leading zeros, IPv6 in any of its written forms.
bool Ipv4Bytes(const QString& host, UnitAddressBytes* out) {
  in_addr v4{};
  if (host.size() > 15 || inet_pton(AF_INET, host.toLatin1().constData(), &v4) != 1) return false;
  out->fill(0);
  (*out)[10] = (*out)[11] = 0xff;
  std::memcpy(out->data() + 12, &v4, 4);
  return true;
}

bool Ipv6Bytes(const QString& host, UnitAddressBytes* out) {
  return host.size() <= 45 && inet_pton(AF_INET6, host.toLatin1().constData(), out->data()) == 1;
}

}  // namespace

bool ParseUnitAddress(const QString& text, QString* host, quint16* port, UnitAddressBytes* bytes) {
  // Latin-1 alone: a look-alike digit must not pass through a conversion.
  for (QChar c : text)
    if (c.unicode() > 0x7e || c.unicode() < 0x21) return false;
  QString h = text, p;
  UnitAddressBytes address{};
  if (h.startsWith(QLatin1Char('['))) {
    const qsizetype close = h.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    p = h.mid(close + 1);
    h = h.mid(1, close - 1);
    if (!p.isEmpty() && !p.startsWith(QLatin1Char(':'))) return false;
    if (!p.isEmpty() && (p = p.mid(1)).isEmpty()) return false;
    if (!Ipv6Bytes(h, &address)) return false;
  } else {
    const qsizetype colon = h.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
      p = h.mid(colon + 1);
      h = h.left(colon);
      if (p.isEmpty()) return false;
    }
    if (!Ipv4Bytes(h, &address)) return false;
  }
  quint16 number = kDefaultRecordPort;
  if (!p.isEmpty()) {
    if (p.size() > 5 || !AsciiDigits(p)) return false;
    const int v = p.toInt();
    if (v < 1 || v > 65535) return false;
    number = static_cast<quint16>(v);
  }
  *host = h;
  *port = number;
  if (bytes) *bytes = address;
  return true;
}

}  // namespace device
