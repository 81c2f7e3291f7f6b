// Fuzz target: the public multi-line call-record format, as a byte stream
// cut anywhere and as Ethernet record packets. Any bytes must give records
// within the format's bounds or errors, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/public_format/public_format_parser.h"

namespace {

void Check(const std::vector<device::PublicFormatParser::Event>& out) {
  for (const auto& e : out) {
    if (const auto* c = std::get_if<device::PublicFormatCall>(&e)) {
      if (c->line < 1 || c->line > device::PublicFormatParser::kMaxLineNumber || c->number.isEmpty() ||
          c->dateTime.size() != 19 || c->durationS < 0)
        abort();
      if (const auto call = device::ReportedCall(*c); call && call->line != c->line) abort();
    } else if (const auto* d = std::get_if<device::PublicFormatDetail>(&e)) {
      if (d->line < 1 || d->line > device::PublicFormatParser::kMaxLineNumber || d->dateTime.size() != 19) abort();
    } else if (const auto* err = std::get_if<device::ParseError>(&e)) {
      if (err->message.isEmpty() || err->message.size() > 400) abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A fixed clock on 1 January, where the new-year rule bites.
  device::PublicFormatParser parser([] { return QDateTime(QDate(2027, 1, 1), QTime(0, 0, 30)); });
  std::vector<device::PublicFormatParser::Event> out;
  const char* bytes = reinterpret_cast<const char*>(data);
  if (size > 0 && data[0] & 1) {
    device::RecordPacket packet;
    QString error;
    const QByteArray datagram(bytes + 1, static_cast<qsizetype>(size - 1));
    if (device::ParseRecordPacket(datagram, &packet, &error)) {
      if (packet.unit >= (1ull << 48) || packet.serial >= (1ull << 48) || packet.record.contains('\n')) abort();
      parser.ParseLine(packet.record, out);
    } else if (error.isEmpty() || error.size() > 400) {
      abort();
    }
  } else {
    // The first byte chooses where the stream is cut, as reads would cut it.
    const size_t cut = size ? data[0] % (size + 1) : 0;
    parser.Feed(bytes, static_cast<qsizetype>(cut), out);
    parser.Feed(bytes + cut, static_cast<qsizetype>(size - cut), out);
    if (parser.PendingBytes() > device::LineSplitter::kMaxLine) abort();
  }
  Check(out);
  return 0;
}
