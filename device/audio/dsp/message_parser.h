#pragma once
// Turns a received caller-ID message into its fields. The FSK messages have
// passed their checksum before they get here; the parser still rejects any
// structure that does not add up (a field running past the end, a number
// that is not digits), so noise that happens to pass a checksum is no call.
#include <cstdint>
#include <optional>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

// `msg` is the message without its checksum: type, length and fields for
// ClipV23 and Bell202, the DLE-framed block for JapanV23.
std::optional<CallerIdMessage> ParseFskMessage(Standard standard, const uint8_t* msg, int len);

// A message that passed its checksum and is no call, when its layout holds
// together: message waiting (MDMF 0x82 with the visual indicator 0x0B, 0xFF
// on and 0x00 off; SDMF 0x06 with 0x42 three times on, 0x6F three times off),
// advice of charge (0x86), short message (0x89). `msg` as above.
std::optional<NonCallMessage> ParseFskNonCall(Standard standard, const uint8_t* msg, int len);

// The digits and letters of a DTMF message, start and end codes included:
// "A<number>C", "B00C"/"B10C" (unavailable/withheld), "A<number>#",
// "D1#"/"D2#"/"D3#" (withheld/international/unavailable).
std::optional<CallerIdMessage> ParseDtmfMessage(const char* digits, int len);

}  // namespace device::audio
