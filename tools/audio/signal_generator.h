#pragma once
// Line audio for tests, the simulator and the decoding benchmark: caller-ID
// bursts from spandsp's transmitters at a chosen level, white noise at a
// chosen level, ringing and quiet line. All 8 kHz mono 16-bit.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

namespace audiogen {

using device::audio::Standard;
using Samples = std::vector<int16_t>;

struct CallBurst {
  Standard standard = Standard::ClipV23;
  QString number;
  device::audio::CallerIdMessage::Absence absence = device::audio::CallerIdMessage::Absence::None;
  QString name;  // sent in the Turkish code page; not carried by DTMF or the Japanese layout
  int month = -1, day = -1, hour = -1, minute = -1;  // -1: no date/time field
  bool sdmf = false;             // ClipV23/Bell202: single-message layout (date/time and number only)
  bool dtmfHashVariant = false;  // ClipDtmf: "A<number>#" / "D1#" instead of "A<number>C" / "B10C"
};

// A call with its number (empty for none) and name, and the month, day and
// time of `sent` in its date/time field.
CallBurst MakeCallBurst(Standard standard, const QString& number, const QString& name, const QDateTime& sent);

// What the transmitter sends, checksum excluded: the FSK message bytes or the
// DTMF digit string.
QByteArray MessageBytes(const CallBurst& call);

// One caller-ID burst, preamble included, with the carrier (FSK) or each
// tone pair (DTMF) at `levelDbm0`. `corruptChecksum` makes the burst frame
// correctly but fail its checksum.
Samples CallerIdBurst(const CallBurst& call, double levelDbm0, bool corruptChecksum = false);

Samples Silence(double seconds);
// Ringing as a line coupler passes it to the sound card: the 25 Hz ringing
// voltage, flattened by the coupler's limiter, at `levelDbm0` (0 dBm0 by
// default, loud: the level bars show it near the top).
Samples Ring(double seconds, double levelDbm0 = 0.0);
// A steady sine, e.g. for talk-off and level checks.
Samples Tone(double hz, double seconds, double levelDbm0);

// Adds white Gaussian noise at `levelDbm0` (RMS over the whole band),
// saturating at full scale. The same seed gives the same noise.
void AddNoise(Samples& samples, double levelDbm0, int seed);
// Adds a constant offset, saturating.
void AddOffset(Samples& samples, int offset);
// Scales by `gain` and clips at full scale.
void Amplify(Samples& samples, double gain);
void Append(Samples& to, const Samples& from);

// RMS level in dBm0 (full-scale square wave = +6.16 dBm0).
double LevelDbm0(const int16_t* samples, size_t count);

// A call as a line delivers it: quiet line, a ring, the burst, quiet line,
// all under white noise `snrDb` below the burst level.
Samples CallOnLine(const CallBurst& call, double levelDbm0, double snrDb, int seed, bool withRing = true);

// Writes 16-bit PCM WAV; `channels` > 1 means `samples` is interleaved.
bool WriteWav(const QString& path, const Samples& samples, int channels = 1, int rate = 8000);
// Interleaves equally long mono signals (the shorter ones padded with silence).
Samples Interleave(const std::vector<Samples>& channels);

}  // namespace audiogen
