#include "device/audio/audio_signal_check.h"

#include <algorithm>
#include <cstdlib>

namespace device {

void AudioSignalCheck::Feed(const int16_t* samples, size_t count, QStringList& notices) {
  for (size_t i = 0; i < count; ++i) {
    const int s = samples[i];
    if (s >= 32767 || s <= -32767) ++clipped_;
    peak_ = std::max(peak_, std::abs(s));
    sum_ += s;
    ++n_;
    if (++filled_ == audio::kSampleRate) EndOfSecond(notices);
  }
}

void AudioSignalCheck::Rang(int64_t start, int64_t end) {
  std::erase_if(rings_, [&](const auto& r) { return end - r.second > 2 * kRingKnownSeconds * audio::kSampleRate; });
  rings_.push_back({start, end});
}

bool AudioSignalCheck::InRing(const Second& s) const {
  // The ring's first and last blocks reach a little past its timed edges.
  constexpr int64_t kMargin = audio::kSampleRate / 5;
  return std::any_of(rings_.begin(), rings_.end(), [&](const auto& r) {
    return s.start < r.second + kMargin && r.first - kMargin < s.start + audio::kSampleRate;
  });
}

void AudioSignalCheck::Flush(QStringList& notices) { JudgeClipping(n_, notices); }

void AudioSignalCheck::JudgeClipping(int64_t before, QStringList& notices) {
  while (!waiting_.empty() && waiting_.front().start <= before) {
    const Second s = waiting_.front();
    waiting_.pop_front();
    if (Update(clipping_, s.clipped && !InRing(s)))
      notices << QStringLiteral("Hat %1: ses kırpılıyor (seviye çok yüksek); arayan bilgisi bozulabilir").arg(line_);
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
  const int mean = int(sum_ / audio::kSampleRate);
  waiting_.push_back({n_ - audio::kSampleRate, clipped_ >= kClippedPerSecond});
  JudgeClipping(n_ - (kRingKnownSeconds + 1) * audio::kSampleRate, notices);
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
