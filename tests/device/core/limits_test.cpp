// The once-a-second message limit and the ring levels of devices that
// measure none, driven by hand-given times.
#include <gtest/gtest.h>

#include <QStringList>

#include <QTemporaryDir>

#include "device/control/builtin_control.h"
#include "device/core/error_limiter.h"
#include "device/core/ring_levels.h"
#include "support/control_events.h"
#include "support/manual_clock.h"

namespace device {
namespace {

TEST(ErrorLimiter, NoticesWaitInTheirOwnWordsErrorsAreCountedAndAGoneDeviceSaysTheRest) {
  QStringList out;
  ErrorLimiter limiter([&](const QString& t) { out << t; });
  const QString key = QStringLiteral("/run/devices/audio-a");
  const QString label = QStringLiteral("audio-a");
  for (int i = 0; i < 3; ++i) limiter.Notice(key, label, QStringLiteral("n%1").arg(i), 0);
  limiter.Report(key, label, QStringLiteral("e"), 10);
  // Ten waiting beyond the first: eight wait, two are counted.
  for (int i = 3; i < 11; ++i) limiter.Notice(key, label, QStringLiteral("n%1").arg(i), 20);
  const struct {
    qint64 at;
    const char* says;  // empty: nothing yet
  } steps[] = {
      {500, ""},
      {1000, "Cihaz audio-a: n1 (öncesinde 1 hata daha)"},
      {1999, ""},
      {2000, "Cihaz audio-a: n2"},
      {8000, "Cihaz audio-a: n8"},
      {9000, "Cihaz audio-a: 2 bildirim daha atlandı"},
      {10000, ""},
  };
  ASSERT_EQ(out, QStringList{QStringLiteral("Cihaz audio-a: n0")});
  int step = 0;
  for (const auto& s : steps) {
    // The steps between 2000 and 8000 pass n3 to n7.
    for (qint64 t = 3000; step == 4 && t < s.at; t += 1000) limiter.Flush(key, label, t);
    out.clear();
    limiter.Flush(key, label, s.at);
    EXPECT_EQ(out.join(u'|'), QString::fromUtf8(s.says)) << "at " << s.at;
    ++step;
  }
  limiter.Notice(key, label, QStringLiteral("x"), 10000);
  limiter.Notice(key, label, QStringLiteral("y"), 10000);
  out.clear();
  limiter.Forget(key, label);
  EXPECT_EQ(out, QStringList{QStringLiteral("Cihaz audio-a: y")});
}

// A notice that is already waiting in the same words is not queued again: a
// recording read in moments says each of its silent gaps, but not one a
// second long after it was read.
TEST(ErrorLimiter, ANoticeAlreadyWaitingInTheSameWordsIsNotRepeated) {
  QStringList out;
  ErrorLimiter limiter([&](const QString& t) { out << t; });
  const QString key = QStringLiteral("/run/devices/audio-gaps");
  const QString label = QStringLiteral("audio-gaps");
  for (const char* n : {"sessiz", "sessiz", "kırpılıyor", "sessiz", "kırpılıyor", "sessiz"})
    limiter.Notice(key, label, QString::fromUtf8(n), 0);
  const struct {
    qint64 at;
    const char* says;
  } steps[] = {{0, "Cihaz audio-gaps: sessiz"},
               {1000, "Cihaz audio-gaps: sessiz"},
               {2000, "Cihaz audio-gaps: kırpılıyor"},
               {3000, ""},
               {4000, ""}};
  for (const auto& s : steps) {
    if (s.at > 0) limiter.Flush(key, label, s.at);
    EXPECT_EQ(out.join(u'|'), QString::fromUtf8(s.says)) << "at " << s.at;
    out.clear();
  }
  // Said and no longer waiting, the same words may come again.
  limiter.Notice(key, label, QStringLiteral("sessiz"), 5000);
  EXPECT_EQ(out, QStringList{QStringLiteral("Cihaz audio-gaps: sessiz")});
}

// An entry whose target keeps changing between things that are refused gives
// a new refusal on every reading of the directory (each change is read at
// once); they share the device's one line a second with everything else it
// says.
TEST(ErrorLimiter, RefusalsOfAFlappingEntryKeepToOneLineASecond) {
  QTemporaryDir dir;
  test::ManualClock clock{1000};
  TBuiltinControl control({dir.path()}, clock);
  ASSERT_EQ(control.StartMonitoring(), S_OK);
  QStringList lines;
  const auto drain = [&] {
    QString v;
    while (Failed(control.GetInfo(QStringLiteral("serial"), &v))) lines << control.ErrorDescription();
  };
  QString error;
  for (int tick = 0; tick < 10; ++tick) {
    const QString target = tick % 2 ? QStringLiteral("/dev/null") : QStringLiteral("/dev/zero");
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("audio-x"), target, &error));
    testsupport::ProcessControlEvents();
    control.Tick();
    drain();
    clock.Advance(TBuiltinControl::kTickMs);
  }
  // Two seconds: a line each, and the count of those held back.
  ASSERT_GE(lines.size(), 2) << lines.join('\n').toStdString();
  EXPECT_LE(lines.size(), 3) << lines.join('\n').toStdString();
  EXPECT_TRUE(lines[0].contains(QStringLiteral("kayıt kullanılmadı"))) << lines[0].toStdString();
  EXPECT_TRUE(lines.join('\n').contains(QStringLiteral("hata daha"))) << lines.join('\n').toStdString();
}

TEST(RingLevels, ARingingLineReadsItsLevelForOneSecond) {
  RingLevels rings;
  EXPECT_EQ(rings.Ring(3, 100).levels, (std::array<int, 8>{0, 0, RingLevels::kLevel, 0, 0, 0, 0, 0}));
  EXPECT_EQ(rings.Ring(1, 600).levels[0], RingLevels::kLevel);
  const struct {
    qint64 at;
    bool ends;
    std::array<int, 8> levels;
  } ticks[] = {
      {1099, false, {}}, {1100, true, {RingLevels::kLevel, 0, 0, 0, 0, 0, 0, 0}}, {1599, false, {}}, {1600, true, {}},
      {5000, false, {}},
  };
  for (const auto& t : ticks) {
    LevelRecord levels;
    EXPECT_EQ(rings.Tick(t.at, &levels), t.ends) << t.at;
    if (t.ends) EXPECT_EQ(levels.levels, t.levels) << t.at;
  }
}

}  // namespace
}  // namespace device
