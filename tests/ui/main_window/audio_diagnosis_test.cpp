// Why caller ID did not arrive on an audio line, through the whole chain: the
// simulator's line faults written as a recording, an "audio-" entry, the
// built-in control behind the real host, and the window's rows, level bar
// and message area.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include "device/control/builtin_control.h"
#include "device/core/ring_cycles.h"
#include "device/fake_device.h"
#include "platform/application.h"
#include "support/manual_clock.h"
#include "support/recorded_tone.h"
#include "support/scoped_control_registration.h"
#include "tools/simulator/line_faults.h"
#include "tools/simulator/public_format.h"
#include "ui/main_window/form1.h"

namespace {

using audiogen::Samples;

// The simulator's call with `fault` on a line of the quiet noise it gives.
Samples FaultyCall(audiogen::Standard standard, const QString& number, const QString& fault, int seed) {
  sim::LineFaults faults;
  QString error;
  EXPECT_TRUE(faults.Add({fault}, &error)) << error.toStdString();
  audiogen::CallBurst call;
  call.standard = standard;
  call.number = number;
  Samples s = audiogen::Silence(0.5);
  audiogen::Append(s, sim::CallAudio(call, -20, 45, faults));
  audiogen::Append(s, audiogen::Silence(1.0));
  audiogen::AddNoise(s, sim::NoiseDbm0(-20, 45, faults), seed);
  // The recording stops on a quiet line, not in the middle of the noise.
  Samples tail = audiogen::Silence(0.5);
  audiogen::AddNoise(tail, -65, seed);
  audiogen::Append(s, tail);
  return s;
}

// One window with the built-in control on a device directory, driven by the
// manual clock; every line the message area is given is kept.
class AudioWindow {
 public:
  AudioWindow()
      : clock_(1000), registration_(device::CLSID_Tevra, [this](const QByteArray&) {
          auto c = std::make_unique<device::TBuiltinControl>(QStringList{dir_.path()}, clock_);
          control_ = c.get();
          return std::unique_ptr<device::ITevra>(std::move(c));
        }) {
    testsupport::SetToneRecorder([](int, int) {});
    form_ = std::make_unique<mainwindow::TForm1>();
    form_->Timer1->stop();
    form_->Timer2->stop();
    QObject::connect(form_->Memo2->document(), &QTextDocument::contentsChange, [this](int, int, int added) {
      if (added > 0) lines_ << form_->Memo2->document()->lastBlock().text();
    });
    form_->show();
  }
  ~AudioWindow() { testsupport::SetToneRecorder(nullptr); }

  bool Plug(const QString& entry, const std::vector<Samples>& lines) {
    const QString wav = files_.filePath(entry + QStringLiteral(".wav"));
    QString error;
    return audiogen::WriteWav(wav, audiogen::Interleave(lines), int(lines.size())) &&
           device::CreateDeviceEntry(dir_.path(), entry, wav, &error);
  }
  void Poll(int advanceMs = 100) {
    clock_.Advance(advanceMs);
    control_->Tick();
    platform::Guarded(form_->Timer1, [&] { form_->Timer1Timer(form_->Timer1); });
    QCoreApplication::processEvents();
  }
  // Polls until the recording has been read to its end (and what its end
  // settled has been taken), then another `settleMs` of the clock so that
  // what waits its turn in the message area is said too. `advanceMs`: the
  // clock's step while waiting.
  bool ReadToEnd(int settleMs, int advanceMs = 100) {
    const auto ended = [&] {
      for (const QString& l : lines_)
        if (l.contains(QStringLiteral("sonuna gelindi"))) return true;
      return false;
    };
    if (!QTest::qWaitFor(
            [&] {
              Poll(advanceMs);
              return ended();
            },
            20000))
      return false;
    for (int t = 0; t < settleMs; t += 100) Poll();
    return true;
  }
  int Rows() const { return form_->GridView1->RowCount(); }
  QString Number(int row) const { return form_->GridView1->Cell(4, row)->AsString(); }
  int Bar1() const { return form_->ProgressBar1->value(); }
  int Bar2() const { return form_->ProgressBar2->value(); }
  // The device's lines, without the time in front, but the one saying the
  // recording has been read.
  QStringList DeviceLines() const {
    QStringList out;
    for (const QString& l : lines_)
      if (const int at = l.indexOf(QStringLiteral("Cihaz ")); at >= 0 && !l.contains(QStringLiteral("sonuna gelindi")))
        out << l.mid(at);
    return out;
  }
  qint64 NowMs() const { return clock_.NowMs(); }
  QString Directory() const { return dir_.path(); }
  bool Connected() const { return form_->Label9->text() == QStringLiteral("Cihaz bağlı"); }

