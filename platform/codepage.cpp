#include "platform/codepage.h"

#include <iconv.h>

#include <QHash>
#include <array>

namespace platform {

const char* SystemCodePage() { return "WINDOWS-1254"; }

namespace {

// The code page's upper half, read once through iconv: the character of each
// byte 0x80..0xFF, and back. ASCII maps to itself in every Windows code page.
struct CodePageTable {
  std::array<char16_t, 128> toWide{};
  QHash<char16_t, char> toAnsi;

  CodePageTable() {
    iconv_t cd = iconv_open("UTF-16LE", SystemCodePage());
    for (int i = 0; i < 128; ++i) {
      const char byte = static_cast<char>(0x80 + i);
      // Unassigned bytes stand for the C1 control of that value, as the
      // platform shows them; they do not map back.
      toWide[i] = static_cast<char16_t>(0x80 + i);
      if (cd == reinterpret_cast<iconv_t>(-1)) continue;
      char in[1] = {byte};
      char out[4];
      char* ip = in;
      char* op = out;
      size_t il = 1, ol = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || op - out != 2) continue;
      const char16_t u = static_cast<char16_t>(uint8_t(out[0]) | uint8_t(out[1]) << 8);
      toWide[i] = u;
      toAnsi.insert(u, byte);
    }
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

const CodePageTable& Table() {
  static const CodePageTable table;
  return table;
}

}  // namespace

QByteArray ToAnsi(const QString& wide) {
  const CodePageTable& t = Table();
  QByteArray out;
  out.reserve(wide.size());
  const int n = static_cast<int>(wide.size());
  for (int i = 0; i < n; ++i) {
    const char16_t u = wide.at(i).unicode();
    if (u < 0x80) {
      out.append(char(u));
      continue;
    }
    // A surrogate pair is one character the code page cannot hold.
    if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(wide.at(i + 1).unicode())) ++i;
    out.append(t.toAnsi.value(u, kReplacementChar));
  }
  return out;
}

QString FromAnsi(const QByteArray& ansi) {
  const CodePageTable& t = Table();
  QString out;
  out.reserve(ansi.size());
  for (char ch : ansi) {
    const unsigned char b = static_cast<unsigned char>(ch);
    out.append(QChar(b < 0x80 ? char16_t(b) : t.toWide[b - 0x80]));
  }
  return out;
}

QString ThroughCodePage(const QString& wide) { return FromAnsi(ToAnsi(wide)); }

}  // namespace platform
