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

#include "device/audio/dsp/burst_report.h"

namespace device::audio {

// A ring as a coupler passes it: a loud low-frequency signal, often clipped.
struct RingEvent {
  int64_t start = 0, end = 0;
  double levelDbm0 = 0;      // RMS over the ring, as the sound card delivers it
  bool clipped = false;      // the coupler's limiter or the card cut its peaks
  std::optional<double> hz;  // the ringing voltage's frequency, where it could be told
  int64_t period = -1;       // from the previous ring's start in the same cycle; -1 for a cycle's first ring
  int ringInCycle = 1;       // 1 for the first ring of a cycle
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

// A call-progress tone the exchange sends (not caller ID): dial, busy,
// congestion or reorder, ringback. Heard before or between rings it says
// what the line was doing, and it is never taken for a failed burst.
enum class CallProgressTone { Dial, Busy, Reorder, Ringback };
// "dial", "busy", "reorder", "ringback".
QString CallProgressToneKey(CallProgressTone tone);
// The tone's Turkish name, as the verdicts and the line check say it.
QString CallProgressToneName(CallProgressTone tone);

struct CallProgressToneEvent {
  int64_t start = 0, end = 0;  // the first tone's start to the last one's end
  CallProgressTone tone = CallProgressTone::Dial;
  QString region;                // whose tone plan it matches, in Turkish ("Türkiye", "Avrupa", ...)
  double lowHz = 0;              // the tone, or the lower of a pair
  std::optional<double> highHz;  // the upper tone of a pair
  double levelDbm0 = 0;
  std::optional<double> onMs, offMs;  // the cadence; empty for a continuous tone
};

// Why caller ID did or did not arrive in a ring cycle, judged against the
// standard the burst was sent in, not against how far our receivers reach.
enum class Diagnosis {
  Good,              // a call came, every figure within the standard
  OutOfStandard,     // a call came, but a figure lies outside the standard (see `outside`)
  NoCallerId,        // rings, and no signal of a burst's length before the first or between
  Unframed,          // a signal of a burst's length that no receiver could frame; figure: SNR, dB
  TooWeak,           // figure: the burst's level, dBm0
  TooNoisy,          // figure: SNR, dB
  OffFrequency,      // figure: the tone's offset, per cent
  OffSpeed,          // figure: the bit rate's offset, per cent
  Twist,             // figure: twist, dB
  Hum,               // mains hum that clips the sound card or hides the burst; figure: the hum's level, dBm0
  CutOff,            // figure: characters (FSK) or digits (DTMF) heard
  ChecksumFailure,   // at a good level: a line fault or interference; figure: level, dBm0
  Distorted,         // a clean, strong carrier that still reads as nothing; figure: SNR, dB
  DigitsLost,        // DTMF digits with a gap for a lost one; figure: digits heard
  DtmfOnFskLine,     // DTMF heard while the device is fixed to FSK
  FskOnDtmfLine,     // FSK heard while the device is fixed to DTMF
  CallProgressTone,  // the exchange sent a call-progress tone, no caller ID
  NotACall,          // a message that carries no call (message waiting, ...)
};
// The stable key of a diagnosis, for scripts: "good", "out_of_standard",
// "no_caller_id", "unframed", "too_weak", "too_noisy", "off_frequency",
// "off_speed", "twist", "hum", "cut_off", "checksum", "distorted",
// "digits_lost", "dtmf_on_fsk_line", "fsk_on_dtmf_line",
// "call_progress_tone", "not_a_call".
QString DiagnosisKey(Diagnosis diagnosis);

// A figure of a burst the standard bounds.
enum class LimitedFigure { Level, Snr, MarkOffset, SpaceOffset, BitRate, Twist, Timing };
// "level", "snr", "mark_offset", "space_offset", "bit_rate", "twist", "timing".
QString LimitedFigureKey(LimitedFigure figure);

// One figure outside its standard's limits.
struct LimitBreach {
  LimitedFigure figure = LimitedFigure::Level;
  double value = 0;          // in the figure's unit: dBm0, dB, per cent, ms
  double low = 0, high = 0;  // the range the standard allows
  QString what;              // what was measured, in Turkish ("zil ile veri arası", "işaret tonu")
};

struct CycleVerdict {
  int64_t start = 0;  // the cycle's first ring or burst
  int64_t at = 0;     // where the verdict was reached
  int rings = 0;      // rings heard in the cycle so far
  Diagnosis diagnosis = Diagnosis::Good;
  std::optional<double> figure;               // the figure the cause names; empty where it names none
  std::vector<LimitBreach> outside;           // every figure of the burst outside its standard
  std::optional<BurstReport> burst;           // the burst the verdict rests on, if any
  std::optional<CallProgressToneEvent> tone;  // the exchange's tone a CallProgressTone verdict rests on
  QString text;                               // one short Turkish line: the line, the cause, its figure; empty for Good
  QString advice;                             // what to do about it, for the line check and the docs; may be empty
};

using WatchEvent =
    std::variant<RingEvent, ReversalEvent, AlertToneEvent, CallProgressToneEvent, BurstReport, CycleVerdict>;

}  // namespace device::audio