 private:
  QTemporaryDir dir_, files_;
  device::test::ManualClock clock_;
  device::TBuiltinControl* control_ = nullptr;
  testsupport::ScopedControlRegistration registration_;
  std::unique_ptr<mainwindow::TForm1> form_;
  QStringList lines_;
};

// Each fault the simulator puts on a line gives its own line in the message
// area, once, and no row; a call that arrives adds no line at all.
TEST(AudioDiagnosis, EachLineFaultIsSaidOnceInItsOwnWords) {
  using Std = audiogen::Standard;
  const struct {
    const char* fault;
    const char* suffix;  // of the entry: the standard the device is fixed to
    Std sent;            // what the line normally carries
    const char* says;    // empty: the call arrives
    const char* also;    // a bad-audio line said besides it, if any
  } cases[] = {
      {"none", ".clip", Std::ClipV23, "", nullptr},
      {"early", ".clip", Std::ClipV23, "", nullptr},
      {"weak", ".clip", Std::ClipV23, "çözülemedi: sinyal çok zayıf (-6", nullptr},
      {"noisy", ".clip", Std::ClipV23, "çözülemedi: hatta gürültü çok (SNR ", nullptr},
      {"hum", ".clip", Std::ClipV23, "çözülemedi: şebeke uğultusu ses kartını kırpıyor (uğultu 4,", "ses kırpılıyor"},
      {"fast-clock", ".clip", Std::ClipV23, "çözülemedi: hız kaymış (1260 bit/sn, yüzde +5,0", nullptr},
      {"fast-clock", ".dtmf", Std::ClipDtmf, "", nullptr},  // DTMF has no bit clock
      {"other-standard", ".clip", Std::ClipV23, "hatta DTMF arayan bilgisi var ama aygıt FSK'ya ayarlı", nullptr},
      {"other-standard", ".dtmf", Std::ClipDtmf, "hatta FSK arayan bilgisi var (clip) ama aygıt DTMF'e ayarlı",
       nullptr},
      {"no-cid", ".clip", Std::ClipV23, "çaldı ama arayan bilgisi gelmedi", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fault) + c.suffix);
    const bool arrives = *c.says == 0;
    AudioWindow w;
    ASSERT_TRUE(w.Plug(QStringLiteral("audio-f") + QString::fromLatin1(c.suffix),
                       {FaultyCall(c.sent, QStringLiteral("05321234567"), QString::fromLatin1(c.fault), 5)}));
    ASSERT_TRUE(w.ReadToEnd(2000)) << w.DeviceLines().join(u'\n').toStdString();
    QStringList said = w.DeviceLines();
    if (c.also) {
      EXPECT_EQ(said.filter(QString::fromUtf8(c.also)).size(), 1) << said.join(u'\n').toStdString();
      said = said.filter(QRegularExpression(QStringLiteral("^(?!.*%1)").arg(QString::fromUtf8(c.also))));
    }
    if (arrives) {
      ASSERT_EQ(w.Rows(), 1);
      EXPECT_EQ(w.Number(0), QStringLiteral("05321234567"));
      EXPECT_TRUE(said.isEmpty()) << said.join(u'\n').toStdString();
      continue;
    }
    EXPECT_EQ(w.Rows(), 0);
    if (said.size() != 1) {
      ADD_FAILURE() << said.join(u'\n').toStdString();
      continue;
    }
    EXPECT_TRUE(said[0].startsWith(QStringLiteral("Cihaz audio-f") + QString::fromLatin1(c.suffix) +
                                   QStringLiteral(": Hat 1: ")) ||
                said[0].startsWith(QStringLiteral("Cihaz audio-f") + QString::fromLatin1(c.suffix) +
                                   QStringLiteral(": Hat 1 çaldı")))
        << said[0].toStdString();
    EXPECT_TRUE(said[0].contains(QString::fromUtf8(c.says))) << said[0].toStdString();
  }
}

