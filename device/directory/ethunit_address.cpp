#include "device/directory/ethunit_address.h"

#include <arpa/inet.h>

#include <QStringList>
#include <cstring>

namespace device {

namespace {

bool AsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool Ipv4(const QString& s) {
  const QStringList parts = s.split(QLatin1Char('.'));
  if (parts.size() != 4) return false;
  for (const QString& p : parts) {
    if (p.isEmpty() || p.size() > 3) return false;
    for (QChar c : p)
      if (!AsciiDigit(c)) return false;
    if (p.toInt() > 255) return false;
  }
  return true;
}

bool Ipv6(const QString& s) {
  if (s.size() < 2 || s.size() > 45 || !s.contains(QLatin1Char(':'))) return false;
  for (QChar c : s)
    if (!AsciiDigit(c) && !(c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')) &&
        c != QLatin1Char(':') && c != QLatin1Char('.'))
      return false;
  return true;
}

// The address as 16 bytes, IPv4 in its IPv6-mapped form.
bool AddressBytes(const QString& host, unsigned char out[16]) {
  const QByteArray text = host.toLatin1();
  in_addr v4{};
  if (inet_pton(AF_INET, text.constData(), &v4) == 1) {
    std::memset(out, 0, 16);
    out[10] = out[11] = 0xff;
    std::memcpy(out + 12, &v4, 4);
    return true;
  }
  return inet_pton(AF_INET6, text.constData(), out) == 1;
}

}  // namespace

bool SameUnitAddress(const QString& a, const QString& b) {
  QString hostA, hostB;
  quint16 portA = 0, portB = 0;
  unsigned char bytesA[16], bytesB[16];
  return ParseUnitAddress(a, &hostA, &portA) && ParseUnitAddress(b, &hostB, &portB) && portA == portB &&
         AddressBytes(hostA, bytesA) && AddressBytes(hostB, bytesB) && std::memcmp(bytesA, bytesB, 16) == 0;
}

bool ParseUnitAddress(const QString& text, QString* host, quint16* port) {
  QString h = text;
  QString p;
  if (h.startsWith(QLatin1Char('['))) {
    const qsizetype close = h.indexOf(QLatin1Char(']'));
    if (close < 0) return false;
    p = h.mid(close + 1);
    h = h.mid(1, close - 1);
    if (!Ipv6(h)) return false;
    if (!p.isEmpty()) {
      if (!p.startsWith(QLatin1Char(':'))) return false;
      p = p.mid(1);
      if (p.isEmpty()) return false;
    }
  } else {
    const qsizetype colon = h.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
      p = h.mid(colon + 1);
      h = h.left(colon);
      if (p.isEmpty()) return false;
    }
    if (!Ipv4(h)) return false;
  }
  quint16 number = kDefaultRecordPort;
  if (!p.isEmpty()) {
    if (p.size() > 5) return false;
    for (QChar c : p)
      if (!AsciiDigit(c)) return false;
    const int v = p.toInt();
    if (v < 1 || v > 65535) return false;
    number = static_cast<quint16>(v);
  }
  *host = h;
  *port = number;
  return true;
}

}  // namespace device
