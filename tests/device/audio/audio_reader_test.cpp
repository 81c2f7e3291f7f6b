// The line-audio readers on their own: the WAV header, sample encodings and
// rates, a live stream through a FIFO, and ALSA capture from a WAV file made
// a capture device by a private ALSA configuration.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "device/audio/alsa_capture_reader.h"
#include "device/audio/audio_library_words.h"
#include "device/audio/audio_signal_check.h"
#include "device/audio/rate_converter.h"
#include "device/audio/recording_reader.h"
#include "device/audio/wav_header.h"
#include "device/audio/wav_stream_reader.h"
#include "device/core/system_words.h"
#include "support/manual_clock.h"

namespace device {
namespace {

void U16(QByteArray& b, int v) { b += char(v), b += char(v >> 8); }
void U32(QByteArray& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b += char(v >> (8 * i));
}

// A WAV header; dataBytes 0xFFFFFFFF for a live stream.
QByteArray Header(int tag, int channels, int rate, int bits, uint32_t dataBytes, const QByteArray& extra = {}) {
  QByteArray h("RIFF");
  U32(h, 0xFFFFFFFF);
  h += "WAVE" + extra + "fmt ";
  U32(h, 16);
  U16(h, tag);
  U16(h, channels);
  U32(h, uint32_t(rate));
  U32(h, uint32_t(rate * channels * bits / 8));
  U16(h, channels * bits / 8);
  U16(h, bits);
  h += "data";
  U32(h, dataBytes);
  return h;
}

TEST(WavHeader, ReadsFormatsSkipsOtherChunksAndKnowsLiveStreams) {
  WavFormat f;
  QString error;
  QByteArray list("LIST");
  U32(list, 5);
  list += QByteArray(6, 'x');  // odd size, padded
  const QByteArray h = Header(1, 2, 44100, 16, 1000, list);
  ASSERT_EQ(WavHeader::Parse(h, &f, &error), WavHeader::Result::Ok) << error.toStdString();
  EXPECT_EQ(f.rate, 44100);
  EXPECT_EQ(f.channels, 2);
  EXPECT_EQ(f.bytesPerFrame, 4);
  EXPECT_EQ(f.dataOffset, h.size());
  EXPECT_EQ(f.dataBytes, 1000);
  for (qsizetype cut = 0; cut < h.size(); ++cut)
    ASSERT_EQ(WavHeader::Parse(h.left(cut), &f, &error), WavHeader::Result::NeedMore) << cut;

  ASSERT_EQ(WavHeader::Parse(Header(3, 1, 8000, 32, 0xFFFFFFFF), &f, &error), WavHeader::Result::Ok);
  EXPECT_EQ(f.encoding, WavFormat::Encoding::Float32);
  EXPECT_EQ(f.dataBytes, -1);
  ASSERT_EQ(WavHeader::Parse(Header(1, 1, 8000, 8, 0), &f, &error), WavHeader::Result::Ok);
  EXPECT_EQ(f.encoding, WavFormat::Encoding::Unsigned8);
  EXPECT_EQ(f.dataBytes, -1);
}

TEST(WavHeader, RefusesWhatCannotBeRead) {
  const struct {
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {"RIFX", "RIFF"},
      {QByteArray("RIFF\0\0\0\0AVI ", 12), "WAVE"},
      {Header(1, 1, 0, 16, 0), "hızı 0"},
      {Header(1, 0, 8000, 16, 0), "kanal sayısı 0"},
      {Header(1, 9, 8000, 16, 0), "9 kanal"},
      {Header(1, 1, 8000, 12, 0), "desteklenmiyor"},
      {Header(2, 1, 8000, 4, 0), "desteklenmiyor"},
      {QByteArray("RIFF\0\0\0\0WAVEdata\0\0\0\0", 20), "biçim bölümünden önce"},
  };
  for (const auto& c : cases) {
    WavFormat f;
    QString error;
    EXPECT_EQ(WavHeader::Parse(c.bytes, &f, &error), WavHeader::Result::Error) << c.says;
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
  }
  // Chunks that never end in samples: refused once past the bound, not waited for.
  QByteArray endless("RIFF\0\0\0\0WAVE", 12);
  while (endless.size() < WavHeader::kMaxHeaderBytes + 16) {
    endless += "junk";
    U32(endless, 1000);
    endless += QByteArray(1000, '\0');
  }
  WavFormat f;
  QString error;
  EXPECT_EQ(WavHeader::Parse(endless, &f, &error), WavHeader::Result::Error);
}

// Reads a source until it ends; returns the frames.
std::vector<int16_t> ReadAll(AudioSource& source, AudioSource::Status* end, QString* message,
                             QStringList* notes = nullptr) {
  std::vector<int16_t> out;
  for (int i = 0; i < 10000; ++i) {
    const AudioSource::Status s = source.Read(-1, 1000, out, message);
    if (const QString note = source.TakeNote(); notes && !note.isEmpty()) *notes << note;
    if (s == AudioSource::Status::Ended || s == AudioSource::Status::Failed) {
      *end = s;
      return out;
    }
  }
  *end = AudioSource::Status::Idle;
  return out;
}

class WavReaderTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("f%1.wav").arg(++n));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
  }
  QTemporaryDir dir;
  int n = 0;
};

