#include "device/audio/wav_header.h"

namespace device {

uint32_t WavU32(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t WavU16(const QByteArray& b, qint64 at) {
  const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
  return uint16_t(p[0] | p[1] << 8);
}

qint64 WalkRiffChunks(const QByteArray& head,
                      const std::function<bool(const QByteArray& id, qint64 body, uint32_t size)>& visit) {
  qint64 at = 12;
  while (at + 8 <= head.size()) {
    const uint32_t size = WavU32(head, at + 4);
    if (!visit(head.mid(at, 4), at + 8, size)) return at;
    at += 8 + qint64(size) + (size & 1);
  }
  return at;
}

bool FindRiffChunk(const QByteArray& head, const char* id, qint64* body, uint32_t* size) {
  bool found = false;
  WalkRiffChunks(head, [&](const QByteArray& chunk, qint64 at, uint32_t s) {
    if (chunk != id) return true;
    *body = at;
    *size = s;
    found = true;
    return false;
  });
  return found;
}

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

WavHeader::Result Fail(QString* error, const QString& text) {
  *error = text;
  return WavHeader::Result::Error;
}

// Reads a "fmt " chunk body of `size` bytes at `at`.
WavHeader::Result ReadFormat(const QByteArray& b, qint64 at, uint32_t size, WavFormat* f, QString* error) {
  if (size < 16) return Fail(error, QStringLiteral("WAV başlığında biçim bölümü kısa (%1 bayt)").arg(size));
  uint16_t tag = WavU16(b, at);
  const int channels = WavU16(b, at + 2);
  const uint32_t rate = WavU32(b, at + 4);
  const int bits = WavU16(b, at + 14);
  if (tag == kFormatExtensible) {
    if (size < 40) return Fail(error, QStringLiteral("WAV başlığında genişletilmiş biçim bölümü kısa"));
    tag = WavU16(b, at + 24);  // the first two bytes of the sub-format identifier
  }
  if (channels == 0) return Fail(error, QStringLiteral("WAV başlığında kanal sayısı 0"));
  if (channels > WavHeader::kMaxChannels)
    return Fail(error, QStringLiteral("WAV başlığında %1 kanal var; en çok %2 kanal okunur")
                           .arg(channels)
                           .arg(WavHeader::kMaxChannels));
  if (rate == 0) return Fail(error, QStringLiteral("WAV başlığında örnekleme hızı 0"));
  if (rate < uint32_t(WavHeader::kMinRate) || rate > uint32_t(WavHeader::kMaxRate))
    return Fail(error, QStringLiteral("WAV başlığında desteklenmeyen örnekleme hızı %1 Hz").arg(rate));
  if (tag == kFormatPcm && bits == 8)
    f->encoding = WavFormat::Encoding::Unsigned8;
  else if (tag == kFormatPcm && bits == 16)
    f->encoding = WavFormat::Encoding::Signed16;
  else if (tag == kFormatPcm && bits == 24)
    f->encoding = WavFormat::Encoding::Signed24;
  else if (tag == kFormatPcm && bits == 32)
    f->encoding = WavFormat::Encoding::Signed32;
  else if (tag == kFormatFloat && bits == 32)
    f->encoding = WavFormat::Encoding::Float32;
  else
    return Fail(error, QStringLiteral("WAV biçimi desteklenmiyor (biçim %1, %2 bit)").arg(tag).arg(bits));
  f->rate = int(rate);
  f->channels = channels;
  f->bytesPerFrame = channels * (bits / 8);
  return WavHeader::Result::Ok;
}

}  // namespace

WavHeader::Result WavHeader::Parse(const QByteArray& head, WavFormat* format, QString* error) {
  const qint64 n = head.size();
  if (n >= 4 && !head.startsWith("RIFF"))
    return Fail(error, QStringLiteral("WAV başlığı bozuk: akış \"RIFF\" ile başlamıyor"));
  if (n >= 12 && head.mid(8, 4) != "WAVE")
    return Fail(error, QStringLiteral("WAV başlığı bozuk: \"WAVE\" işareti yok"));
  if (n < 12) return Result::NeedMore;

  WavFormat f;
  bool haveFormat = false, done = false;
  Result result = Result::NeedMore;
  const qint64 stopped =
      WalkRiffChunks(head.left(kMaxHeaderBytes), [&](const QByteArray& id, qint64 body, uint32_t size) {
        if (id == "data") {
          done = true;
          if (!haveFormat) {
            result = Fail(error, QStringLiteral("WAV başlığı bozuk: ses verisi biçim bölümünden önce"));
            return false;
          }
          f.dataOffset = body;
          // Live writers cannot know the size and leave 0 or the largest value.
          f.dataBytes = size == 0 || size == 0xFFFFFFFFu ? -1 : qint64(size);
          *format = f;
          result = Result::Ok;
          return false;
        }
        if (id == "fmt ") {
          if (size > 1024) {
            done = true;
            result = Fail(error, QStringLiteral("WAV başlığı bozuk: biçim bölümü %1 bayt").arg(size));
            return false;
          }
          if (body + qint64(size) > n) {
            done = true;  // the rest of the format is still to come
            return false;
          }
          result = ReadFormat(head, body, size, &f, error);
          if (result != Result::Ok) {
            done = true;
            return false;
          }
          result = Result::NeedMore;
          haveFormat = true;
        }
        return true;  // other chunks (lists, facts, padding) are skipped
      });
  if (done) return result;
  if (stopped + 8 > kMaxHeaderBytes) return Fail(error, QStringLiteral("WAV başlığı çok uzun; ses verisi bulunamadı"));
  return Result::NeedMore;
}

}  // namespace device
