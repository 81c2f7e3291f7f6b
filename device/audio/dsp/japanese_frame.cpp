#include "device/audio/dsp/japanese_frame.h"

extern "C" {
#include <spandsp.h>
}

#include <bit>

namespace device::audio {
namespace {

constexpr uint8_t kDle = 0x10, kSoh = 0x01, kStx = 0x02, kEtx = 0x03;
constexpr size_t kTypeAt = 5;  // DLE SOH header DLE STX, then the message type
constexpr int kTrailer = 4;    // DLE ETX and the CRC

uint8_t Character(uint8_t b) { return b & 0x7F; }

// Walks the stuffed part from the message type on: the position after the
// last data character, 0 while the frame is short of it. A DLE not doubled
// counts as one character here (the CRC will not hold); `lone` tells.
long DataEnd(const std::vector<uint8_t>& f, bool* lone = nullptr) {
  int length = -1;
  for (size_t i = kTypeAt, k = 0; i < f.size(); ++k) {
    bool doubled = false;
    if (Character(f[i]) == kDle) {
      if (i + 1 >= f.size()) return 0;
      doubled = Character(f[i + 1]) == kDle;
      if (!doubled && lone) *lone = true;
    }
    if (k == 1) length = Character(f[i]);
    i += doubled ? 2 : 1;
    if (length >= 0 && k == size_t(length) + 1) return long(i);
  }
  return 0;
}

}  // namespace

int JapaneseFrameLength(const std::vector<uint8_t>& frame) {
  if (frame.empty() || frame[0] != kJapaneseFrameStart) return -1;

  const long end = DataEnd(frame);
  return end <= 0 ? 0 : int(end) + kTrailer;
}

std::optional<std::vector<uint8_t>> JapaneseFrameContent(const std::vector<uint8_t>& frame) {
  bool lone = false;
  const long end = DataEnd(frame, &lone);
  const int length = end > 0 ? int(end) + kTrailer : 0;
  if (frame.empty() || frame[0] != kJapaneseFrameStart || lone || length <= 0 || size_t(length) != frame.size())
    return std::nullopt;
  if (crc_itu16_calc(frame.data() + 2, length - 2, 0) != 0) return std::nullopt;
  const size_t body = size_t(length - 2);  // without the CRC
  for (size_t i = 0; i < body; ++i)
    if (std::popcount(unsigned(frame[i])) % 2 != 0) return std::nullopt;
  if (Character(frame[1]) != kSoh || Character(frame[3]) != kDle || Character(frame[4]) != kStx ||
      Character(frame[body - 2]) != kDle || Character(frame[body - 1]) != kEtx)
    return std::nullopt;
  std::vector<uint8_t> content;
  for (size_t i = 0; i < body; ++i) content.push_back(Character(frame[i]));
  return content;
}

}  // namespace device::audio
