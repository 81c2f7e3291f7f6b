// Line-audio devices through the whole chain: an "audio-" entry pointing at
// generated audio, the reader and its thread, the decoders, the session and
// the control's events; bad streams give clear lines and never a call.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#include <thread>

#include "device/audio/audio_session.h"
#include "device/audio/audio_worker.h"
#include "device/audio/dsp/level_meter.h"
#include "device/control/builtin_control.h"
#include "device/directory/audio_target.h"
#include "device/event_log.h"
#include "support/control_events.h"
#include "support/manual_clock.h"
#include "support/recording_writer.h"
#include "support/session_probe.h"
#include "tools/audio/signal_generator.h"

namespace device {
namespace {

using audio::Standard;
using audiogen::CallBurst;
using audiogen::Samples;
using Absence = audio::CallerIdMessage::Absence;

using Sink = test::EventLog;

// A call on a quiet line, as a coupler hands it to the sound card.
Samples Line(const CallBurst& call, double levelDbm0 = -20) {
  Samples s = audiogen::CallOnLine(call, levelDbm0, 30, 7);
  audiogen::Append(s, audiogen::Silence(0.5));
  return s;
}

CallBurst Call(Standard standard, const QString& number, const QString& name = QString()) {
  return audiogen::MakeCallBurst(standard, number, name, QDateTime(QDate(2026, 12, 7), QTime(14, 5)));
}

class AudioDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(files.isValid());
    control = std::make_unique<TBuiltinControl>(QStringList{dir.path()}, clock, probe.Maker());
    control->Advise(&sink);
    ASSERT_EQ(control->StartMonitoring(), S_OK);
  }
  // Declares `entry` -> a file with these bytes.
  void Declare(const QString& entry, const QByteArray& bytes) {
    const QString path = files.filePath(entry + QStringLiteral(".wav"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    QString error;
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), entry, path, &error)) << error.toStdString();
  }
  void DeclareWav(const QString& entry, const Samples& samples, int channels = 1, int rate = 8000) {
    const QString path = files.filePath(entry + QStringLiteral(".wav"));
    ASSERT_TRUE(audiogen::WriteWav(path, samples, channels, rate));
    QString error;
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), entry, path, &error)) << error.toStdString();
  }
  // One control tick a little later; the audio thread runs on its own.
  void Step() {
    clock.Advance(100);
    control->Tick();
    testsupport::ProcessControlEvents();
  }
  bool StepUntil(const std::function<bool()>& done) {
    return QTest::qWaitFor(
        [&] {
          Step();
          return done();
        },
        10000);
  }
  bool CallsArrived(size_t n) {
    return StepUntil([&] { return sink.calls.size() >= n; });
  }
  // Message lines the control reported, each taken once.
  QStringList Errors() {
    QString v;
    while (Failed(control->GetInfo(QStringLiteral("serial"), &v))) reported << control->ErrorDescription();
    return reported;
  }
  bool ErrorArrives(const QString& part) {
    return StepUntil([&] { return Errors().join(QLatin1Char('\n')).contains(part); });
  }
  QString Model() {
    Errors();
    QString model;
    EXPECT_EQ(control->GetInfo(QStringLiteral("devicemodel"), &model), S_OK);
    return model;
  }
  // Runs until the file has been read to its end and the decoders flushed.
  void ReadToEnd() { ASSERT_TRUE(ErrorArrives(QStringLiteral("sonuna gelindi"))); }

  QTemporaryDir dir, files;
  test::ManualClock clock{1000};
  Sink sink;
  testsupport::SessionProbe probe;  // outlives the control
  std::unique_ptr<TBuiltinControl> control;
  QStringList reported;
};

