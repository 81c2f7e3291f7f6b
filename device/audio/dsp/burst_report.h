#pragma once
// One caller-ID burst on a line, from the moment a receiver frames it to the
// verdict that rests on it: the receivers say what they made of it (its
// fate, the message, how much of it they heard), the burst meter adds what
// it measured on the line (levels, tones, rate, twist, preamble), the line
// watch what came before it. Each figure is written by one of them only; a
// figure that could not be measured, or does not apply to the standard, is
// empty rather than 0.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

// What became of a burst.
enum class BurstFate {
  Decoded,         // a call (unless heard only as the other family, below)
  NotACall,        // a message that passed its checksum and carries no call (message waiting, ...)
  ChecksumFailed,  // framed whole with a clean carrier, the checksum failed
  CutOff,          // the carrier stopped before the message's length
  Unreadable,      // the carrier lasted, but too disturbed to read
  DigitsLost,      // DTMF: the digits' timing leaves room for a lost digit
  NoEndCode,       // DTMF: a start code and digits, never an end code
  NotFramed,       // a signal in the band like a burst that no receiver framed
};
// Stable lower-case key of a fate, for scripts ("decoded", "not_a_call", ...).
QString BurstFateKey(BurstFate fate);

// What the line did last before a burst, within a ring cycle's gap.
enum class Precursor { Nothing, Ring, Reversal, AlertTone };
// "nothing", "ring", "reversal", "alert_tone".
QString PrecursorKey(Precursor precursor);

// One DTMF digit of a caller-ID string: the receiver times it, the meter
// measures its tones.
struct DtmfDigit {
  char code = 0;
  int64_t on = 0, off = 0;                  // sample positions the tone pair was heard from and to
  std::optional<double> lowHz, highHz;      // each tone's measured frequency
  std::optional<double> lowDbm0, highDbm0;  // each tone's level
  std::optional<double> twistDb;            // high tone above low tone
};

struct BurstReport {
  // Written by the receivers.
  Standard standard = Standard::Auto;  // as heard (the tones, the layout)
  BurstFate fate = BurstFate::Decoded;
  std::optional<CallerIdMessage> message;  // fate Decoded
  std::optional<NonCallMessage> nonCall;   // fate NotACall
  int64_t start = 0, end = 0;              // the burst on the line (the meter widens an FSK one to its seizure)
  int64_t messageStart = 0;                // FSK: the first character after the mark run
  uint8_t messageType = 0;                 // FSK: the first character (the layout)
  int bytesRead = 0, bytesExpected = 0;    // FSK characters heard with the carrier, and the message's length when known
  double quality = 0;                      // FSK tone purity over the message, 0..1
  std::optional<double> readingBitRate;    // FSK: the bit rate of the reading taken
  std::optional<double> readingMarkHz;     // FSK: the mark tone the receiver heard before the message
  std::vector<DtmfDigit> digits;           // DTMF: every digit from the start code on

  // Written by the line watch: heard while the device is fixed to the other
  // family (DTMF on a line set to FSK, or FSK on a line set to DTMF), never
  // a call; and what came before it.
  bool otherFamily = false;
  Precursor before = Precursor::Nothing;
  int64_t beforeStart = -1, beforeEnd = -1;  // where the precursor began and ended; -1 for nothing
  bool callWaiting = false;                  // after an alert tone with the line off hook: call-waiting caller ID

  // Written by the burst meter.
  QString layout;                         // "MDMF", "SDMF", "DLE" (Japanese), "A…C", "A…#", "D…#", "B…C"
  double levelDbm0 = 0;                   // RMS over the burst, the noise under it taken off
  std::optional<double> noiseDbm0;        // in-band RMS on the quiet line before the burst
  std::optional<double> snrDb;            // level less noise
  double humDbm0 = -100;                  // below the telephone band over the burst: mains hum, the ring's tail
  double clippedPct = 0;                  // share of the burst's samples the sound card cut at full scale
  std::optional<double> markHz, spaceHz;  // FSK tones
  std::optional<double> markOffsetPct, spaceOffsetPct;  // against the standard's nominal tones
  std::optional<double> bitRate, bitRateOffsetPct;
  std::optional<double> twistDb;  // FSK: space level above mark; DTMF: median digit's high tone above low
  std::optional<double> seizureBits, markBits;
  std::optional<double> toneOffsetPct;   // DTMF: the median digit's tone furthest off, per cent, signed
  std::optional<double> weakerToneDbm0;  // DTMF: the median digit's weaker tone

  // The digits a DTMF string carried, its start and end codes left out.
  int DigitCount() const;
};

}  // namespace device::audio
