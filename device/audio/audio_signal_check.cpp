#include "device/audio/audio_signal_check.h"

#include <cstdlib>

namespace device {

void AudioSignalCheck::Feed(const int16_t* samples, size_t count, QStringList& notices) {
  for (size_t i = 0; i < count; ++i) {
    const int s = samples[i];
    if (s >= 32767 || s <= -32767) ++clipped_;
    peak_ = std::max(peak_, std::abs(s));
    sum_ += s;
    if (++filled_ == kSecond) EndOfSecond(notices);
  }
}

bool AudioSignalCheck::Update(Episode& e, bool present) {
  if (present) {
    e.clean = 0;
    if (e.said) return false;
    e.said = true;
    return true;
  }
  if (e.said && ++e.clean >= kRearmSeconds) e.said = false;
  return false;
}

void AudioSignalCheck::EndOfSecond(QStringList& notices) {
  const int mean = int(sum_ / kSecond);
  if (Update(clipping_, clipped_ >= kClippedPerSecond))
    notices << QStringLiteral("Hat %1: ses kırpılıyor (seviye çok yüksek); arayan bilgisi bozulabilir").arg(line_);
  if (Update(offset_, std::abs(mean) >= kDcOffset))
    notices << QStringLiteral("Hat %1: ses sinyalinde doğru akım kayması var (ortalama %2); süzülerek çözülüyor")
                   .arg(line_)
                   .arg(mean);
  // A silence ends with sound that lasts, not with a click between silent
  // stretches (a recorder that gates the line writes those by the dozen).
  if (peak_ <= kSilentPeak) {
    soundSeconds_ = 0;
    if (++silentSeconds_ >= kSilentSeconds && !silenceSaid_) {
      silenceSaid_ = true;
      notices << QStringLiteral("Hat %1: %2 saniyedir hiç ses yok; hat bağlantısını denetleyin")
                     .arg(line_)
                     .arg(kSilentSeconds);
    }
  } else {
    silentSeconds_ = 0;
    if (silenceSaid_ && ++soundSeconds_ >= kRearmSeconds) silenceSaid_ = false;
  }
  filled_ = clipped_ = peak_ = 0;
  sum_ = 0;
}

}  // namespace device
