#pragma once
// The header of a WAV stream (RIFF/WAVE): what the samples are and where
// they start. Pure and bounded: it looks at most kMaxHeaderBytes into the
// stream, so a hostile or broken header costs nothing and cannot make the
// reader wait for ever. Streams written live (a FIFO) declare a data size of
// 0 or 0xFFFFFFFF: they run until the writer stops.
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

namespace device {

struct WavFormat {
  enum class Encoding { Unsigned8, Signed16, Signed24, Signed32, Float32 };
  Encoding encoding = Encoding::Signed16;
  int rate = 0;
  int channels = 0;
  int bytesPerFrame = 0;
  qint64 dataOffset = 0;  // where the samples start
  qint64 dataBytes = -1;  // declared size of the samples; -1 for an endless stream
};

class WavHeader {
 public:
  static constexpr qint64 kMaxHeaderBytes = 64 * 1024;
  static constexpr int kMaxChannels = 8;
  static constexpr int kMinRate = 1000;
  static constexpr int kMaxRate = 384000;

  enum class Result { NeedMore, Ok, Error };

  // Reads the header from the first bytes of the stream. NeedMore while the
  // bytes end before the samples start (and within kMaxHeaderBytes); Error
  // with a Turkish description for anything that is not a usable header.
  static Result Parse(const QByteArray& head, WavFormat* format, QString* error);
};

// The one walk over the chunks of a RIFF/WAVE head: calls visit(id, body,
// size) for each chunk whose 8-byte header lies within `head` (its body may
// not), in order, until visit returns false. Returns where the walk stopped:
// the start of the chunk visit stopped at, or of the first chunk header the
// head does not hold. Chunks are padded to even sizes.
qint64 WalkRiffChunks(const QByteArray& head,
                      const std::function<bool(const QByteArray& id, qint64 body, uint32_t size)>& visit);
// Where the chunk `id` starts (its body) and its declared size; false when
// the head does not hold its header.
bool FindRiffChunk(const QByteArray& head, const char* id, qint64* body, uint32_t* size);

// Little-endian fields of a RIFF header at byte `at` (the caller checks the size).
uint32_t WavU32(const QByteArray& b, qint64 at);
uint16_t WavU16(const QByteArray& b, qint64 at);

}  // namespace device