TEST_F(WavReaderTest, EncodingsBecomeSixteenBitAndExtraChannelsAreDropped) {
  QByteArray u8 = Header(1, 1, 8000, 8, 3);
  u8 += char(0x80), u8 += char(0xFF), u8 += char(0x00);
  QByteArray f32 = Header(3, 1, 8000, 32, 20);
  for (float v : {0.5f, -1.0f, NAN, INFINITY, -INFINITY}) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    U32(f32, bits);
  }
  QByteArray six = Header(1, 6, 8000, 16, 24);
  for (int frame = 0; frame < 2; ++frame)
    for (int c = 1; c <= 6; ++c) U16(six, c * 100 + frame);
  const struct {
    QByteArray bytes;
    std::vector<int16_t> frames;
    int channels;
  } cases[] = {
      {u8, {0, 32512, -32768}, 1},
      {f32, {16384, -32768, 0, 32767, -32768}, 1},
      {six, {100, 200, 300, 400, 101, 201, 301, 401}, 4},
  };
  for (const auto& c : cases) {
    WavStreamReader r(Write(c.bytes));
    QString message;
    ASSERT_TRUE(r.Open(&message));
    AudioSource::Status end;
    EXPECT_EQ(ReadAll(r, &end, &message), c.frames);
    EXPECT_EQ(end, AudioSource::Status::Ended);
    EXPECT_TRUE(r.EndedWhole()) << message.toStdString();
    EXPECT_EQ(r.Channels(), c.channels);
  }
}

// An infinite sample is one clipped at full scale, and the bad-audio check
// says so; a sample that is no number is none.
TEST(RateConverter, InfiniteSamplesAreClippingNotSilence) {
  for (const auto& [bad, said] : {std::pair{INFINITY, 1}, {-INFINITY, 1}, {NAN, 0}}) {
    std::vector<float> in(2 * 8000, 0.01f);
    for (size_t i = 0; i < in.size(); i += 50) in[i] = bad;
    RateConverter converter;
    QString error;
    ASSERT_TRUE(converter.Start(8000, 1, &error));
    std::vector<int16_t> out;
    converter.Convert(in.data(), long(in.size()), out);
    AudioSignalCheck check(1);
    QStringList notices;
    check.Feed(out.data(), out.size(), notices);
    check.Flush(notices);
    EXPECT_EQ(notices.filter(QStringLiteral("ses kırpılıyor")).size(), said) << bad;
  }
}

TEST_F(WavReaderTest, OtherRatesAreResampledToEightKilohertz) {
  for (int rate : {11025, 16000, 48000}) {
    QByteArray w = Header(1, 1, rate, 16, uint32_t(rate * 2));
    for (int i = 0; i < rate; ++i) U16(w, int(8000 * std::sin(2 * M_PI * 1000.0 * i / rate)));  // one second of 1 kHz
    WavStreamReader r(Write(w));
    QString message;
    ASSERT_TRUE(r.Open(&message));
    AudioSource::Status end;
    const std::vector<int16_t> out = ReadAll(r, &end, &message);
    EXPECT_NEAR(double(out.size()), 8000, 40) << rate;
    // Still a 1 kHz sine of the same size: at 8 kHz, samples two apart have opposite signs... check its power.
    double power = 0;
    for (size_t i = 1000; i < 7000; ++i) power += double(out[i]) * out[i];
    EXPECT_NEAR(std::sqrt(power / 6000), 8000 / std::sqrt(2.0), 300) << rate;
  }
}

