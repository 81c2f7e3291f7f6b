#include "device/audio/dsp/line_events.h"

namespace device::audio {

QString CallProgressToneKey(CallProgressTone tone) {
  switch (tone) {
    case CallProgressTone::Dial: return QStringLiteral("dial");
    case CallProgressTone::Busy: return QStringLiteral("busy");
    case CallProgressTone::Reorder: return QStringLiteral("reorder");
    case CallProgressTone::Ringback: return QStringLiteral("ringback");
  }
  return {};
}

QString CallProgressToneName(CallProgressTone tone) {
  switch (tone) {
    case CallProgressTone::Dial: return QStringLiteral("çevir sesi");
    case CallProgressTone::Busy: return QStringLiteral("meşgul sesi");
    case CallProgressTone::Reorder: return QStringLiteral("yoğunluk sesi");
    case CallProgressTone::Ringback: return QStringLiteral("çalıyor sesi");
  }
  return {};
}

QString DiagnosisKey(Diagnosis diagnosis) {
  switch (diagnosis) {
    case Diagnosis::Good: return QStringLiteral("good");
    case Diagnosis::OutOfStandard: return QStringLiteral("out_of_standard");
    case Diagnosis::NoCallerId: return QStringLiteral("no_caller_id");
    case Diagnosis::Unframed: return QStringLiteral("unframed");
    case Diagnosis::TooWeak: return QStringLiteral("too_weak");
    case Diagnosis::TooNoisy: return QStringLiteral("too_noisy");
    case Diagnosis::OffFrequency: return QStringLiteral("off_frequency");
    case Diagnosis::OffSpeed: return QStringLiteral("off_speed");
    case Diagnosis::Twist: return QStringLiteral("twist");
    case Diagnosis::Hum: return QStringLiteral("hum");
    case Diagnosis::CutOff: return QStringLiteral("cut_off");
    case Diagnosis::ChecksumFailure: return QStringLiteral("checksum");
    case Diagnosis::Distorted: return QStringLiteral("distorted");
    case Diagnosis::DigitsLost: return QStringLiteral("digits_lost");
    case Diagnosis::DtmfOnFskLine: return QStringLiteral("dtmf_on_fsk_line");
    case Diagnosis::FskOnDtmfLine: return QStringLiteral("fsk_on_dtmf_line");
    case Diagnosis::CallProgressTone: return QStringLiteral("call_progress_tone");
    case Diagnosis::NotACall: return QStringLiteral("not_a_call");
  }
  return {};
}

QString LimitedFigureKey(LimitedFigure figure) {
  switch (figure) {
    case LimitedFigure::Level: return QStringLiteral("level");
    case LimitedFigure::Snr: return QStringLiteral("snr");
    case LimitedFigure::MarkOffset: return QStringLiteral("mark_offset");
    case LimitedFigure::SpaceOffset: return QStringLiteral("space_offset");
    case LimitedFigure::BitRate: return QStringLiteral("bit_rate");
    case LimitedFigure::Twist: return QStringLiteral("twist");
    case LimitedFigure::Timing: return QStringLiteral("timing");
  }
  return {};
}

}  // namespace device::audio
