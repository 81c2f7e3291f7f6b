// Fuzz target: the WAV stream header parser must survive any bytes, never
// look past its bound, and agree with itself on where the samples start.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "device/audio/wav_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using device::WavHeader;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  device::WavFormat f;
  QString error;
  switch (WavHeader::Parse(bytes, &f, &error)) {
    case WavHeader::Result::Error:
      if (error.isEmpty() || error.size() > 200) abort();
      break;
    case WavHeader::Result::NeedMore:
      if (bytes.size() > WavHeader::kMaxHeaderBytes) abort();
      break;
    case WavHeader::Result::Ok: {
      if (f.rate < WavHeader::kMinRate || f.rate > WavHeader::kMaxRate) abort();
      if (f.channels < 1 || f.channels > WavHeader::kMaxChannels) abort();
      if (f.bytesPerFrame < f.channels || f.bytesPerFrame > 4 * f.channels) abort();
      if (f.dataOffset > bytes.size() || f.dataOffset > WavHeader::kMaxHeaderBytes) abort();
      if (f.dataBytes < -1) abort();
      // The header alone says the same; one byte less is not yet a header.
      device::WavFormat again;
      if (WavHeader::Parse(bytes.left(f.dataOffset), &again, &error) != WavHeader::Result::Ok ||
          again.dataOffset != f.dataOffset || again.rate != f.rate)
        abort();
      if (WavHeader::Parse(bytes.left(f.dataOffset - 1), &again, &error) == WavHeader::Result::Ok) abort();
      break;
    }
  }
  return 0;
}
