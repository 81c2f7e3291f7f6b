#include "tools/line-check/heard_audio_file.h"

#include <sndfile.h>
#include <unistd.h>

#include <cerrno>

#include "device/audio/audio_library_words.h"
#include "device/audio/dsp/caller_id_message.h"
#include "device/core/system_words.h"

namespace linecheck {

namespace {

QString Failure(const OutputFile& target, const QString& why) {
  return QStringLiteral("cid-line-check: kayıt dosyası %1 yazılamadı: %2").arg(target.Path(), why);
}

QString LibraryError(SNDFILE* file) { return device::SndfileText(file); }

SNDFILE* OpenWav(int fd, int channels) {
  SF_INFO info{};
  info.samplerate = device::audio::kSampleRate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  return sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
}

}  // namespace

HeardAudioFile::HeardAudioFile(std::unique_ptr<OutputFile> target) : target_(std::move(target)) {}

HeardAudioFile::~HeardAudioFile() {
  if (file_) sf_close(file_);
  if (fd_ >= 0) ::close(fd_);
}

bool HeardAudioFile::Create(QString* error) {
  fd_ = target_->Begin(error);
  return fd_ >= 0;
}

bool HeardAudioFile::Start(int channels, QString* error) {
  file_ = OpenWav(fd_, channels);
  if (!file_) {
    *error = Failure(*target_, LibraryError(nullptr));
    return false;
  }
  sf_command(file_, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
  channels_ = channels;
  return true;
}

bool HeardAudioFile::Write(const std::vector<int16_t>& frames, int channels, QString* error) {
  if (frames.empty() || channels <= 0 || fd_ < 0) return true;
  if (!file_ && !Start(channels, error)) return false;
  const sf_count_t count = sf_count_t(frames.size() / size_t(channels_));
  if (sf_writef_short(file_, frames.data(), count) != count) {
    *error = Failure(*target_, LibraryError(file_));
    return false;
  }
  return true;
}

bool HeardAudioFile::Close(QString* error) {
  if (fd_ < 0) return true;
  bool ok = true;
  if (file_) {
    sf_write_sync(file_);
    if (sf_close(file_) != 0) {
      *error = Failure(*target_, LibraryError(nullptr));
      ok = false;
    }
    file_ = nullptr;
    if (ok && ::fsync(fd_) != 0) {
      *error = Failure(*target_, device::ErrnoText(errno));
      ok = false;
    }
  } else {
    ok = false;  // nothing heard: nothing to put in place
  }
  ::close(fd_);
  fd_ = -1;
  if (ok) return target_->Commit(error);
  target_->Abandon();
  return channels_ == 0;
}

bool WriteWav(OutputFile& target, const std::vector<int16_t>& samples, QString* error) {
  const int fd = target.Begin(error);
  if (fd < 0) return false;
  SNDFILE* file = OpenWav(fd, 1);
  bool ok = file && sf_writef_short(file, samples.data(), sf_count_t(samples.size())) == sf_count_t(samples.size());
  if (!ok) *error = Failure(target, LibraryError(file));
  if (file && sf_close(file) != 0 && ok) {
    *error = Failure(target, LibraryError(nullptr));
    ok = false;
  }
  if (ok && ::fsync(fd) != 0) {
    *error = Failure(target, device::ErrnoText(errno));
    ok = false;
  }
  ::close(fd);
  if (!ok) {
    target.Abandon();
    return false;
  }
  return target.Commit(error);
}

}  // namespace linecheck
