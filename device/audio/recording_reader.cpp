#include "device/audio/recording_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cmath>

#include "device/audio/audio_library_words.h"
#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/stream_opener.h"
#include "device/audio/wav_header.h"

namespace device {

// The library reads the checked descriptor through these, never owning it
// (it would close it on a file it cannot read, and that number may by then
// be another thread's). A file still being written has its header's sizes
// shown as unknown, so the library takes the samples the file holds now, not
// the 0 or the guess a recorder writes first.
struct RecordingFileIo {
  int fd = -1;
  sf_count_t at = 0;
  std::vector<qint64> unknownSizeFields;  // offsets of 4-byte size fields
};

namespace {

bool IsWave(const QByteArray& head) { return head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE"; }

constexpr uint16_t kWavePcm = 0x0001, kWaveFloat = 0x0003;

// The format code of a RIFF/WAVE head (an extensible header's sub-format).
bool WaveTag(const QByteArray& head, uint16_t* tag) {
  qint64 body = 0;
  uint32_t size = 0;
  if (!FindRiffChunk(head, "fmt ", &body, &size) || size < 16 || body + 16 > head.size()) return false;
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

// Whether some process this one can see (itself included) holds the file
// open for writing: a call recorder still recording into it.
bool OpenForWriting(const struct stat& file) {
  DIR* proc = ::opendir("/proc");
  if (!proc) return false;
  bool writing = false;
  while (const dirent* p = ::readdir(proc)) {
    if (writing) break;
    if (p->d_name[0] < '1' || p->d_name[0] > '9') continue;
    const QByteArray fdDir = QByteArray("/proc/") + p->d_name + "/fd";
    DIR* fds = ::opendir(fdDir.constData());
    if (!fds) continue;  // gone, or another user's
    while (const dirent* f = ::readdir(fds)) {
      struct stat st {};
      if (f->d_name[0] == '.' || ::fstatat(::dirfd(fds), f->d_name, &st, 0) != 0) continue;
      if (st.st_dev != file.st_dev || st.st_ino != file.st_ino) continue;
      QFile info(QString::fromLatin1(QByteArray("/proc/") + p->d_name + "/fdinfo/" + f->d_name));
      if (!info.open(QIODevice::ReadOnly)) continue;
      for (const QByteArray& line : info.readAll().split('\n'))
        if (line.startsWith("flags:") && (line.mid(6).trimmed().toUInt(nullptr, 8) & O_ACCMODE) != O_RDONLY)
          writing = true;
      if (writing) break;
    }
    ::closedir(fds);
  }
  ::closedir(proc);
  return writing;
}

sf_count_t VirtualLength(void* user) {
  struct stat st {};
  return ::fstat(static_cast<RecordingFileIo*>(user)->fd, &st) == 0 ? sf_count_t(st.st_size) : 0;
}

sf_count_t VirtualSeek(sf_count_t offset, int whence, void* user) {
  auto* v = static_cast<RecordingFileIo*>(user);
  const sf_count_t base = whence == SEEK_CUR ? v->at : whence == SEEK_END ? VirtualLength(user) : 0;
  if (base + offset < 0) return -1;
  return v->at = base + offset;
}

sf_count_t VirtualRead(void* ptr, sf_count_t count, void* user) {
  auto* v = static_cast<RecordingFileIo*>(user);
  const ssize_t n = ::pread(v->fd, ptr, size_t(count), off_t(v->at));
  if (n <= 0) return 0;
  for (const qint64 field : v->unknownSizeFields)
    for (qint64 i = std::max<qint64>(field, v->at); i < std::min<qint64>(field + 4, v->at + n); ++i)
      static_cast<unsigned char*>(ptr)[i - v->at] = 0xFF;
  v->at += n;
  return n;
}

sf_count_t VirtualWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t VirtualTell(void* user) { return static_cast<RecordingFileIo*>(user)->at; }

SF_VIRTUAL_IO kVirtualIo = {&VirtualLength, &VirtualSeek, &VirtualRead, &VirtualWrite, &VirtualTell};

QString Seconds(qint64 frames, int rate) {
  return QString::number(double(frames) / std::max(rate, 1), 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

// A length: tenths of a second, or milliseconds below a tenth.
QString Length(qint64 frames, int rate) {
  if (frames * 10 < rate) return QStringLiteral("%1 ms").arg(frames * 1000 / std::max(rate, 1));
  return QStringLiteral("%1 s").arg(Seconds(frames, rate));
}

}  // namespace

RecordingReader::RecordingReader(QString path, const MonotonicClock& clock)
    : path_(std::move(path)), clock_(clock), io_(std::make_unique<RecordingFileIo>()) {}

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
  if (::fstat(fd_, &st) == 0 && OpenForWriting(st)) {
    following_ = true;
    lastGrowthMs_ = clock_.NowMs();
    qint64 body = 0;
    uint32_t declared = 0;
    if (IsWave(head) && FindRiffChunk(head, "data", &body, &declared)) io_->unknownSizeFields = {4, body - 4};
  }
  SF_INFO info{};
  if (!OpenLibrary(&info)) {
    *message = RefusalOf(head);
    return false;
  }
  if (info.samplerate < WavHeader::kMinRate || info.samplerate > WavHeader::kMaxRate) {
    *message = QStringLiteral("Ses dosyası okunamadı: desteklenmeyen örnekleme hızı %1 Hz").arg(info.samplerate);
    return false;
  }
  channels_ = info.channels;
  rate_ = info.samplerate;
  // A file still growing has no end known yet.
  frames8k_ = following_ ? -1 : qint64(std::llround(double(info.frames) * audio::kSampleRate / info.samplerate));
  if (channels_ > kMaxLines)
    note_ =
        QStringLiteral("Ses akışında %1 kanal var; ilk %2 kanal hat olarak kullanılıyor").arg(channels_).arg(kMaxLines);
  description_ = QStringLiteral("%1, %2, %3 Hz, %4 kanal")
                     .arg(LibraryName(info.format & SF_FORMAT_TYPEMASK), LibraryName(info.format & SF_FORMAT_SUBMASK))
                     .arg(info.samplerate)
                     .arg(channels_);
  if (!converter_.Start(info.samplerate, std::min(channels_, kMaxLines), message)) return false;
  used_ = std::min(channels_, kMaxLines);
  return true;
}

bool RecordingReader::OpenLibrary(SF_INFO* info) {
  if (file_) sf_close(file_);
  io_->fd = fd_;
  io_->at = 0;
  struct stat st {};
  const qint64 bytes = ::fstat(fd_, &st) == 0 ? qint64(st.st_size) : 0;
  file_ = sf_open_virtual(&kVirtualIo, SFM_READ, info, io_.get());
  left_ = 0;  // nothing to read until the library is where the reading was
  if (!file_ || info->channels <= 0 || info->samplerate <= 0) return false;
  if (read_ > 0 && sf_seek(file_, read_, SEEK_SET) != read_) return false;
  left_ = info->frames - read_;
  openedBytes_ = bytes;
  return true;
}

bool RecordingReader::Grew() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || qint64(st.st_size) <= openedBytes_) return false;
  // The library knows the length it saw when it opened the file: open it
  // again on what is there now and go on where it was.
  SF_INFO info{};
  if (OpenLibrary(&info) && info.channels == channels_ && info.samplerate == rate_) return true;
  left_ = 0;  // not the recording it was: nothing more is read from it
  return false;
}

QString RecordingReader::EndText(bool* whole) const {
  // A recorder that stopped mid-write leaves a header promising more; a file
  // whose frames ran out before the library's count was cut in its samples.
  QByteArray head(WavHeader::kMaxHeaderBytes, Qt::Uninitialized);
  const ssize_t got = ::pread(fd_, head.data(), size_t(head.size()), 0);
  head.resize(std::max<ssize_t>(got, 0));
  struct stat st {};
  const qint64 fileBytes = ::fstat(fd_, &st) == 0 ? qint64(st.st_size) : 0;
  qint64 body = 0, missing = 0;
  uint32_t declared = 0;
  if (IsWave(head) && FindRiffChunk(head, "data", &body, &declared) && declared != 0 && declared != 0xFFFFFFFFu)
    missing = std::max<qint64>(0, body + qint64(declared) - fileBytes);
  const QString where = QStringLiteral("%1. saniyede").arg(Seconds(read_, rate_));
  *whole = false;
  if (missing > 0)
    return QStringLiteral("Ses dosyası yarıda kesildi: başlıkta bildirilenden %1 bayt eksik; kayıt %2 bitti")
        .arg(missing)
        .arg(where);
  if (left_ > 0) {
    const QString why = failure_.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(failure_);
    return QStringLiteral("Ses dosyası yarıda kesildi: %1 kare okunamadı%2; kayıt %3 bitti").arg(left_).arg(why, where);
  }
  if (following_)
    return QStringLiteral("Ses dosyası %1 saniyedir büyümüyor; kayıt %2 bitti (%3 bayt)")
        .arg(kQuietMs / 1000)
        .arg(where)
        .arg(fileBytes);
  *whole = true;
  return QStringLiteral("Ses dosyasının sonuna gelindi");
}

bool RecordingReader::SkipDamage() {
  const qint64 from = read_, known = read_ + left_;
  failure_ = SndfileText(file_);
  // The library may not read on after what it could not decode (a FLAC
  // decoder that lost its sync stays lost): it is opened again each time.
  qint64 step = kChunkFrames;
  for (int tries = 0; tries < kSkipTries && from + step < known; ++tries, step *= 2) {
    read_ = from + step;
    SF_INFO info{};
    if (!OpenLibrary(&info) || info.channels != channels_ || info.samplerate != rate_) continue;
    const sf_count_t got = sf_readf_float(file_, in_.data(), kChunkFrames);
    if (got <= 0) continue;
    Damaged(from, read_);
    gap_ = step;
    held_ = got;
    heldDamaged_ = sf_error(file_) != SF_ERR_NO_ERROR;
    failure_.clear();
    return true;
  }
  // Nothing further decodes (or, in a file being written, not yet): the
  // library is opened again at read_ only if the file grows.
  read_ = from;
  left_ = known - from;
  if (file_) sf_close(file_);
  file_ = nullptr;
  return false;
}

void RecordingReader::Damaged(qint64 from, qint64 to) {
  if (damageFrom_ < 0 || damageTo_ != from) {
    NoteDamage();
    damageFrom_ = from;
  }
  damageTo_ = to;
}

void RecordingReader::NoteDamage() {
  if (damageFrom_ < 0) return;
  const QString said = QStringLiteral("Ses dosyasında bozuk bir bölüm atlandı: %1. saniyede %2")
                           .arg(Seconds(damageFrom_, rate_), Length(damageTo_ - damageFrom_, rate_));
  note_ = note_.isEmpty() ? said : note_ + QStringLiteral("; ") + said;
  damageFrom_ = damageTo_ = -1;
}

void RecordingReader::Deliver(qint64 got, bool damaged, std::vector<int16_t>& out) {
  // A read the library said was damaged still came with frames (a FLAC frame
  // whose check failed comes as silence): heard, and said as damaged.
  if (damaged)
    Damaged(read_, read_ + got);
  else
    NoteDamage();
  left_ -= got;
  read_ += got;
  delivered_ += got;
  failure_.clear();       // the library read on after all (a file being written grew)
  if (used_ < channels_)  // keep the first channels only, in place
    for (qint64 f = 0; f < got; ++f)
      for (int c = 0; c < used_; ++c)
        in_[size_t(f) * size_t(used_) + size_t(c)] = in_[size_t(f) * size_t(channels_) + size_t(c)];
  converter_.Convert(in_.data(), long(got), out);
}

QString RecordingReader::TakeNote() {
  QString n;
  n.swap(note_);
  return n;
}

AudioSource::Status RecordingReader::Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) {
  if (!started_) {
    if (fd_ < 0 || !Start(message)) return Status::Failed;
    started_ = true;
  }
  if (gap_ > 0) {
    // A skipped part is heard as silence, so what follows keeps its time.
    const qint64 n = std::min<qint64>(gap_, kChunkFrames);
    silence_.assign(size_t(n) * size_t(used_), 0.0f);
    converter_.Convert(silence_.data(), long(n), out);
    gap_ -= n;
    return Status::Data;
  }
  in_.resize(size_t(kChunkFrames) * size_t(channels_));
  sf_count_t got = 0;
  bool damaged = false;
  // A file being written that the library could not open again (its header
  // caught mid-rewrite) is tried again as it grows.
  if (held_ > 0) {
    got = std::exchange(held_, 0);
    damaged = heldDamaged_;
  } else if (file_ && left_ > 0) {
    got = sf_readf_float(file_, in_.data(), kChunkFrames);
    damaged = sf_error(file_) != SF_ERR_NO_ERROR;
    if (got <= 0 && damaged && SkipDamage()) return Status::Data;
  }
  if (got > 0) {
    Deliver(got, damaged, out);
    return Status::Data;
  }
  if (!failure_.isEmpty() && delivered_ == 0 && !following_) {
    converter_.Finish(out);
    *message = QStringLiteral("Ses dosyası okunurken hata: %1").arg(failure_);
    return Status::Failed;
  }
  if (following_) {
    const qint64 now = clock_.NowMs();
    if (Grew()) {
      lastGrowthMs_ = now;
      return Status::Data;
    }
    if (now - lastGrowthMs_ < kQuietMs) {
      // Looked at again after a while, or at once when the reader is stopped.
      pollfd wake = {wakeFd, POLLIN, 0};
      ::poll(&wake, wakeFd >= 0 ? 1 : 0, std::min(waitMs, kGrowthPollMs));
      return Status::Idle;
    }
  }
  converter_.Finish(out);
  NoteDamage();
  *message = EndText(&whole_);
  return Status::Ended;
}

}  // namespace device