TEST_F(AudioDeviceTest, EveryStandardBecomesOneCallWithTheMessagesFields) {
  struct Case {
    Standard standard;
    QString suffix;
    QString number;
    QString name;
    QString dateTime;
  };
  // The messages carry 7 December without a year: this year unless that lies ahead.
  const QDate today = QDate::currentDate();
  const QString year = QString::number(QDate(today.year(), 12, 7) > today.addDays(1) ? today.year() - 1 : today.year());
  const Case cases[] = {
      {Standard::ClipV23, QString(), QStringLiteral("05321234567"), QStringLiteral("ŞÜKRÜ ÇAĞLAR"),
       year + QStringLiteral("-12-07 14:05:00")},
      {Standard::Bell202, QStringLiteral(".bell"), QStringLiteral("2125551234"), QStringLiteral("JOHN DOE"),
       year + QStringLiteral("-12-07 14:05:00")},
      {Standard::ClipDtmf, QStringLiteral(".dtmf"), QStringLiteral("02165551234"), QString(), QString()},
      {Standard::JapanV23, QStringLiteral(".jclip"), QStringLiteral("0312345678"), QString(), QString()},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(audio::StandardName(c.standard).toStdString());
    DeclareWav(QStringLiteral("audio-l%1%2").arg(++n).arg(c.suffix), Line(Call(c.standard, c.number, c.name)));
    ASSERT_TRUE(CallsArrived(size_t(n)));
    const QStringList& args = sink.calls.back();  // OtherText, DateTime, PhoneNumber, Line, DeviceID
    EXPECT_EQ(args[0], c.name);
    if (!c.dateTime.isEmpty()) {
      EXPECT_EQ(args[1], c.dateTime);
    }
    EXPECT_EQ(args[2], c.number);
    EXPECT_EQ(args[3], QStringLiteral("1"));
    EXPECT_EQ(args[4], QStringLiteral("audio-l%1%2").arg(n).arg(c.suffix));
  }
  for (int i = 0; i < 20; ++i) Step();
  EXPECT_EQ(sink.calls.size(), std::size(cases)) << "one call per burst";
  EXPECT_EQ(Model(), QStringLiteral("Ses akışı, 1 hat"));
}

// What a coupler and a cheap sound card do to the line: mains hum 18 dB
// above the burst, and a clock 1 % off (tones and bit rate read 1 % high or
// low), through the entry, the reader, the worker and the control.
TEST_F(AudioDeviceTest, HumAndAnOffSoundCardStillGiveTheCall) {
  struct Row {
    const char* entry;
    Standard standard;
    double humHz, clock;
  };
  const Row rows[] = {
      {"audio-hum50", Standard::ClipV23, 50, 1.0},      {"audio-hum60.bell", Standard::Bell202, 60, 1.0},
      {"audio-hum50dtmf", Standard::ClipDtmf, 50, 1.0}, {"audio-fast", Standard::ClipV23, 0, 1.01},
      {"audio-slow.bell", Standard::Bell202, 0, 0.99},  {"audio-fastj", Standard::JapanV23, 0, 1.01},
      {"audio-fastdtmf", Standard::ClipDtmf, 50, 1.01}};
  size_t n = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.entry);
    const QString number = QStringLiteral("0532123456%1").arg(n);
    Samples s = Line(Call(r.standard, number), -24);
    if (r.humHz > 0) audiogen::AddHum(s, r.humHz, -24 + 18);
    if (r.clock != 1.0) s = audiogen::Resample(s, r.clock);
    DeclareWav(QString::fromLatin1(r.entry), s);
    ASSERT_TRUE(CallsArrived(++n));
    EXPECT_EQ(sink.calls.back()[2], number);
    EXPECT_EQ(sink.calls.back()[4], QString::fromLatin1(r.entry));
  }
  for (int i = 0; i < 20; ++i) Step();
  EXPECT_EQ(sink.calls.size(), std::size(rows)) << "one call per burst";
}

TEST_F(AudioDeviceTest, WithheldAndUnavailableNumbersReadAsTheirTexts) {
  CallBurst withheld = Call(Standard::ClipV23, QString());
  withheld.absence = Absence::Withheld;
  CallBurst unavailable = Call(Standard::ClipDtmf, QString());
  unavailable.absence = Absence::Unavailable;
  Samples both = Line(withheld);
  audiogen::Append(both, Line(unavailable));
  DeclareWav(QStringLiteral("audio-absent"), both);
  ASSERT_TRUE(CallsArrived(2));
  EXPECT_EQ(sink.calls[0][2], NumberWithheldText());
  EXPECT_EQ(sink.calls[1][2], NumberUnavailableText());
}

