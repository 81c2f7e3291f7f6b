#pragma once
// The ADSI standard spandsp knows each of ours by, for its field reader and
// its transmitters.
extern "C" {
#include <spandsp.h>
}

#include "device/audio/standard.h"

namespace device::audio {

inline int SpandspAdsiStandard(Standard standard) {
  switch (standard) {
    case Standard::Bell202: return ADSI_STANDARD_CLASS;
    case Standard::JapanV23: return ADSI_STANDARD_JCLIP;
    case Standard::ClipDtmf: return ADSI_STANDARD_CLIP_DTMF;
    case Standard::ClipV23:
    case Standard::Auto: break;
  }
  return ADSI_STANDARD_CLIP;
}

}  // namespace device::audio
