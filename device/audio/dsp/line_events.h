#pragma once
// What a line watch (line_watch.h) reports of one telephone line: every
// signal on it that bears on caller ID, each burst with its figures, and a
// verdict per ring cycle. Plain values; positions are sample counts at 8 kHz
// from the start of the line's audio.
#include <QString>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "device/audio/dsp/caller_id_message.h"

namespace device::audio {

// A ring as a coupler passes it: a loud low-frequency signal, often clipped.
struct RingEvent {
  int64_t start = 0, end = 0;
  double levelDbm0 = 0;  // RMS over the ring, as the sound card delivers it
  bool clipped = false;  // the coupler's limiter or the card cut its peaks
  int64_t period = -1;   // from the previous ring's start in the same cycle; -1 for a cycle's first ring
  int ringInCycle = 1;   // 1 for the first ring of a cycle
};

// A line reversal (or another DC step on a quiet line): a click and a step.
struct ReversalEvent {
  int64_t at = 0;
  double step = 0;  // the DC step as a share of full scale, signed
};

// The dual-tone alerting signal an exchange sends before on-hook caller ID
// without ringing (or a call-waiting alert): 2130 + 2750 Hz.
struct AlertToneEvent {
  int64_t start = 0, end = 0;
  double levelDbm0 = 0;  // each tone's level, the louder one
  double twistDb = 0;    // 2750 Hz tone above the 2130 Hz one
};

// One DTMF digit of a caller-ID string.
struct DtmfDigitReport {
  char code = 0;
  int64_t on = 0, off = 0;
  double lowHz = 0, highHz = 0;      // each tone's measured frequency
  double lowDbm0 = 0, highDbm0 = 0;  // each tone's level
  double twistDb = 0;                // high tone above low tone
};

// What became of a burst the receivers framed.
enum class BurstFate {
  Decoded,         // a call (unless heard only as the other family, below)
  ChecksumFailed,  // framed whole with a clean carrier, the checksum failed
  CutOff,          // the carrier stopped before the message's length
  Unreadable,      // the carrier lasted, but too disturbed to read
  DigitsLost,      // DTMF: the digits' timing leaves room for a lost digit
  NoEndCode,       // DTMF: a start code and digits, never an end code
  NotFramed,       // a signal in the band like a burst that no receiver framed
};

// What the line did last before a burst, within a ring cycle's gap.
enum class Precursor { Nothing, Ring, Reversal, AlertTone };

struct BurstReport {
  Standard standard = Standard::Auto;  // as measured (the tones, the layout)
  QString layout;                      // "MDMF", "SDMF", "DLE" (Japanese), "A…C", "A…#", "D…#", "B…C"
  BurstFate fate = BurstFate::Decoded;
  std::optional<CallerIdMessage> message;  // the decoded fields (fate Decoded)
  // Heard while the device is fixed to the other family (DTMF on a line set
  // to FSK, or FSK on a line set to DTMF): never a call.
  bool otherFamily = false;

  int64_t start = 0, end = 0;  // the burst on the line: seizure to the last bit, first to last digit
  int64_t messageStart = 0;    // FSK: the first character after the mark run
  double levelDbm0 = 0;        // RMS over the burst
  double noiseDbm0 = -100;     // in-band RMS just before the burst
  double snrDb = 0;            // level less noise
  double humDbm0 = -100;       // below the telephone band over the burst: mains hum, the ring's tail
  double clippedPct = 0;       // share of the burst's samples the sound card cut at full scale
  // FSK figures; 0 where not measured.
  double markHz = 0, spaceHz = 0;
  double markOffsetPct = 0, spaceOffsetPct = 0;  // against the standard's nominal tones
  double bitRate = 0, bitRateOffsetPct = 0;
  double twistDb = 0;  // FSK: space level above mark; DTMF: median digit's high tone above low
  double seizureBits = 0, markBits = 0;
  int bytesRead = 0, bytesExpected = 0;  // FSK characters heard, and the message's length when known
  double quality = 0;                    // tone purity over the message, 0..1
  std::vector<DtmfDigitReport> digits;   // DTMF

  Precursor before = Precursor::Nothing;
  int64_t beforeEnd = -1;  // where the precursor ended; -1 for nothing
};

// Why caller ID did or did not arrive in a ring cycle.
enum class Diagnosis {
  Good,             // a call came
  NoCallerId,       // two rings and nothing before the first or between
  Hum,              // mains hum so loud the sound card clips the burst; figure: the hum's level, dBm0
  TooWeak,          // figure: the burst's level, dBm0
  TooNoisy,         // figure: SNR, dB
  OffFrequency,     // figure: the tone's offset, per cent
  OffSpeed,         // figure: the bit rate's offset, per cent
  Twist,            // figure: twist, dB
  CutOff,           // figure: characters (FSK) or digits (DTMF) heard
  ChecksumFailure,  // at a good level: a line fault or interference; figure: level, dBm0
  Distorted,        // a clean, strong carrier that still reads as nothing; figure: SNR, dB
  DigitsLost,       // DTMF digits with a gap for a lost one; figure: digits heard
  DtmfOnFskLine,    // DTMF heard while the device is fixed to FSK; figure: none
  FskOnDtmfLine,    // FSK heard while the device is fixed to DTMF; figure: none
};

struct CycleVerdict {
  int64_t at = 0;  // where the verdict was reached
  int rings = 0;   // rings heard in the cycle so far
  Diagnosis diagnosis = Diagnosis::Good;
  double figure = 0;
  std::optional<BurstReport> burst;  // the burst the verdict rests on, if any
  QString text;                      // one Turkish line; empty for Good
};

using WatchEvent = std::variant<RingEvent, ReversalEvent, AlertToneEvent, BurstReport, CycleVerdict>;

}  // namespace device::audio
