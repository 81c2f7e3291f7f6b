#pragma once
// The link target of an Ethernet unit's entry: an IP address with an
// optional port, "192.168.1.20", "192.168.1.20:3520", "[fe80::1]:3520".
// Pure text handling, so the directory scan can check it without a socket.
// The one reading of such a text: the directory scan, the unit's session
// (which listens for that address) and cid-device-link all ask here, so
// what one accepts the others accept.
#include <QString>
#include <array>

namespace device {

// The port such units send their record packets to unless told otherwise.
inline constexpr quint16 kDefaultRecordPort = 3520;

// An address as the socket reports a sender's: IPv4 in its IPv6-mapped form.
using UnitAddressBytes = std::array<unsigned char, 16>;

// False for anything but a literal IPv4 address in dotted decimal (four
// numbers, no leading zeros: 127.0.0.01 reads as octal to some tools and as
// decimal to others) or a bracketed IPv6 address, with an optional port 1 to
// 65535; host names are refused, so nothing is looked up. `bytes`, when
// given, gets the address.
bool ParseUnitAddress(const QString& text, QString* host, quint16* port, UnitAddressBytes* bytes = nullptr);

}  // namespace device