TEST_F(AudioDeviceTest, TwoLinesRingingAtOnceOnATwoChannelStreamAreTwoCallsOnTheirLines) {
  const Samples a = Line(Call(Standard::ClipV23, QStringLiteral("05551112233")));
  const Samples b = Line(Call(Standard::ClipV23, QStringLiteral("02124445566")));
  DeclareWav(QStringLiteral("audio-two"), audiogen::Interleave({a, b}), 2);
  ASSERT_TRUE(CallsArrived(2));
  std::map<QString, QString> byLine;
  for (const QStringList& c : sink.calls) byLine[c[3]] = c[2];
  EXPECT_EQ(byLine[QStringLiteral("1")], QStringLiteral("05551112233"));
  EXPECT_EQ(byLine[QStringLiteral("2")], QStringLiteral("02124445566"));
  EXPECT_EQ(Model(), QStringLiteral("Ses akışı, 2 hat"));
}

TEST_F(AudioDeviceTest, AnyDeclaredRateIsResampled) {
  // The same call written at 44.1 kHz (linear interpolation is plenty for
  // tones far below the new Nyquist frequency).
  const Samples at8k = Line(Call(Standard::ClipV23, QStringLiteral("05321234567")));
  Samples at44k;
  for (size_t i = 0; i + 1 < at8k.size(); ++i)
    for (int k = 0; k < 441; k += 80) at44k.push_back(int16_t(at8k[i] + (at8k[i + 1] - at8k[i]) * k / 441));
  Samples resampled;
  const double step = 8000.0 / 44100.0;
  for (double t = 0; t + 1 < double(at8k.size()); t += step) {
    const size_t i = size_t(t);
    resampled.push_back(int16_t(at8k[i] + (at8k[i + 1] - at8k[i]) * (t - double(i))));
  }
  DeclareWav(QStringLiteral("audio-cd"), resampled, 1, 44100);
  ASSERT_TRUE(CallsArrived(1));
  EXPECT_EQ(sink.calls[0][2], QStringLiteral("05321234567"));
}

// Recordings as recorders, exchanges and sound cards save them: each
// encoding, rate and channel count gives every line its call.
TEST_F(AudioDeviceTest, RecordingsInEveryEncodingGiveTheirCalls) {
  const struct {
    const char* what;
    int format, rate, lines;
  } cases[] = {
      {"ima", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 8000, 1}, {"msadpcm", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 11025, 1},
      {"alaw", SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1},     {"ulaw", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 2},
      {"float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2},  {"pcm24", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1},
      {"flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 16000, 2}, {"aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 1},
  };
  const QString numbers[] = {QStringLiteral("05321234567"), QStringLiteral("02125550011")};
  std::vector<Samples> lines;
  for (const QString& n : numbers) lines.push_back(Line(Call(Standard::ClipV23, n)));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    sink.calls.clear();
    const QString path = files.filePath(QString::fromLatin1(c.what));
    ASSERT_TRUE(testsupport::WriteRecording(path, std::vector<Samples>(lines.begin(), lines.begin() + c.lines), c.rate,
                                            c.format));
    const QString entry = QStringLiteral("audio-%1").arg(QString::fromLatin1(c.what));
    QString error;
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), entry, path, &error)) << error.toStdString();
    ASSERT_TRUE(CallsArrived(size_t(c.lines)));
    ReadToEnd();
    std::map<QString, QString> byLine;
    for (const QStringList& call : sink.calls) byLine[call[3]] = call[2];
    EXPECT_EQ(sink.calls.size(), size_t(c.lines));
    for (int l = 0; l < c.lines; ++l) EXPECT_EQ(byLine[QString::number(l + 1)], numbers[l]) << l;
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), entry, &error));
    Step();
    reported.clear();
  }
}

