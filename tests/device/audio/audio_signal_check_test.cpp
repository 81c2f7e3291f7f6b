// What the bad-audio check says of a line, second by second: clipping once
// while it lasts (and not when only the rings clip, as through every
// coupler), a DC offset, a long silence.
#include <gtest/gtest.h>

#include "device/audio/audio_signal_check.h"

namespace device {
namespace {

constexpr int kSecond = audio::kSampleRate;

std::vector<int16_t> Clipped() {
  std::vector<int16_t> s(kSecond, 0);
  for (size_t i = 0; i < s.size(); i += 2) s[i] = 32767;
  return s;
}

std::vector<int16_t> Clean() {
  std::vector<int16_t> s(kSecond, 0);
  for (size_t i = 0; i < s.size(); ++i) s[i] = int16_t(i % 2 ? 300 : -300);
  return s;
}

int Said(const QStringList& notices, const char* what) {
  return int(std::count_if(notices.begin(), notices.end(),
                           [&](const QString& n) { return n.contains(QString::fromUtf8(what)); }));
}

TEST(AudioSignalCheck, EachConditionIsSaidOnceAndAgainOnlyAfterItWasGone) {
  AudioSignalCheck check(2);
  QStringList notices;
  const std::vector<int16_t> clipped = Clipped(), clean = Clean();
  for (int s = 0; s < 3; ++s) check.Feed(clipped.data(), clipped.size(), notices);
  for (int s = 0; s < AudioSignalCheck::kRearmSeconds - 1; ++s) check.Feed(clean.data(), clean.size(), notices);
  check.Feed(clipped.data(), clipped.size(), notices);
  check.Flush(notices);
  EXPECT_EQ(Said(notices, "Hat 2: ses kırpılıyor"), 1) << "not gone long enough to be said again";
  EXPECT_EQ(Said(notices, "doğru akım kayması"), 1);  // the half-full-scale mean
  for (int s = 0; s < AudioSignalCheck::kRearmSeconds; ++s) check.Feed(clean.data(), clean.size(), notices);
  check.Feed(clipped.data(), clipped.size(), notices);
  check.Flush(notices);
  EXPECT_EQ(Said(notices, "ses kırpılıyor"), 2);
  const std::vector<int16_t> silent(size_t(kSecond) * AudioSignalCheck::kSilentSeconds * 2, 1);
  notices.clear();
  check.Feed(silent.data(), silent.size(), notices);
  EXPECT_EQ(Said(notices, "hiç ses yok"), 1);
}

// Rings clip through a coupler on every call: only clipping outside them
// is worth a line.
TEST(AudioSignalCheck, ClippingInsideTheRingsIsNotSaid) {
  const struct {
    const char* label;
    int64_t ringFrom, ringTo;  // seconds; the line clips in seconds 2 and 3
    int said;
  } cases[] = {{"no ring", 0, 0, 1}, {"a ring over the clipping", 2, 4, 0}, {"a ring elsewhere", 8, 9, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    AudioSignalCheck check(1);
    QStringList notices;
    const std::vector<int16_t> clipped = Clipped(), clean = Clean();
    for (int s = 0; s < 12; ++s) {
      const std::vector<int16_t>& second = s == 2 || s == 3 ? clipped : clean;
      check.Feed(second.data(), second.size(), notices);
      // The watch tells of a ring when it has ended.
      if (c.ringTo > c.ringFrom && s == c.ringTo) check.Rang(c.ringFrom * kSecond, c.ringTo * kSecond);
    }
    check.Flush(notices);
    EXPECT_EQ(Said(notices, "ses kırpılıyor"), c.said) << notices.join('\n').toStdString();
  }
}

}  // namespace
}  // namespace device
