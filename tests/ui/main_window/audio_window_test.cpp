// The whole chain on line audio: an "audio-" entry with generated audio, the
// built-in control behind the real host, and the main window showing the
// calls, the device and the messages.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "device/control/builtin_control.h"
#include "platform/application.h"
#include "support/control_events.h"
#include "support/manual_clock.h"
#include "support/recorded_tone.h"
#include "support/scoped_control_registration.h"
#include "tools/audio/signal_generator.h"
#include "ui/main_window/form1.h"

namespace {

using audiogen::CallBurst;
using audiogen::Samples;

Samples Line(const QString& number, const QString& name, bool badChecksum = false) {
  CallBurst c;
  c.number = number;
  c.name = name;
  Samples s = audiogen::Silence(0.3);
  audiogen::Append(s, audiogen::Ring(1.0));
  audiogen::Append(s, audiogen::Silence(0.5));
  audiogen::Append(s, audiogen::CallerIdBurst(c, -25, badChecksum));
  audiogen::Append(s, audiogen::Silence(1.0));
  audiogen::AddNoise(s, -65, 11);
  return s;
}

TEST(AudioWindow, TwoLinesOfAudioBecomeRowsWithTheirLinesAndABadBurstAMessage) {
  QTemporaryDir dir, files;
  ASSERT_TRUE(dir.isValid() && files.isValid());
  device::test::ManualClock clock(1000);
  device::TBuiltinControl* control = nullptr;
  testsupport::ScopedControlRegistration registration(device::CLSID_Tevra, [&](const QByteArray&) {
    auto c = std::make_unique<device::TBuiltinControl>(QStringList{dir.path()}, clock);
    control = c.get();
    return std::unique_ptr<device::ITevra>(std::move(c));
  });
  QList<int> beeps;
  testsupport::SetToneRecorder([&](int hz, int) { beeps << hz; });
  auto form = std::make_unique<mainwindow::TForm1>();
  form->Timer1->stop();
  form->Timer2->stop();
  form->show();
  ASSERT_NE(control, nullptr);

  // The bad burst in a ring cycle of its own (rings more than 8 s apart).
  Samples line1 = Line(QStringLiteral("05321234567"), QStringLiteral("Ayşe Yılmaz"));
  audiogen::Append(line1, audiogen::Silence(9));
  audiogen::Append(line1, Line(QStringLiteral("05329999999"), QString(), true));
  const Samples line2 = Line(QStringLiteral("02124445566"), QString());
  const QString wav = files.filePath(QStringLiteral("two.wav"));
  ASSERT_TRUE(audiogen::WriteWav(wav, audiogen::Interleave({line1, line2}), 2));
  QString error;
  ASSERT_TRUE(device::CreateDeviceEntry(dir.path(), QStringLiteral("audio-two"), wav, &error));

  auto poll = [&] {
    clock.Advance(100);
    control->Tick();
    platform::Guarded(form->Timer1, [&] { form->Timer1Timer(form->Timer1); });
    testsupport::ProcessControlEvents();
  };
  auto memo = [&] { return form->Memo2->toPlainText(); };
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        poll();
        return form->GridView1->RowCount() == 2 && memo().contains(QStringLiteral("sağlama toplamı"));
      },
      10000))
      << memo().toStdString();
  std::map<QString, QString> byLine;
  for (int r = 0; r < 2; ++r) {
    byLine[form->GridView1->Cell(3, r)->AsString()] = form->GridView1->Cell(4, r)->AsString();
    EXPECT_EQ(form->GridView1->Cell(1, r)->AsString(), QStringLiteral("audio-two"));
  }
  EXPECT_EQ(byLine[QStringLiteral("1")], QStringLiteral("05321234567"));
  EXPECT_EQ(byLine[QStringLiteral("2")], QStringLiteral("02124445566"));
  EXPECT_EQ(beeps.size(), 2);
  for (int i = 0; i < 20; ++i) poll();
  EXPECT_EQ(form->GridView1->RowCount(), 2) << "the bad burst never became a row";
  EXPECT_EQ(form->Label9->text(), QStringLiteral("Cihaz bağlı"));
  EXPECT_TRUE(form->StatusBar1->currentMessage().contains(QStringLiteral("Ses akışı, 2 hat")))
      << form->StatusBar1->currentMessage().toStdString();
  testsupport::SetToneRecorder(nullptr);
}

}  // namespace
