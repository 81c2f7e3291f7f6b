#pragma once
// The caller-ID decoders the audio benchmarks compare, each run over the same
// 8 kHz audio and giving the calls it read: ours, spandsp's stock adsi_rx and
// minimodem (Bell 202 in its caller-ID mode, V.23 as a plain 1200-baud
// receiver on the V.23 tones whose bytes are framed here).
#include <QString>
#include <cstdint>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"
#include "tools/audio/signal_generator.h"

namespace bench {

// The block sizes a sound card, a FIFO and a file hand a decoder.
inline constexpr size_t kBlockSizes[] = {1, 37, 160, 800, 4096};

// How audio reaches our decoder: in blocks of one size, or, with a seed, in
// blocks whose sizes are drawn in turn from kBlockSizes.
struct Feeding {
  size_t block = 800;
  uint32_t seed = 0;
};

// Every event of our decoder (calls and checksum failures), in order.
std::vector<device::audio::LineEvent> OurEvents(const audiogen::Samples& s, device::audio::Standard st,
                                                const Feeding& feeding = {});
std::vector<device::audio::CallerIdMessage> OurCalls(const audiogen::Samples& s, device::audio::Standard st,
                                                     const Feeding& feeding = {});
std::vector<device::audio::CallerIdMessage> StockCalls(const audiogen::Samples& s, device::audio::Standard st);
// Write the audio as a WAV file in `dir` for minimodem to read.
std::vector<device::audio::CallerIdMessage> MinimodemBell202Calls(const audiogen::Samples& s, const QString& dir);
std::vector<device::audio::CallerIdMessage> MinimodemV23Calls(const audiogen::Samples& s, const QString& dir);
// The calls in what `minimodem --rx callerid` printed.
std::vector<device::audio::CallerIdMessage> MinimodemCalls(const QString& output);

}  // namespace bench
