#include "platform/strtoint.h"

#include "platform/errors.h"

namespace platform {

std::optional<int32_t> TryStrToInt(const QString& text) {
  const int n = static_cast<int>(text.size());
  int i = 0;
  while (i < n && text.at(i) == QLatin1Char(' ')) ++i;
  bool negative = false;
  if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
    negative = text.at(i) == QLatin1Char('-');
    ++i;
  }
  bool hex = false;
  if (i < n && (text.at(i) == QLatin1Char('$') || text.at(i) == QLatin1Char('x') || text.at(i) == QLatin1Char('X'))) {
    hex = true;
    ++i;
  } else if (i + 1 < n && text.at(i) == QLatin1Char('0') &&
             (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
    hex = true;
    i += 2;
  }
  if (i >= n) return std::nullopt;
  uint64_t value = 0;
  for (; i < n; ++i) {
    const char16_t c = text.at(i).unicode();
    int digit;
    if (c >= u'0' && c <= u'9')
      digit = c - u'0';
    else if (hex && c >= u'a' && c <= u'f')
      digit = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F')
      digit = c - u'A' + 10;
    else
      return std::nullopt;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFull) return std::nullopt;
  }
  if (hex) {
    // Hexadecimal covers the 32-bit pattern: $FFFFFFFF reads as -1.
    const int32_t v = static_cast<int32_t>(static_cast<uint32_t>(value));
    return negative ? static_cast<int32_t>(0u - static_cast<uint32_t>(v)) : v;
  }
  if (negative) {
    if (value > 2147483648ull) return std::nullopt;
    return static_cast<int32_t>(-static_cast<int64_t>(value));
  }
  if (value > 2147483647ull) return std::nullopt;
  return static_cast<int32_t>(value);
}

int32_t StrToInt(const QString& text) {
  if (auto v = TryStrToInt(text)) return *v;
  throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

}  // namespace platform
