#pragma once
// Line audio for tests, the simulator and the decoding benchmark: caller-ID
// bursts from spandsp's transmitters at a chosen level, white noise at a
// chosen level, ringing and quiet line. All 8 kHz mono 16-bit.
#include <QByteArray>
#include <QDateTime>
#include <QRandomGenerator>
#include <QString>
#include <cstdint>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

struct adsi_tx_state_s;

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
  // ClipDtmf: the number's start code ('A', or 'D' where exchanges use it),
  // and the redirecting number and information fields sent after the number
  // ("A<number>D<redirecting>B<info>C"; empty: not sent).
  char dtmfStart = 'A';
  QString dtmfRedirecting, dtmfInfo;
};

// A call with its number (empty for none) and name, and the month, day and
// time of `sent` in its date/time field.
CallBurst MakeCallBurst(Standard standard, const QString& number, const QString& name, const QDateTime& sent);

// A call drawn at random from what the layout can carry: a number of 3 to 20
// digits (or, now and then, its absence), for FSK a date and time and, for
// the layouts that carry one, a name of 1 to 20 characters from every
// printable character of the code page (printable ASCII on Bell 202 lines),
// not starting or ending with a space; DTMF in each of its layouts.
CallBurst RandomCall(Standard standard, QRandomGenerator& rng);

// What the transmitter sends, checksum excluded: the FSK message bytes or the
// DTMF digit string.
QByteArray MessageBytes(const CallBurst& call);

// One caller-ID burst, preamble included, with the carrier (FSK) or each
// tone pair (DTMF) at `levelDbm0`. `corruptChecksum` makes the burst frame
// correctly but fail its checksum.
Samples CallerIdBurst(const CallBurst& call, double levelDbm0, bool corruptChecksum = false);

// How a burst departs from the nominal signal, as real exchanges and lines
// do within (or just outside) the standards.
struct BurstShape {
  double bitRateFactor = 1.0;  // FSK: 1.01 sends 1212 bit/s
  double toneFactor = 1.0;     // FSK tones, or each DTMF tone, times this
  double spaceFactor = 1.0;    // FSK: the space tone alone, times this as well
  // FSK: the space tone this much above the mark, exactly at the two tones
  // sent (a line's tilt across the band); DTMF: the high tones above the low.
  double twistDb = 0.0;
  int seizureBits = -1;  // FSK preamble lengths; -1: the standard's own
  int markBits = -1;
  int dtmfToneMs = 70, dtmfGapMs = 70;  // DTMF digit and gap lengths
  // Where the burst starts, as shares of a turn: FSK the carrier's phase and
  // how much of the first bit has passed at the first sample; DTMF each
  // pair's phase.
  double carrierPhase = 0, bitPhase = 0;
  // FSK: the byte this far from the message's end (1: the checksum) sent
  // with these bits wrong, after the checksum was made.
  int wrongByte = 1;
  uint8_t wrongBits = 0;
};
Samples CallerIdBurst(const CallBurst& call, double levelDbm0, const BurstShape& shape);

Samples Silence(double seconds);
// Ringing as a line coupler passes it to the sound card: the 25 Hz ringing
// voltage, flattened by the coupler's limiter, at `levelDbm0` (0 dBm0 by
// default, loud: the level bars show it near the top).
Samples Ring(double seconds, double levelDbm0 = 0.0);
// A steady sine, e.g. for talk-off and level checks.
Samples Tone(double hz, double seconds, double levelDbm0);
// The dual-tone alert before on-hook caller ID without ringing: 2130 and
// 2750 Hz, each at `levelDbm0`, the upper one `twistDb` above it.
Samples AlertTone(double seconds = 0.09, double levelDbm0 = -20, double twistDb = 0);
// A line reversal from sample `at` on: the DC steps by `step` (a share of
// full scale, signed) and, through a sound card's coupling capacitor, decays
// back with the time constant `decayMs` (0: it stays).
void AddReversal(Samples& samples, size_t at, double step, double decayMs = 0);

// Adds white Gaussian noise at `levelDbm0` (RMS over the whole band),
// saturating at full scale. The same seed gives the same noise.
void AddNoise(Samples& samples, double levelDbm0, int seed);
// Adds white noise filtered to the telephone band (300-3400 Hz), at
// `levelDbm0` after filtering.
void AddBandNoise(Samples& samples, double levelDbm0, int seed);
// Mains hum as a coupler picks it up: the fundamental at `hz` and
// `levelDbm0`, its third and fifth harmonics `thirdDb` and `fifthDb` against
// it (transformer-coupled lines and cheap couplers carry them 10 to 20 dB
// down), starting `phase` turns in.
struct Hum {
  double hz = 50;
  double levelDbm0 = -20;
  double thirdDb = -12, fifthDb = -18;
  double phase = 0;
};
void AddHum(Samples& samples, const Hum& hum);
void AddHum(Samples& samples, double hz, double levelDbm0);
// A USB adapter's automatic gain at work: the gain swings `depthDb` either
// way, `hz` times a second, starting `phase` turns in.
void PumpGain(Samples& samples, double depthDb, double hz, double phase = 0);
// The gain is `db` higher from sample `from` to `to` (an automatic gain
// taking hold mid-burst and letting go after it), saturating.
void StepGain(Samples& samples, size_t from, size_t to, double db);
// What a sound card whose clock is off by `factor` (1.01: 1 % fast, so it
// takes 1 % more samples of the same audio and every frequency and rate
// reads 1 % low) delivers of `samples`.
Samples Resample(const Samples& samples, double factor);
// The telephone band (300-3400 Hz), and a long loop: the band plus a loss
// rising with frequency (6 dB more at 2200 Hz than at 1200 Hz, about 5 dB
// between the V.23 tones) and a low-pass edge near 3 kHz.
void TelephoneBand(Samples& samples);
void LongLoop(Samples& samples);
// Adds a constant offset, saturating.
void AddOffset(Samples& samples, int offset);
// Scales by `gain` and clips at full scale.
void Amplify(Samples& samples, double gain);
void Append(Samples& to, const Samples& from);

// The audio of a spandsp caller-ID transmitter that has its message put,
// to its end; frees the transmitter. For layouts the call bursts do not make.
Samples DrainAdsi(adsi_tx_state_s* tx);

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
