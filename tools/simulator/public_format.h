#pragma once
// A unit of the public multi-line call-record format: it takes no commands,
// reports a ring as a detail record and a call as a comprehensive start
// record; it has no level reports. On Ethernet each record travels in its
// own record packet (device/public_format/public_format_parser.h makes them).
#include "tools/simulator/emulation.h"

namespace sim {

// lines: 2, 4 or 8.
std::unique_ptr<Emulation> MakePublicFormatUnit(int lines);

// The start record of an inbound call with a good checksum, as such a unit
// prints it: fixed-width number (14) and name (15) fields, 12-hour time.
QByteArray PublicCallRecord(const Call& call, const QDateTime& when);
// A ring detail record.
QByteArray PublicRingRecord(int line, const QDateTime& when);

}  // namespace sim
