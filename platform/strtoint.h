#pragma once
// The platform's standard integer conversion.
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

// Reads text as a signed 32-bit integer: leading blanks skipped, an optional
// sign, decimal digits or hexadecimal after "$", "x" or "0x"; nothing may
// follow the digits. Returns nothing for text that does not read.
std::optional<int32_t> TryStrToInt(const QString& text);

// As TryStrToInt, raising EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const QString& text);

}  // namespace platform
