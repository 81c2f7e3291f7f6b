// Fuzz target: the modem parser must survive any bytes, in any split, and
// every record it completes carries a number text and a full date-time.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/modem/modem_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  device::ModemParser parser([] { return QDateTime(QDate(2027, 1, 1), QTime(0, 0, 1)); });
  std::vector<device::ModemParser::Event> out;
  const size_t cut = size ? data[0] % (size + 1) : 0;
  const char* bytes = reinterpret_cast<const char*>(data);
  parser.Feed(bytes, static_cast<qsizetype>(cut), out);
  parser.Feed(bytes + cut, static_cast<qsizetype>(size - cut), out);
  parser.Flush(out);
  if (parser.RecordOpen() || parser.PendingBytes() > device::LineSplitter::kMaxLine) abort();
  for (const auto& e : out) {
    if (const auto* c = std::get_if<device::CallRecord>(&e)) {
      if (c->line != 1 || c->number.isEmpty() || c->dateTime.size() != 19) abort();
    } else if (const auto* r = std::get_if<device::ModemParser::Reply>(&e)) {
      if (r->line.isEmpty() || r->line.size() > device::LineSplitter::kMaxLine) abort();
    }
  }
  return 0;
}