TEST_F(WavReaderTest, LiveStreamFromAFifoArrivesInPiecesAndEndsWithItsWriter) {
  const QString path = dir.filePath(QStringLiteral("live"));
  ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  WavStreamReader r(path);
  QString message;
  ASSERT_TRUE(r.Open(&message)) << "opening never waits for the writer";
  std::vector<int16_t> out;
  EXPECT_EQ(r.Read(-1, 10, out, &message), AudioSource::Status::Idle) << "no writer yet";
  const int w = ::open(QFile::encodeName(path).constData(), O_WRONLY);
  ASSERT_GE(w, 0);
  QByteArray stream = Header(1, 1, 8000, 16, 0xFFFFFFFF);
  for (int i = 0; i < 5; ++i) U16(stream, i * 1000);
  // The header and the samples cut at odd places, each piece read as it comes.
  for (qsizetype at = 0; at < stream.size(); at += 7) {
    const size_t piece = size_t(std::min<qsizetype>(7, stream.size() - at));
    ASSERT_EQ(::write(w, stream.constData() + at, piece), ssize_t(piece));
    ASSERT_EQ(r.Read(-1, 1000, out, &message), AudioSource::Status::Data) << message.toStdString();
  }
  ::close(w);
  AudioSource::Status end;
  const std::vector<int16_t> rest = ReadAll(r, &end, &message);
  out.insert(out.end(), rest.begin(), rest.end());
  EXPECT_EQ(out, (std::vector<int16_t>{0, 1000, 2000, 3000, 4000}));
  EXPECT_EQ(end, AudioSource::Status::Ended);
  EXPECT_TRUE(message.contains(QStringLiteral("yazan taraf kapattı"))) << message.toStdString();
  EXPECT_FALSE(r.EndedWhole()) << "a writer gone is told";
}

// What is opened is checked, not what was there when the entry was read: a
// target swapped for a link, a node or another user's file is not read.
TEST_F(WavReaderTest, ATargetSwappedAfterTheCheckIsRefusedWhenOpened) {
  const QString target = dir.filePath(QStringLiteral("line.wav"));
  struct Case {
    const char* name;
    std::function<bool()> swap;
    const char* refusal;
  };
  std::vector<Case> cases = {
      {"link to a node", [&] { return QFile::link(QStringLiteral("/dev/null"), target); }, "bağ"},
      {"world-writable directory",
       [&] {
         QFile f(target);
         return f.open(QIODevice::WriteOnly) && ::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0;
       },
       "başkalarının da yazabildiği"},
  };
  if (getuid() == 0)
    cases.push_back({"another user's fifo",
                     [&] {
                       return ::mkfifo(QFile::encodeName(target).constData(), 0666) == 0 &&
                              ::chown(QFile::encodeName(target).constData(), 65534, 65534) == 0;
                     },
                     "başka bir kullanıcıya ait"});
  for (const Case& c : cases) {
    QFile::remove(target);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
    ASSERT_TRUE(c.swap()) << c.name;
    WavStreamReader stream(target);
    RecordingReader recording(target);
    for (AudioSource* r : {static_cast<AudioSource*>(&stream), static_cast<AudioSource*>(&recording)}) {
      QString message;
      EXPECT_FALSE(r->Open(&message)) << c.name;
      EXPECT_TRUE(message.contains(QString::fromUtf8(c.refusal))) << c.name << ": " << message.toStdString();
    }
  }
  ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0700), 0);
}