TEST_F(AudioDeviceTest, ChecksumFailureAndHalfAMessageAreLinesNeverCalls) {
  Samples s = audiogen::Silence(0.5);
  audiogen::Append(s, audiogen::CallerIdBurst(Call(Standard::ClipV23, QStringLiteral("05321234567")), -20, true));
  audiogen::Append(s, audiogen::Silence(9.0));  // each burst a call of its own
  const Samples burst = audiogen::CallerIdBurst(Call(Standard::ClipV23, QStringLiteral("05329876543")), -20);
  audiogen::Append(s, Samples(burst.begin(), burst.begin() + long(burst.size() / 2)));
  audiogen::AddNoise(s, -60, 3);
  DeclareWav(QStringLiteral("audio-bad"), s);
  ReadToEnd();
  for (int i = 0; i < 10; ++i) Step();
  const QString lines = Errors().join(QLatin1Char('\n'));
  EXPECT_TRUE(lines.contains(QStringLiteral("sağlama toplamı tutmadı"))) << lines.toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("sinyal sürerken kesildi"))) << lines.toStdString();
  EXPECT_TRUE(sink.calls.empty());
}

TEST_F(AudioDeviceTest, BrokenHeadersAreSaidAndGiveNoCall) {
  auto header = [](int channels, int rate, int bits, QByteArray tail, int tag = 1) {
    QByteArray h("RIFF\0\0\0\0WAVEfmt \x10\0\0\0", 20);
    h += char(tag), h += char(tag >> 8);
    h += char(channels), h += char(channels >> 8);
    for (int i = 0; i < 4; ++i) h += char(rate >> (8 * i));
    h += QByteArray(4, '\0');
    h += char(channels * bits / 8), h += '\0', h += char(bits), h += '\0';
    return h + "data" + QByteArray("\xff\xff\xff\xff", 4) + tail;
  };
  const struct {
    QByteArray bytes;
    QString says;
  } cases[] = {
      {QByteArray("ID3\x03 not a wave file at all"), QStringLiteral("biçimi okunamıyor: MP3")},
      {header(1, 0, 16, QByteArray(100, '\0')), QStringLiteral("örnekleme hızı 0")},
      {header(0, 8000, 16, QByteArray(100, '\0')), QStringLiteral("kanal sayısı 0")},
      {header(9, 8000, 16, QByteArray(100, '\0')), QStringLiteral("9 kanal")},
      {header(1, 8000, 16, QByteArray(100, '\0'), 0x0161),
       QStringLiteral("biçimi okunamıyor: WAV, WMA (biçim kodu 0x0161)")},
      {QByteArray("RIFF\0\0\0\0WAVEfmt ", 16), QStringLiteral("başlığı bitmeden kesildi")},
  };
  int n = 0;
  for (const auto& c : cases) Declare(QStringLiteral("audio-h%1").arg(++n), c.bytes);
  for (const auto& c : cases) EXPECT_TRUE(ErrorArrives(c.says)) << c.says.toStdString();
  for (int i = 0; i < 30; ++i) Step();
  EXPECT_TRUE(sink.calls.empty());
  EXPECT_EQ(probe.Linked(), std::size(cases)) << "a bad file stays linked, said once, not retried";
}

