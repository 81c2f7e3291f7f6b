// Fuzz target: the unit protocol parser must survive any bytes, in any
// split, and only ever hand out records within the protocol's bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/native_unit/native_unit_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  device::NativeUnitParser parser;
  std::vector<device::NativeUnitParser::Event> out;
  // The first byte chooses where the stream is cut, as reads would cut it.
  const size_t cut = size ? data[0] % (size + 1) : 0;
  const char* bytes = reinterpret_cast<const char*>(data);
  parser.Feed(bytes, static_cast<qsizetype>(cut), out);
  parser.Feed(bytes + cut, static_cast<qsizetype>(size - cut), out);
  if (parser.PendingBytes() > device::LineSplitter::kMaxLine) abort();
  for (const auto& e : out) {
    if (const auto* c = std::get_if<device::CallRecord>(&e)) {
      if (c->line < 1 || c->line > 4 || c->number.isEmpty() || c->dateTime.size() != 19) abort();
    } else if (const auto* l = std::get_if<device::LevelRecord>(&e)) {
      for (int v : l->levels)
        if (v < 0 || v > 255) abort();
    } else if (const auto* id = std::get_if<device::IdentRecord>(&e)) {
      if (id->model.isEmpty() || id->serial.isEmpty() || (id->lines != 1 && id->lines != 2 && id->lines != 4)) abort();
    } else if (const auto* err = std::get_if<device::ParseError>(&e)) {
      if (err->message.isEmpty() || err->message.size() > 400) abort();
    }
  }
  return 0;
}
