#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace platform {

const char* SystemCodePage() { return "WINDOWS-1254"; }

namespace {

// iconv descriptors are costly to open; keep one per direction. The mutex
// keeps them safe should a device thread ever convert text.
struct Converter {
  iconv_t cd;
  std::mutex lock;
  Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

Converter& ToAnsiConverter() {
  static Converter c(SystemCodePage(), "UTF-32LE");
  return c;
}
Converter& FromAnsiConverter() {
  static Converter c("UTF-32LE", SystemCodePage());
  return c;
}

// Converts one code point; returns false if the code page has no byte for it.
bool EncodeOne(Converter& c, char32_t cp, char* out) {
  char in[4] = {char(cp & 0xFF), char((cp >> 8) & 0xFF), char((cp >> 16) & 0xFF), char((cp >> 24) & 0xFF)};
  char* ip = in;
  size_t il = 4;
  char* op = out;
  size_t ol = 4;
  iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
  const size_t r = iconv(c.cd, &ip, &il, &op, &ol);
  return r != static_cast<size_t>(-1) && op - out == 1;
}

}  // namespace

QByteArray ToAnsi(const QString& wide) {
  QByteArray out;
  out.reserve(wide.size());
  Converter& c = ToAnsiConverter();
  std::lock_guard<std::mutex> guard(c.lock);
  const int n = static_cast<int>(wide.size());
  for (int i = 0; i < n; ++i) {
    const char16_t u = wide.at(i).unicode();
    if (u < 0x80) {  // ASCII maps to itself in every Windows code page
      out.append(char(u));
      continue;
    }
    char32_t cp = u;
    if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(wide.at(i + 1).unicode())) {
      cp = QChar::surrogateToUcs4(u, wide.at(i + 1).unicode());
      ++i;
    } else if (QChar::isSurrogate(u)) {
      out.append(kReplacementChar);
      continue;
    }
    char b[4];
    if (c.cd != reinterpret_cast<iconv_t>(-1) && EncodeOne(c, cp, b))
      out.append(b[0]);
    else
      out.append(kReplacementChar);
  }
  return out;
}

QString FromAnsi(const QByteArray& ansi) {
  QString out;
  out.reserve(ansi.size());
  Converter& c = FromAnsiConverter();
  std::lock_guard<std::mutex> guard(c.lock);
  for (char ch : ansi) {
    const unsigned char b = static_cast<unsigned char>(ch);
    if (b < 0x80) {
      out.append(QChar(b));
      continue;
    }
    char in[1] = {ch};
    char* ip = in;
    size_t il = 1;
    char buf[4];
    char* op = buf;
    size_t ol = 4;
    iconv(c.cd, nullptr, nullptr, nullptr, nullptr);
    if (c.cd != reinterpret_cast<iconv_t>(-1) && iconv(c.cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && op - buf == 4) {
      const char32_t cp = char32_t(uint8_t(buf[0])) | char32_t(uint8_t(buf[1])) << 8 | char32_t(uint8_t(buf[2])) << 16 |
                          char32_t(uint8_t(buf[3])) << 24;
      out.append(QString::fromUcs4(&cp, 1));
    } else {
      // Unassigned bytes of the code page map to the C1 control of that value,
      // as the platform does.
      out.append(QChar(b));
    }
  }
  return out;
}

QString ThroughCodePage(const QString& wide) { return FromAnsi(ToAnsi(wide)); }

}  // namespace platform