TEST_F(AudioDeviceTest, TruncatedStreamSilenceClippingAndOffsetAreSaidOnceAndGiveNoCall) {
  Samples call = Line(Call(Standard::ClipV23, QStringLiteral("05321234567")));
  // Declares more data than the file holds.
  {
    const QString path = files.filePath(QStringLiteral("cut.wav"));
    ASSERT_TRUE(audiogen::WriteWav(path, call));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.resize(f.size() - 4000);
    f.close();
    QString error;
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("audio-cut"), path, &error));
  }
  DeclareWav(QStringLiteral("audio-silent"), audiogen::Silence(12));
  Samples loud = audiogen::Tone(700, 3, 0);
  audiogen::Amplify(loud, 4.0);
  DeclareWav(QStringLiteral("audio-loud"), loud);
  Samples offset = audiogen::Silence(3);
  audiogen::AddNoise(offset, -60, 5);
  audiogen::AddOffset(offset, 6000);
  DeclareWav(QStringLiteral("audio-offset"), offset);

  EXPECT_TRUE(ErrorArrives(QStringLiteral("yarıda kesildi")));
  EXPECT_TRUE(ErrorArrives(QStringLiteral("hiç ses yok")));
  EXPECT_TRUE(ErrorArrives(QStringLiteral("ses kırpılıyor")));
  EXPECT_TRUE(ErrorArrives(QStringLiteral("doğru akım kayması")));
  for (int i = 0; i < 30; ++i) Step();
  const QString lines = Errors().join(QLatin1Char('\n'));
  EXPECT_EQ(lines.count(QStringLiteral("ses kırpılıyor")), 1) << lines.toStdString();
  EXPECT_EQ(lines.count(QStringLiteral("doğru akım kayması")), 1) << lines.toStdString();
  // The cut file still carried its whole burst before the cut.
  EXPECT_LE(sink.calls.size(), 1u);
  for (const QStringList& c : sink.calls) EXPECT_EQ(c[2], QStringLiteral("05321234567"));
}

// A recording read far faster than it plays: a line that stays silent but
// for short sounds is one silence, said once, and so is each silence after
// the line has carried sound for a while; the quiet the decoders are given
// after the end of the file is no silence of the line.
TEST_F(AudioDeviceTest, ARecordingsSilencesAreSaidOnceEachAndItsEndIsNoSilence) {
  const struct {
    int gaps;             // of 11 s of digital silence
    double soundBetween;  // seconds of tone after each gap
    double tailSeconds;   // silence at the end of the file
    int said;
  } cases[] = {
      {0, 0, 9.7, 0},                 // the tail falls short of 10 s
      {1, 1, 0, 1},   {6, 1, 0, 1},   // blips of sound do not end a silence
      {6, 1, 9.7, 1}, {2, 12, 0, 2},  // a silence, a long stretch of sound, a silence
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.gaps << " gaps, " << c.soundBetween << " s between");
    Samples s = audiogen::Tone(1000, 1, -30);
    for (int g = 0; g < c.gaps; ++g) {
      audiogen::Append(s, audiogen::Silence(11));
      audiogen::Append(s, audiogen::Tone(1000, c.soundBetween, -30));
    }
    audiogen::Append(s, audiogen::Silence(c.tailSeconds));
    const QString entry = QStringLiteral("audio-gaps%1").arg(++n);
    DeclareWav(entry, s);
    ReadToEnd();
    for (int i = 0; i < 100; ++i) Step();  // 10 s on: everything waiting has had its turn
    const QString lines = Errors().join(QLatin1Char('\n'));
    EXPECT_EQ(lines.count(QStringLiteral("hiç ses yok")), c.said) << lines.toStdString();
    QString error;
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), entry, &error));
    Step();
    reported.clear();
  }
}

TEST_F(AudioDeviceTest, LevelsFollowTheAudioAndAreRepeatedWhileLinked) {
  Samples s = audiogen::Silence(0.3);
  audiogen::Append(s, audiogen::Tone(1000, 60, -20));
  DeclareWav(QStringLiteral("audio-lv"), s);
  ASSERT_TRUE(StepUntil([&] { return !sink.levels.empty() && sink.levels.back()[7] != QStringLiteral("0"); }));
  const int level = sink.levels.back()[7].toInt();
  EXPECT_NEAR(level, audio::LevelMeter::LevelFromDbm0(-20), 3) << "channel 1 is the last argument";
  EXPECT_EQ(sink.levels.back()[0], QStringLiteral("0"));
  ReadToEnd();
  const size_t before = sink.levels.size();
  for (int i = 0; i < 12; ++i) Step();  // 1.2 s
  EXPECT_GE(sink.levels.size(), before + 2) << "at least twice a second";
  EXPECT_EQ(sink.levels.back()[7], QStringLiteral("0")) << "a finished file reads quiet";
}

