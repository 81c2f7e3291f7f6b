#include "tools/line-check/heard_audio_file.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

#include "device/audio/dsp/caller_id_message.h"

namespace linecheck {

namespace {

QString Errno() { return QString::fromLocal8Bit(strerror(errno)); }

}  // namespace

HeardAudioFile::HeardAudioFile(QString path) : path_(std::move(path)) {}

HeardAudioFile::~HeardAudioFile() {
  QString ignored;
  Close(&ignored);
}

QString HeardAudioFile::Failure(const QString& why) const {
  return QStringLiteral("cid-line-check: kayıt dosyası %1 yazılamıyor: %2").arg(path_, why);
}

bool HeardAudioFile::Create(const QString& source, QString* error) {
  const QByteArray name = QFile::encodeName(path_);
  fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
  created_ = fd_ >= 0;
  if (fd_ < 0 && errno == EEXIST) {
    // A FIFO or device there is no place for a recording (and opening one could wait or reach a stranger).
    struct stat there {};
    if (::stat(name.constData(), &there) == 0 && !S_ISREG(there.st_mode)) {
      *error = Failure(QStringLiteral("normal bir dosya değil"));
      return false;
    }
    // Opened without truncating, so a file that must not be replaced is still whole when refused.
    fd_ = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  }
  if (fd_ < 0) {
    *error = Failure(Errno());
    return false;
  }
  struct stat mine {
  }, theirs{};
  QString why;
  if (::fstat(fd_, &mine) != 0)
    why = Errno();
  else if (!S_ISREG(mine.st_mode))
    why = QStringLiteral("normal bir dosya değil");
  else if (::stat(QFile::encodeName(source).constData(), &theirs) == 0 && theirs.st_dev == mine.st_dev &&
           theirs.st_ino == mine.st_ino)
    why = QStringLiteral("okunan kaydın kendisi");
  if (!why.isEmpty()) {
    ::close(fd_);
    fd_ = -1;
    *error = Failure(why);
    return false;
  }
  return true;
}

bool HeardAudioFile::Start(int channels, QString* error) {
  if (::ftruncate(fd_, 0) != 0) {
    *error = Failure(Errno());
    return false;
  }
  SF_INFO info{};
  info.samplerate = device::audio::kSampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  file_ = sf_open_fd(fd_, SFM_WRITE, &info, SF_TRUE);
  if (!file_) {
    *error = Failure(QString::fromUtf8(sf_strerror(nullptr)));
    return false;
  }
  fd_ = -1;  // the library closes it now
  sf_command(file_, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
  channels_ = channels;
  return true;
}

bool HeardAudioFile::Write(const std::vector<int16_t>& frames, int channels, QString* error) {
  if (frames.empty() || channels <= 0) return true;
  if (!file_ && !Start(channels, error)) return false;
  const sf_count_t count = sf_count_t(frames.size() / size_t(channels_));
  if (sf_writef_short(file_, frames.data(), count) != count) {
    *error = Failure(QString::fromUtf8(sf_strerror(file_)));
    return false;
  }
  return true;
}

bool HeardAudioFile::Close(QString* error) {
  bool ok = true;
  if (file_) {
    sf_write_sync(file_);
    if (sf_close(file_) != 0) {
      *error = Failure(QString::fromUtf8(sf_strerror(nullptr)));
      ok = false;
    }
    file_ = nullptr;
  }
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    if (created_) ::unlink(QFile::encodeName(path_).constData());
  }
  return ok;
}

}  // namespace linecheck
