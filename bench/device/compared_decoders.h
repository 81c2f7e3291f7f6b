#pragma once
// The caller-ID decoders the audio benchmarks compare, each run over the same
// 8 kHz audio and giving the calls it read: ours, spandsp's stock adsi_rx and
// minimodem's caller-ID mode (Bell 202 only).
#include <QString>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"
#include "tools/audio/signal_generator.h"

namespace bench {

std::vector<device::audio::CallerIdMessage> OurCalls(const audiogen::Samples& s, device::audio::Standard st);
std::vector<device::audio::CallerIdMessage> StockCalls(const audiogen::Samples& s, device::audio::Standard st);
// Writes the audio as a WAV file in `dir` for minimodem to read.
std::vector<device::audio::CallerIdMessage> MinimodemBell202Calls(const audiogen::Samples& s, const QString& dir);
// The calls in what `minimodem --rx callerid` printed.
std::vector<device::audio::CallerIdMessage> MinimodemCalls(const QString& output);

}  // namespace bench