TEST_F(AudioDeviceTest, LiveStreamThatGoesQuietIsSaidAndItsWriterLeavingDropsTheDevice) {
  const QString fifo = files.filePath(QStringLiteral("live"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QString error;
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("audio-live"), fifo, &error));
  Step();
  ASSERT_EQ(probe.Linked(), 1u) << "linked before any writer came";
  const int w = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
  ASSERT_GE(w, 0);
  QByteArray head(
      "RIFF\xff\xff\xff\xffWAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x80\x3e\0\0\x02\0\x10\0data\xff\xff\xff\xff", 44);
  head += QByteArray(1600, '\x01');  // 0.1 s of near silence
  ASSERT_EQ(::write(w, head.constData(), size_t(head.size())), head.size());
  ASSERT_TRUE(StepUntil([&] { return Model() == QStringLiteral("Ses akışı, 1 hat"); }));
  // Nothing more comes: said once when 5 s have passed on the control's clock.
  for (int i = 0; i < 40; ++i) Step();
  EXPECT_FALSE(Errors().join(QLatin1Char('\n')).contains(QStringLiteral("ses gelmiyor")));
  EXPECT_TRUE(ErrorArrives(QStringLiteral("5 saniyedir ses gelmiyor")));
  for (int i = 0; i < 10; ++i) Step();  // a second on: the error limit lets the next line through
  ::close(w);
  EXPECT_TRUE(ErrorArrives(QStringLiteral("yazan taraf kapattı")));
  ASSERT_TRUE(StepUntil([&] { return probe.Linked() == 0; }));
  EXPECT_TRUE(sink.calls.empty());
}

// The directory and cid-device-link accept a suffix exactly when the decoder
// knows a standard by it.
TEST(AudioEntryName, TheDirectorysSuffixesAreTheDecodersStandards) {
  for (Standard st : {Standard::ClipV23, Standard::ClipDtmf, Standard::Bell202, Standard::JapanV23}) {
    Standard read = Standard::Auto;
    const QString name = QStringLiteral("audio-line1.") + audio::StandardName(st).toUpper();
    EXPECT_TRUE(IsAudioStandardSuffix(AudioEntrySuffix(name))) << name.toStdString();
    EXPECT_TRUE(AudioSession::StandardOfEntry(name, &read) && read == st) << name.toStdString();
  }
  for (const char* name : {"audio-line1.v21", "audio-line1.auto"}) {
    Standard read = Standard::Auto;
    EXPECT_FALSE(IsAudioStandardSuffix(AudioEntrySuffix(QString::fromLatin1(name)))) << name;
    EXPECT_FALSE(AudioSession::StandardOfEntry(QString::fromLatin1(name), &read)) << name;
  }
}

