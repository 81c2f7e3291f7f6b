#include "device/audio/recording_reader.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <cmath>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/stream_opener.h"
#include "device/audio/wav_header.h"

namespace device {

namespace {

bool IsWave(const QByteArray& head) { return head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE"; }

// Where a chunk of a RIFF/WAVE head starts (its body) and its declared size;
// false when it is not within the head.
bool FindChunk(const QByteArray& head, const char* id, qint64* body, uint32_t* size) {
  for (qint64 at = 12; at + 8 <= head.size();) {
    const uint32_t s = WavU32(head, at + 4);
    if (head.mid(at, 4) == id) {
      *body = at + 8;
      *size = s;
      return true;
    }
    at += 8 + qint64(s) + (s & 1);
  }
  return false;
}

constexpr uint16_t kWavePcm = 0x0001, kWaveFloat = 0x0003;

// The format code of a RIFF/WAVE head (an extensible header's sub-format).
bool WaveTag(const QByteArray& head, uint16_t* tag) {
  qint64 body = 0;
  uint32_t size = 0;
  if (!FindChunk(head, "fmt ", &body, &size) || size < 16 || body + 16 > head.size()) return false;
  *tag = WavU16(head, body);
  if (*tag == 0xFFFE && size >= 40 && body + 26 <= head.size()) *tag = WavU16(head, body + 24);
  return true;
}

// The WAV format codes recorders and exchanges write, by name.
QString WaveCodec(uint16_t tag) {
  static const struct {
    uint16_t tag;
    const char* name;
  } codecs[] = {
      {0x0001, "PCM"},           {0x0002, "Microsoft ADPCM"},
      {0x0003, "kayan noktalı"}, {0x0006, "A-law"},
      {0x0007, "µ-law"},         {0x0011, "IMA ADPCM"},
      {0x0022, "TrueSpeech"},    {0x0031, "GSM 6.10"},
      {0x0040, "G.721 ADPCM"},   {0x0050, "MPEG"},
      {0x0055, "MP3"},           {0x00FF, "AAC"},
      {0x0161, "WMA"},           {0x0162, "WMA Pro"},
  };
  const QString code = QStringLiteral("biçim kodu 0x%1").arg(tag, 4, 16, QLatin1Char('0'));
  for (const auto& c : codecs)
    if (c.tag == tag) return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(c.name), code);
  return code;
}

QString LibraryName(int format) {
  SF_FORMAT_INFO info{};
  info.format = format;
  if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name) return QString();
  return QString::fromUtf8(info.name);
}

}  // namespace

RecordingReader::RecordingReader(QString path) : path_(std::move(path)) {}

RecordingReader::~RecordingReader() {
  if (file_) sf_close(file_);
  if (fd_ >= 0) ::close(fd_);
}

QString RecordingReader::FormatOfHead(const QByteArray& head) {
  if (IsWave(head)) {
    uint16_t tag = 0;
    return WaveTag(head, &tag) ? QStringLiteral("WAV, ") + WaveCodec(tag) : QStringLiteral("WAV, biçim bölümü eksik");
  }
  static const struct {
    qint64 at;
    QByteArray magic;
    const char* name;
  } magics[] = {
      {0, "fLaC", "FLAC"},
      {0, "OggS", "Ogg"},
      {0, "ID3", "MP3"},
      {0, "#!AMR", "AMR"},
      {4, "ftyp", "MP4/M4A (AAC)"},
      {0, "FORM", "AIFF"},
      {0, ".snd", "AU"},
      {0, "caff", "CAF"},
      {0, "RF64", "RF64"},
      {0, QByteArray("\x30\x26\xB2\x75", 4), "WMA (ASF)"},
      {8, "AVI ", "AVI"},
  };
  for (const auto& m : magics)
    if (head.mid(m.at, m.magic.size()) == m.magic) return QString::fromUtf8(m.name);
  // An MPEG audio frame starts with eleven set bits.
  if (head.size() >= 2 && uchar(head[0]) == 0xFF && (uchar(head[1]) & 0xE0) == 0xE0) return QStringLiteral("MP3");
  return QStringLiteral("tanınmayan bir biçim (ilk baytlar %1)").arg(QString::fromLatin1(head.left(4).toHex(' ')));
}

QString RecordingReader::RefusalOf(const QByteArray& head) const {
  if (head.isEmpty()) return QStringLiteral("Ses dosyası boş");
  if (head.startsWith("RIFF")) {
    WavFormat format;
    QString why;
    const WavHeader::Result r = WavHeader::Parse(head, &format, &why);
    if (r == WavHeader::Result::NeedMore)
      return QStringLiteral("Ses dosyası okunamadı: WAV başlığı bitmeden kesildi (%1 bayt)").arg(head.size());
    // A PCM or float header the library refused is broken in a way the
    // header's own reader can name; another codec is named itself.
    uint16_t tag = 0;
    const bool plain = !IsWave(head) || !WaveTag(head, &tag) || tag == kWavePcm || tag == kWaveFloat;
    if (r == WavHeader::Result::Error && plain) return QStringLiteral("Ses dosyası okunamadı: %1").arg(why);
  }
  return QStringLiteral("Ses dosyasının biçimi okunamıyor: %1").arg(FormatOfHead(head));
}

