#pragma once
// What each caller-ID standard guarantees a receiver: the range of every
// figure a line within the standard stays inside. The verdicts judge a
// burst by these, not by how far our receivers reach (they read far beyond
// them), so a line a unit holding only the standard may fail is never
// called good. The benchmarks draw their "inside", "edge" and "beyond"
// material from the same figures.
#include "device/audio/standard.h"

namespace device::audio {

struct Range {
  double low, high;
  constexpr bool Holds(double v) const { return v >= low && v <= high; }
};

struct LineLimits {
  // Level over the burst, dBm0 (for DTMF: each tone). The standards give the
  // level at the terminal; a coupler takes a few dB more, so the floor is
  // the standard's less 4 dB.
  Range levelDbm0;
  // In-band SNR over the burst, dB: the test conditions' 20 dB.
  double leastSnrDb;
  // Each tone's offset from nominal, per cent either way.
  double tonePct;
  // FSK bit rate's offset from 1200 bit/s, per cent either way; 0 for DTMF.
  double ratePct;
  // Twist: FSK the space tone above the mark, DTMF the high tone above the
  // low one, dB.
  Range twistDb;
  // FSK preamble, bits: the channel seizure when there is one (absent after
  // an alert tone, off hook), and the mark signal before the message.
  Range seizureBits, markBits;

  // A burst this much cut at full scale (the share the bad-audio check
  // calls clipping) is distorted whatever its other figures.
  static constexpr double kClippedPct = 1;
};

// V.23 (ETSI, Turkey and most of Europe; also the Japanese layout, with
// its own preamble), Bell 202, DTMF.
constexpr LineLimits LimitsOf(Standard standard) {
  switch (standard) {
    case Standard::Bell202:
      return {.levelDbm0 = {-40, -4},
              .leastSnrDb = 20,
              .tonePct = 1.0,
              .ratePct = 1.0,
              .twistDb = {-6, 10},
              .seizureBits = {96, 330},
              .markBits = {55, 205}};
    case Standard::ClipDtmf:
      return {.levelDbm0 = {-33, 1},
              .leastSnrDb = 20,
              .tonePct = 1.5,
              .ratePct = 0,
              .twistDb = {-8, 8},
              .seizureBits = {0, 0},
              .markBits = {0, 0}};
    case Standard::JapanV23: {
      // V.23 with its own preamble: no channel seizure, a shorter mark.
      LineLimits japan = LimitsOf(Standard::ClipV23);
      japan.seizureBits = {0, 0};
      japan.markBits = {50, 130};
      return japan;
    }
    case Standard::ClipV23:
    case Standard::Auto: break;
  }
  return {.levelDbm0 = {-40, -5},
          .leastSnrDb = 20,
          .tonePct = 1.5,
          .ratePct = 1.0,
          .twistDb = {-6, 6},
          .seizureBits = {96, 330},
          .markBits = {55, 205}};
}

}  // namespace device::audio