// Far more calls than the audio thread may hold, back to back, from sources
// that can wait: every call arrives, at the pace of the control's own timer
// (the manual clock stands still, so no tick but the timer's takes them).
TEST_F(AudioDeviceTest, EveryCallOfALongRecordingArrivesFromAFileAndAnUnpacedFifo) {
  constexpr int kCalls = 300;
  Samples calls;
  for (int i = 0; i < kCalls; ++i) {
    audiogen::Append(calls,
                     audiogen::CallerIdBurst(
                         Call(Standard::ClipV23, QStringLiteral("0532%1").arg(i, 7, 10, QLatin1Char('0'))), -20));
    audiogen::Append(calls, audiogen::Silence(0.2));
  }
  const QString wav = files.filePath(QStringLiteral("many.wav"));
  ASSERT_TRUE(audiogen::WriteWav(wav, calls));
  QFile read(wav);
  ASSERT_TRUE(read.open(QIODevice::ReadOnly));
  const QByteArray bytes = read.readAll();
  const QString fifo = files.filePath(QStringLiteral("many.fifo"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

  for (const QString& target : {wav, fifo}) {
    SCOPED_TRACE(target.toStdString());
    sink.calls.clear();
    std::thread writer;
    if (target == fifo)
      writer = std::thread([&] {  // as fast as the pipe takes it
        const int w = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        for (qsizetype at = 0; w >= 0 && at < bytes.size();) {
          const ssize_t n = ::write(w, bytes.constData() + at, size_t(bytes.size() - at));
          if (n <= 0) break;
          at += n;
        }
        if (w >= 0) ::close(w);
      });
    QString error;
    ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("audio-many"), target, &error));
    control->Tick();
    (void)QTest::qWaitFor(
        [&] { return sink.calls.size() >= size_t(kCalls) || Errors().join(u'\n').contains(QStringLiteral("atlandı")); },
        60000);
    if (writer.joinable()) writer.join();
    for (int i = 0; i < 5; ++i) Step();
    std::set<QString> numbers;
    for (const QStringList& c : sink.calls) numbers.insert(c[2]);
    EXPECT_EQ(sink.calls.size(), size_t(kCalls));
    EXPECT_EQ(numbers.size(), size_t(kCalls));
    const QString lines = Errors().join(QLatin1Char('\n'));
    EXPECT_FALSE(lines.contains(QStringLiteral("atlandı"))) << lines.toStdString();
    ASSERT_TRUE(RemoveDeviceEntry(dir.path(), QStringLiteral("audio-many"), &error));
    Step();
    reported.clear();
  }
}

// A sound card cannot wait: when the window falls behind its oldest calls
// go, and every one of them is counted as a lost call, never as a notice.
class CardOfManyCalls : public AudioSource {
 public:
  explicit CardOfManyCalls(Samples samples) : samples_(std::move(samples)) {}
  bool Open(QString*) override { return true; }
  Status Read(int, int, std::vector<int16_t>& out, QString*) override {
    if (reads_++ == 0) {
      out = samples_;
      return Status::Data;
    }
    return Status::Ended;
  }
  int Channels() const override { return 1; }
  bool CanWait() const override { return false; }
  bool AllDecoded() const { return reads_ >= 2; }

 private:
  Samples samples_;
  std::atomic<int> reads_{0};
};

TEST(AudioWorkerQueue, ASoundCardsCallsBeyondTheQueueAreCountedAsLost) {
  constexpr int kCalls = 100;
  Samples calls;
  for (int i = 0; i < kCalls; ++i) {
    audiogen::Append(calls, audiogen::CallerIdBurst(Call(Standard::ClipV23, QStringLiteral("0212%1").arg(i)), -20));
    audiogen::Append(calls, audiogen::Silence(0.2));
  }
  // Time for the last burst to settle before the card ends.
  audiogen::Append(calls, audiogen::Silence(0.5));
  auto source = std::make_unique<CardOfManyCalls>(calls);
  const CardOfManyCalls* card = source.get();
  AudioWorker worker(std::move(source), Standard::ClipV23);
  worker.Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return card->AllDecoded(); }, 20000));
  AudioWorker::Snapshot s;
  int messages = 0, lost = 0, dropped = 0;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        worker.Take(&s);
        for (const AudioWorker::Event& e : s.events) messages += std::holds_alternative<AudioWorker::Message>(e);
        lost += s.lostCalls;
        dropped += s.dropped;
        return s.state != AudioWorker::State::Running;
      },
      20000));
  EXPECT_EQ(dropped, 0);
  EXPECT_EQ(messages, int(AudioWorker::kMaxQueued));
  EXPECT_EQ(messages + lost, kCalls);
}

TEST_F(AudioDeviceTest, UnknownSuffixAndUnsuitableTargetsAreRefused) {
  DeclareWav(QStringLiteral("audio-x.v21"), audiogen::Silence(1));
  EXPECT_TRUE(ErrorArrives(QStringLiteral("bilinmeyen standart eki")));
  QString error;
  ASSERT_TRUE(CreateDeviceEntry(dir.path(), QStringLiteral("audio-dir"), files.path(), &error));
  for (int i = 0; i < 5; ++i) Step();
  EXPECT_EQ(probe.Linked(), 0u);
}

}  // namespace
}  // namespace device
