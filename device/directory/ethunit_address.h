#pragma once
// The link target of an Ethernet unit's entry: an IP address with an
// optional port, "192.168.1.20", "192.168.1.20:3520", "[fe80::1]:3520".
// Pure text handling, so the directory scan can check it without a socket.
#include <QString>

namespace device {

// The port such units send their record packets to unless told otherwise.
inline constexpr quint16 kDefaultRecordPort = 3520;

// False for anything but a literal IPv4 or bracketed IPv6 address with an
// optional port 1 to 65535; host names are refused, so nothing is looked up.
bool ParseUnitAddress(const QString& text, QString* host, quint16* port);

// Whether two such targets name one unit: the same address and port, however
// written ("192.168.1.20" and "192.168.1.20:3520" are one).
bool SameUnitAddress(const QString& a, const QString& b);

}  // namespace device
