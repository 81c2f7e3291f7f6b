#pragma once
// Runs generated or recorded line audio through a LineDecoder.
#include <QFile>
#include <vector>

#include "device/audio/dsp/line_decoder.h"
#include "tools/audio/signal_generator.h"

namespace device::audio::testing {

using audiogen::Samples;

struct Decoded {
  std::vector<CallerIdMessage> calls;
  std::vector<ChecksumFailure> failures;
};

// The last FSK call or checksum failure among the settled bursts; standard
// Auto when there was none.
inline BurstReport LastFskBurst(const std::vector<BurstReport>& bursts) {
  for (auto it = bursts.rbegin(); it != bursts.rend(); ++it)
    if (it->standard != Standard::ClipDtmf && (it->fate == BurstFate::Decoded || it->fate == BurstFate::ChecksumFailed))
      return *it;
  return {};
}

// Feeds `s` in chunks of `chunk` samples, then a second of quiet line so
// every burst is settled.
inline Decoded Decode(const Samples& s, Standard standard = Standard::Auto, size_t chunk = 4000) {
  LineDecoder decoder(standard);
  std::vector<LineEvent> events;
  Samples all = s;
  audiogen::Append(all, audiogen::Silence(1.0));
  for (size_t i = 0; i < all.size(); i += chunk) decoder.Feed(all.data() + i, std::min(chunk, all.size() - i), events);
  Decoded d;
  for (const LineEvent& e : events) {
    if (const auto* c = std::get_if<CallerIdMessage>(&e))
      d.calls.push_back(*c);
    else
      d.failures.push_back(std::get<ChecksumFailure>(e));
  }
  return d;
}

// One channel of a 16-bit PCM WAV file written by the generator or sox.
inline Samples ReadWavChannel(const QString& path, int channel = 0, int* channels = nullptr) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  const QByteArray b = f.readAll();
  const int n = b.size() >= 24 ? uchar(b[22]) | uchar(b[23]) << 8 : 0;
  if (channels) *channels = n;
  const qsizetype data = b.indexOf("data");
  if (n <= 0 || data < 0) return {};
  Samples out;
  const auto* p = reinterpret_cast<const uchar*>(b.constData()) + data + 8;
  const qsizetype frames = (b.size() - data - 8) / (2 * n);
  for (qsizetype i = 0; i < frames; ++i) {
    const uchar* s = p + (i * n + channel) * 2;
    out.push_back(int16_t(s[0] | s[1] << 8));
  }
  return out;
}

}  // namespace device::audio::testing