TEST_F(WavReaderTest, RecordingsTheLibraryCannotReadAreRefusedNamingTheirFormat) {
  QByteArray extensibleWma = Header(0xFFFE, 1, 8000, 16, 100);
  extensibleWma.replace(16, 4, QByteArray("\x28\0\0\0", 4));  // a 40-byte format chunk
  extensibleWma.insert(36, QByteArray(24, '\0'));
  extensibleWma[36 + 8] = char(0x61), extensibleWma[36 + 9] = char(0x01);  // sub-format 0x0161
  const struct {
    QByteArray bytes;
    const char* says;
  } cases[] = {
      {{}, "Ses dosyası boş"},
      {Header(0x0055, 1, 8000, 16, 100) + QByteArray(100, '\x55'), "WAV, MP3 (biçim kodu 0x0055)"},
      {extensibleWma + QByteArray(100, '\0'), "WAV, WMA (biçim kodu 0x0161)"},
      {Header(0x1234, 1, 8000, 16, 100) + QByteArray(100, '\0'), "WAV, biçim kodu 0x1234"},
      {Header(1, 1, 0, 16, 100) + QByteArray(100, '\0'), "okunamadı: WAV başlığında örnekleme hızı 0"},
      {QByteArray("#!AMR\n") + QByteArray(200, '\x3c'), "AMR"},
      {QByteArray(4, '\0') + "ftypM4A " + QByteArray(200, '\0'), "MP4/M4A (AAC)"},
      {QByteArray("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8) + QByteArray(200, '\0'), "WMA (ASF)"},
      {QByteArray("hello, this is text, not audio\n").repeated(10), "tanınmayan bir biçim (ilk baytlar 68 65 6c 6c)"},
  };
  for (const auto& c : cases) {
    int other[2] = {-1, -1};
    {
      RecordingReader r(Write(c.bytes));
      QString message;
      ASSERT_TRUE(r.Open(&message)) << "what the file holds is read on the audio thread";
      std::vector<int16_t> out;
      EXPECT_EQ(r.Read(-1, 0, out, &message), AudioSource::Status::Failed) << c.says;
      EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << message.toStdString();
      EXPECT_TRUE(out.empty());
      // Descriptors opened meanwhile elsewhere (they take the lowest free
      // numbers) survive the refused reader.
      ASSERT_EQ(::pipe(other), 0);
    }
    EXPECT_NE(::fcntl(other[0], F_GETFD), -1) << c.says;
    EXPECT_NE(::fcntl(other[1], F_GETFD), -1) << c.says;
    ::close(other[0]);
    ::close(other[1]);
  }
}

TEST_F(WavReaderTest, ARecordingCutShortIsReadToItsCutAndSaidSo) {
  QByteArray w = Header(1, 1, 8000, 16, 8000);  // declares 4000 frames
  for (int i = 0; i < 1000; ++i) U16(w, i);
  RecordingReader r(Write(w));
  QString message;
  ASSERT_TRUE(r.Open(&message));
  AudioSource::Status end;
  const std::vector<int16_t> out = ReadAll(r, &end, &message);
  ASSERT_EQ(out.size(), 1000u);
  EXPECT_EQ(out[999], 999);
  EXPECT_EQ(end, AudioSource::Status::Ended);
  EXPECT_TRUE(message.contains(QStringLiteral("yarıda kesildi"))) << message.toStdString();
  EXPECT_TRUE(message.endsWith(QStringLiteral("kayıt 0,1. saniyede bitti"))) << message.toStdString();
  EXPECT_FALSE(r.EndedWhole());
  EXPECT_EQ(r.Channels(), 1);
  EXPECT_EQ(r.TotalFrames(), 1000);
}

// Noise fills every compressed frame, and each sample is known.
std::vector<int16_t> Noise(size_t count) {
  std::vector<int16_t> s(count);
  uint32_t x = 1;
  for (int16_t& v : s) v = int16_t((x = x * 1664525u + 1013904223u) >> 20) - 2048;
  return s;
}

// A FLAC recording damaged as a disk or a copy leaves one: a frame
// overwritten is skipped, said once, and what follows keeps its time; one cut
// is read to its cut; one none of whose frames decodes is refused.
TEST_F(WavReaderTest, ADamagedPartIsSkippedWithANoteAndTheRestKeepsItsTime) {
  enum class Harm { Frame, Cut, AllFrames };
  const struct {
    Harm harm;
    AudioSource::Status end;
    const char* says;
  } cases[] = {
      {Harm::Frame, AudioSource::Status::Ended, "Ses dosyasının sonuna gelindi"},
      {Harm::Cut, AudioSource::Status::Ended, "kare okunamadı (FLAC çözücüsü eşzamanı yitirdi"},
      {Harm::AllFrames, AudioSource::Status::Failed, "okunurken hata: FLAC çözücüsü eşzamanı yitirdi"},
  };
  const std::vector<int16_t> noise = Noise(10 * 8000);
  for (const auto& c : cases) {
    const QString path = dir.filePath(QStringLiteral("f%1.flac").arg(++n));
    SF_INFO info{0, 8000, 1, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    ASSERT_TRUE(f);
    sf_writef_short(f, noise.data(), sf_count_t(noise.size()));
    sf_close(f);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    switch (c.harm) {
      case Harm::Frame: file.seek(size / 2); break;
      case Harm::Cut: file.resize(size * 6 / 10); break;
      case Harm::AllFrames: file.seek(file.readAll().indexOf("\xFF\xF8")); break;  // the first frame's sync code
    }
    if (c.harm != Harm::Cut) file.write(QByteArray(c.harm == Harm::Frame ? 64 : size, '\0'));
    file.close();

    RecordingReader r(path);
    QString message;
    QStringList notes;
    ASSERT_TRUE(r.Open(&message));
    AudioSource::Status end;
    const std::vector<int16_t> out = ReadAll(r, &end, &message, &notes);
    EXPECT_EQ(end, c.end) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << message.toStdString();
    EXPECT_EQ(r.EndedWhole(), c.harm == Harm::Frame);
    EXPECT_EQ(notes.filter(QStringLiteral("Ses dosyasında bozuk bir bölüm atlandı: ")).size(),
              c.harm == Harm::Frame ? 1 : 0);
    if (c.harm == Harm::AllFrames) continue;
    // Never a frame twice nor out of its time: the last second read is the file's there.
    ASSERT_GT(out.size(), 8000u);
    ASSERT_LE(out.size(), noise.size());
    EXPECT_TRUE(std::equal(out.end() - 8000, out.end(), noise.begin() + long(out.size()) - 8000));
    EXPECT_EQ(out.size() == noise.size(), c.harm == Harm::Frame);
  }
}

// A call recorder's open file: whatever its header says at first (nothing
// yet, unknown, a guess), every sample it comes to hold is read, and it ends
// once it has not grown for a while of the device clock, saying where.
TEST_F(WavReaderTest, ARecordingStillBeingWrittenIsFollowedUntilItStopsGrowing) {
  const struct {
    uint32_t declared;
    const char* end;
  } cases[] = {
      {0, "büyümüyor; kayıt 0,4. saniyede bitti"},
      {0xFFFFFFFF, "büyümüyor; kayıt 0,4. saniyede bitti"},
      {8000 * 2 * 3600, "yarıda kesildi: başlıkta bildirilenden 57594000 bayt eksik; kayıt 0,4. saniyede bitti"},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath(QStringLiteral("growing%1.wav").arg(++n));
    QFile recorder(path);
    ASSERT_TRUE(recorder.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const auto record = [&](int from, int count) {
      QByteArray samples;
      for (int i = from; i < from + count; ++i) U16(samples, i);
      ASSERT_EQ(recorder.write(samples), samples.size());
    };
    recorder.write(Header(1, 1, 8000, 16, c.declared));
    record(0, 1000);
    test::ManualClock clock(1000);
    RecordingReader r(path, clock);
    QString message;
    ASSERT_TRUE(r.Open(&message));
    std::vector<int16_t> out;
    const auto readUntilIdle = [&] {
      AudioSource::Status s;
      while ((s = r.Read(-1, 0, out, &message)) == AudioSource::Status::Data) {
      }
      return s;
    };
    EXPECT_EQ(readUntilIdle(), AudioSource::Status::Idle) << c.declared;
    EXPECT_EQ(out.size(), 1000u) << c.declared;
    clock.Advance(RecordingReader::kQuietMs - 1);
    record(1000, 2000);
    EXPECT_EQ(readUntilIdle(), AudioSource::Status::Idle) << c.declared;
    ASSERT_EQ(out.size(), 3000u) << c.declared;
    EXPECT_EQ(out[2999], 2999);
    clock.Advance(RecordingReader::kQuietMs - 1);
    EXPECT_EQ(readUntilIdle(), AudioSource::Status::Idle) << c.declared;
    clock.Advance(1);
    EXPECT_EQ(readUntilIdle(), AudioSource::Status::Ended) << c.declared;
    EXPECT_TRUE(message.contains(QString::fromUtf8(c.end))) << message.toStdString();
    EXPECT_EQ(out.size(), 3000u);
  }
}

TEST(AudioTarget, CaptureNodesAreKnownByTheirNameAndCarryCardAndDevice) {
  const struct {
    const char* path;
    AudioTargetKind kind;
    int card, device;
  } cases[] = {
      {"/dev/snd/pcmC2D1c", AudioTargetKind::CaptureNode, 2, 1},
      {"/dev/snd/pcmC12D0c", AudioTargetKind::CaptureNode, 12, 0},
      {"/dev/snd/pcmC2D1p", AudioTargetKind::None, -1, -1},  // playback
      {"/dev/snd/controlC0", AudioTargetKind::None, -1, -1},
  };
  for (const auto& c : cases) {
    const AudioTarget t = ClassifyAudioTarget(QString::fromLatin1(c.path));
    EXPECT_EQ(t.kind, c.kind) << c.path;
    EXPECT_EQ(t.card, c.card) << c.path;
    EXPECT_EQ(t.device, c.device) << c.path;
  }
}

// ALSA reads its configuration once per process: this test sets it first.
TEST(AlsaCaptureReader, CapturesFromAFileThroughAPrivateConfiguration) {
  QTemporaryDir dir;
  const QString raw = dir.filePath(QStringLiteral("line.raw"));
  QByteArray samples;
  for (int i = 0; i < 8000; ++i)
    for (int c = 0; c < 4; ++c) U16(samples, (c + 1) * 1000 + i % 7);
  {
    QFile f(raw);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(samples);
  }
  const QString conf = dir.filePath(QStringLiteral("asound.conf"));
  {
    QFile f(conf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("pcm.cidline {\n  type file\n  slave.pcm { type null }\n  file \"/dev/null\"\n"
                           "  infile \"%1\"\n  format \"raw\"\n}\n")
                .arg(raw)
                .toUtf8());
  }
  qputenv("ALSA_CONFIG_PATH", QFile::encodeName(conf));
  AlsaCaptureReader r(QStringLiteral("cidline"), QString());
  QString message;
  ASSERT_TRUE(r.Open(&message)) << message.toStdString();
  ASSERT_EQ(r.Channels(), 4);
  std::vector<int16_t> out;
  for (int i = 0; i < 1000 && out.size() < 4000; ++i) {
    const AudioSource::Status s = r.Read(-1, 100, out, &message);
    ASSERT_TRUE(s == AudioSource::Status::Data || s == AudioSource::Status::Idle) << message.toStdString();
  }
  ASSERT_GE(out.size(), 4000u);
  for (size_t i = 0; i < 4000; i += 4) {
    ASSERT_EQ(out[i] / 1000, 1) << i;
    ASSERT_EQ(out[i + 3] / 1000, 4) << i;
  }
  // ALSA's own English lines stay off standard error; ours are Turkish and
  // name what the user gave, not the PCM opened for it.
  std::fflush(stderr);
  QTemporaryFile err;
  ASSERT_TRUE(err.open());
  const int saved = ::dup(2);
  ::dup2(err.handle(), 2);
  AlsaCaptureReader missing(QStringLiteral("nosuchdevice"), QString());
  const bool opened = missing.Open(&message);
  const QString node = QStringLiteral("/dev/snd/pcmC97D0c");
  QString nodeMessage;
  const bool nodeOpened = AlsaCaptureReader(node, ClassifyAudioTarget(node)).Open(&nodeMessage);
  ::dup2(saved, 2);
  ::close(saved);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(nodeOpened);
  err.seek(0);  // the offset is standard error's too
  EXPECT_EQ(QString::fromUtf8(err.readAll()), QString());
  EXPECT_EQ(message, QStringLiteral("Ses kartı nosuchdevice açılamadı: böyle bir ses kartı yok"));
  EXPECT_EQ(nodeMessage, QStringLiteral("Ses kartı /dev/snd/pcmC97D0c açılamadı: böyle bir ses kartı yok"));
}

// The libraries' errors in Turkish, in the reader's terms; one the tables do
// not know keeps its number and the library's text.
TEST(AudioLibraryWords, KnownErrorsAreTurkishAndOthersKeepTheirNumber) {
  SF_INFO info{};
  EXPECT_EQ(sf_open("/yok/kayit.wav", SFM_READ, &info), nullptr);
  const struct {
    QString text, says;
  } cases[] = {
      {SndfileText(nullptr), QStringLiteral("böyle bir dosya ya da dizin yok")},     // the system's error inside
      {AlsaText(-EPIPE), QStringLiteral("kayıt taşması: ses zamanında okunamadı")},  // not a closed pipe
      {AlsaText(-123456), QStringLiteral("ses kartı hatası 123456 (Unknown error 123456)")},
      {ErrnoText(4095), QStringLiteral("sistem hatası 4095 (Unknown error 4095)")},
      {ResamplerText(99), QStringLiteral("örnekleme hızı dönüştürücüsünün hatası 99")},
  };
  for (const auto& c : cases) EXPECT_EQ(c.text, c.says);
}

}  // namespace
}  // namespace device