bool RecordingReader::Open(QString* error) {
  // Only whether the file may and can be opened; what it holds is read on
  // the audio thread, and a file that holds nothing usable is said there.
  struct stat st {};
  QString why;
  fd_ = OpenPrivateStream(path_, &st, &why);
  if (fd_ >= 0 && !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    why = QStringLiteral("bir ses dosyası değil");
  }
  if (fd_ < 0) {
    *error = QStringLiteral("Ses dosyası %1 açılamadı: %2").arg(path_, why);
    return false;
  }
  return true;
}

bool RecordingReader::Start(QString* message) {
  QByteArray head(WavHeader::kMaxHeaderBytes, Qt::Uninitialized);
  const ssize_t got = ::pread(fd_, head.data(), size_t(head.size()), 0);
  head.resize(std::max<ssize_t>(got, 0));
  struct stat st {};
  const qint64 fileBytes = fstat(fd_, &st) == 0 ? qint64(st.st_size) : 0;

  SF_INFO info{};
  // The library reads a copy of the descriptor that was checked: it closes
  // the one it is given when it cannot read the file, whatever it is told,
  // and that number may by then be another thread's.
  const int copy = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  file_ = copy >= 0 ? sf_open_fd(copy, SFM_READ, &info, SF_TRUE) : nullptr;
  if (!file_ || info.channels <= 0 || info.samplerate <= 0) {
    *message = RefusalOf(head);
    return false;
  }
  if (info.samplerate < WavHeader::kMinRate || info.samplerate > WavHeader::kMaxRate) {
    *message = QStringLiteral("Ses dosyası okunamadı: desteklenmeyen örnekleme hızı %1 Hz").arg(info.samplerate);
    return false;
  }
  channels_ = info.channels;
  left_ = info.frames;
  frames8k_ = qint64(std::llround(double(info.frames) * audio::kSampleRate / info.samplerate));
  if (channels_ > kMaxLines)
    note_ =
        QStringLiteral("Ses akışında %1 kanal var; ilk %2 kanal hat olarak kullanılıyor").arg(channels_).arg(kMaxLines);
  description_ = QStringLiteral("%1, %2, %3 Hz, %4 kanal")
                     .arg(LibraryName(info.format & SF_FORMAT_TYPEMASK), LibraryName(info.format & SF_FORMAT_SUBMASK))
                     .arg(info.samplerate)
                     .arg(channels_);
  // A recorder that stopped mid-write leaves a header promising more.
  qint64 body = 0;
  uint32_t declared = 0;
  if (IsWave(head) && FindChunk(head, "data", &body, &declared) && declared != 0 && declared != 0xFFFFFFFFu)
    missingBytes_ = std::max<qint64>(0, body + qint64(declared) - fileBytes);
  if (!converter_.Start(info.samplerate, std::min(channels_, kMaxLines), message)) return false;
  used_ = std::min(channels_, kMaxLines);
  return true;
}

QString RecordingReader::TakeNote() {
  QString n;
  n.swap(note_);
  return n;
}

AudioSource::Status RecordingReader::Read(int, int, std::vector<int16_t>& out, QString* message) {
  if (!file_ && (fd_ < 0 || !Start(message))) return Status::Failed;
  in_.resize(size_t(kChunkFrames) * size_t(channels_));
  const sf_count_t got = left_ > 0 ? sf_readf_float(file_, in_.data(), kChunkFrames) : 0;
  if (got > 0) {
    left_ -= got;
    if (used_ < channels_)  // keep the first channels only, in place
      for (sf_count_t f = 0; f < got; ++f)
        for (int c = 0; c < used_; ++c)
          in_[size_t(f) * size_t(used_) + size_t(c)] = in_[size_t(f) * size_t(channels_) + size_t(c)];
    converter_.Convert(in_.data(), long(got), out);
    return Status::Data;
  }
  converter_.Finish(out);
  if (sf_error(file_) != SF_ERR_NO_ERROR) {
    *message = QStringLiteral("Ses dosyası okunurken hata: %1").arg(QString::fromUtf8(sf_strerror(file_)));
    return Status::Failed;
  }
  if (missingBytes_ > 0)
    *message = QStringLiteral("Ses dosyası yarıda kesildi: başlıkta bildirilenden %1 bayt eksik").arg(missingBytes_);
  else
    *message = QStringLiteral("Ses dosyasının sonuna gelindi");
  return Status::Ended;
}

}  // namespace device
