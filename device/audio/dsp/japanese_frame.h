#pragma once
// The Japanese layout's frame as it goes on the line: DLE SOH, a header
// byte, DLE STX, the message type and length, the data, DLE ETX and a
// CRC-16 over everything from the header byte on, as sent. Every character
// before the CRC is 7 bits with even parity, and a DLE from the message
// type on is sent twice, so the data never holds a lone DLE.
#include <cstdint>
#include <optional>
#include <vector>

namespace device::audio {

// The first two characters, DLE SOH, with their parity bits.
inline constexpr uint8_t kJapaneseFrameStart = 0x90, kJapaneseFrameSecond = 0x81;

// The frame's length on the line, CRC included, from its first characters:
// 0 while they do not tell it yet, -1 when they cannot start a frame.
int JapaneseFrameLength(const std::vector<uint8_t>& frame);

// The frame of exactly JapaneseFrameLength characters: its CRC, its
// characters' parity and its fixed codes hold. Returns the frame without
// its CRC and with the parity bits cleared, for the parser (which reads the
// doubled DLEs as sent).
std::optional<std::vector<uint8_t>> JapaneseFrameContent(const std::vector<uint8_t>& frame);

}  // namespace device::audio