// A ring heard in the audio holds the line's bar up for a second from when
// the window learns of it, as a ring record does, though the recording has
// long been read (a read recording shows quiet lines).
TEST(AudioDiagnosis, ARingHoldsItsLinesBarUpForASecond) {
  Samples rang = audiogen::Silence(1.0);
  audiogen::Append(rang, audiogen::Ring(1.0, -3));
  audiogen::Append(rang, audiogen::Silence(4.0));
  audiogen::AddNoise(rang, -66, 3);
  Samples other = audiogen::Silence(6.0);
  audiogen::AddNoise(other, -66, 4);
  AudioWindow w;
  ASSERT_TRUE(w.Plug(QStringLiteral("audio-r"), {rang, other}));
  ASSERT_TRUE(w.ReadToEnd(0, 0));  // the clock stands still until the whole file is in
  const qint64 from = w.NowMs();
  EXPECT_GE(w.Bar1(), 48);
  while (w.NowMs() - from < 900) {
    w.Poll();
    ASSERT_GE(w.Bar1(), 48) << "after " << w.NowMs() - from << " ms";
  }
  for (int i = 0; i < 5; ++i) w.Poll();
  EXPECT_EQ(w.Bar1(), 0) << "the second is over";
  EXPECT_EQ(w.Bar2(), 0) << "the other line never rang";
}

}  // namespace

namespace {

// A voice modem and a unit of the public format ring twice with no caller
// ID while saying something else in the same second each time (a line it
// cannot read): the message limit lets one line a second through, and the
// no-caller-ID line must still reach the message area, once, in full.
TEST(AudioDiagnosis, NoCallerIdOfModemsAndUnitsSurvivesABusySecond) {
  const struct {
    const char* entry;
    std::function<std::unique_ptr<sim::Emulation>()> emulation;
    int line;  // the line the verdict names (0: a device of one line)
  } cases[] = {
      {"modem-m", [] { return sim::MakeModem(QStringLiteral("M5")); }, 0},
      {"lineunit-u", [] { return sim::MakePublicFormatUnit(2); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    AudioWindow w;
    device::test::FakeDevice unit(w.Directory(), QString::fromLatin1(c.entry), c.emulation());
    ASSERT_TRUE(unit.Plug());
    // A unit of the public format identifies with its first record: one
    // ring, whose cycle is long over when the test's rings come.
    if (c.line > 0) unit.Write(unit.Emulation().Ringing(2, 0));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          w.Poll();
          return w.Connected();
        },
        10000));
    for (int i = 0; i < 100; ++i) w.Poll();
    for (int ring = 0; ring < 2; ++ring) {
      unit.Write("\x01\x02 nothing to read\r\n");
      unit.Write(unit.Emulation().Ringing(c.line == 0 ? 1 : c.line, 0));
      for (int i = 0; i < 40; ++i) w.Poll();
    }
    for (int i = 0; i < 40; ++i) w.Poll();
    const QStringList said = w.DeviceLines().filter(device::NoCallerIdText(c.line));
    EXPECT_EQ(said.size(), 1) << w.DeviceLines().join(u'\n').toStdString();
  }
}

}  // namespace
