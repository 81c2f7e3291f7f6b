#include "device/audio/wav_stream_reader.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "device/audio/dsp/caller_id_message.h"
#include "device/audio/stream_opener.h"
#include "device/core/system_words.h"

namespace device {

namespace {

constexpr qsizetype kReadBytes = 16384;

}  // namespace

WavStreamReader::WavStreamReader(QString path) : path_(std::move(path)) {}

WavStreamReader::~WavStreamReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool WavStreamReader::Open(QString* error) {
  struct stat st {};
  QString why;
  fd_ = OpenPrivateStream(path_, &st, &why);
  if (fd_ < 0) {
    *error = QStringLiteral("Ses akışı %1 açılamadı: %2").arg(path_, why);
    return false;
  }
  fifo_ = S_ISFIFO(st.st_mode);
  return true;
}

QString WavStreamReader::TakeNote() {
  QString n;
  n.swap(note_);
  return n;
}

AudioSource::Status WavStreamReader::Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) {
  if (headerDone_ && format_.dataBytes >= 0 && dataRead_ >= format_.dataBytes) return Finish(out, message);
  pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  const int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, waitMs);
  if (ready < 0 && errno != EINTR) {
    *message = QStringLiteral("Ses akışı okunamadı: %1").arg(ErrnoText(errno));
    return Status::Failed;
  }
  if (ready <= 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) return Status::Idle;

  char buf[kReadBytes];
  qsizetype want = kReadBytes;
  if (headerDone_ && format_.dataBytes >= 0) want = qsizetype(std::min<qint64>(want, format_.dataBytes - dataRead_));
  const ssize_t n = ::read(fd_, buf, size_t(want));
  if (n < 0) {
    if (errno == EAGAIN || errno == EINTR) return Status::Idle;
    *message = QStringLiteral("Ses akışı okunamadı: %1").arg(ErrnoText(errno));
    return Status::Failed;
  }
  if (n == 0) return Finish(out, message);
  if (headerDone_) return Samples(buf, n, out, message);
  head_.append(buf, n);
  const Status s = Header(message);
  if (s != Status::Data || !headerDone_) return s;
  const QByteArray rest = head_.mid(format_.dataOffset);
  head_.clear();
  return Samples(rest.constData(), rest.size(), out, message);
}

AudioSource::Status WavStreamReader::Header(QString* message) {
  switch (WavHeader::Parse(head_, &format_, message)) {
    case WavHeader::Result::NeedMore:
      if (head_.size() >= WavHeader::kMaxHeaderBytes) {
        *message = QStringLiteral("WAV başlığı çok uzun; ses verisi bulunamadı");
        return Status::Failed;
      }
      return Status::Data;
    case WavHeader::Result::Error: return Status::Failed;
    case WavHeader::Result::Ok: break;
  }
  headerDone_ = true;
  used_ = std::min(format_.channels, kMaxLines);
  if (format_.channels > kMaxLines)
    note_ = QStringLiteral("Ses akışında %1 kanal var; ilk %2 kanal hat olarak kullanılıyor")
                .arg(format_.channels)
                .arg(kMaxLines);
  return converter_.Start(format_.rate, used_, message) ? Status::Data : Status::Failed;
}

AudioSource::Status WavStreamReader::Samples(const char* data, qsizetype bytes, std::vector<int16_t>& out, QString*) {
  dataRead_ += bytes;
  const int frame = format_.bytesPerFrame;
  if (!partial_.isEmpty()) {
    const qsizetype take = std::min<qsizetype>(frame - partial_.size(), bytes);
    partial_.append(data, take);
    data += take;
    bytes -= take;
    if (partial_.size() == frame) {
      Convert(partial_.constData(), 1, out);
      partial_.clear();
    }
  }
  const qsizetype whole = bytes / frame;
  Convert(data, whole, out);
  partial_.append(data + whole * frame, bytes - whole * frame);
  return Status::Data;
}

void WavStreamReader::Convert(const char* frames, qsizetype count, std::vector<int16_t>& out) {
  if (count <= 0) return;
  const auto* p = reinterpret_cast<const unsigned char*>(frames);
  const int bytesPerSample = format_.bytesPerFrame / format_.channels;
  in_.resize(size_t(count) * size_t(used_));
  for (qsizetype f = 0; f < count; ++f) {
    for (int c = 0; c < used_; ++c) {
      const unsigned char* s = p + f * format_.bytesPerFrame + c * bytesPerSample;
      float v = 0;
      switch (format_.encoding) {
        case WavFormat::Encoding::Unsigned8: v = (int(s[0]) - 128) / 128.0f; break;
        case WavFormat::Encoding::Signed16: v = int16_t(s[0] | s[1] << 8) / 32768.0f; break;
        case WavFormat::Encoding::Signed24:
          v = float(int32_t(uint32_t(s[0]) << 8 | uint32_t(s[1]) << 16 | uint32_t(s[2]) << 24) / 2147483648.0);
          break;
        case WavFormat::Encoding::Signed32:
          v = float(int32_t(uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24) /
                    2147483648.0);
          break;
        case WavFormat::Encoding::Float32: {
          uint32_t bits = uint32_t(s[0]) | uint32_t(s[1]) << 8 | uint32_t(s[2]) << 16 | uint32_t(s[3]) << 24;
          std::memcpy(&v, &bits, sizeof v);
          break;
        }
      }
      in_[size_t(f) * size_t(used_) + size_t(c)] = v;
    }
  }
  converter_.Convert(in_.data(), long(count), out);
}

AudioSource::Status WavStreamReader::Finish(std::vector<int16_t>& out, QString* message) {
  if (!headerDone_) {
    *message = head_.isEmpty() ? QStringLiteral("Ses akışı boş: WAV başlığı gelmedi")
                               : QStringLiteral("Ses akışı WAV başlığı bitmeden kesildi (%1 bayt)").arg(head_.size());
    return Status::Failed;
  }
  converter_.Finish(out);
  if (format_.dataBytes >= 0 && dataRead_ < format_.dataBytes) {
    *message = QStringLiteral("Ses akışı yarıda kesildi: başlıkta %1 bayt bildirildi, %2 bayt geldi")
                   .arg(format_.dataBytes)
                   .arg(dataRead_);
  } else if (!partial_.isEmpty()) {
    *message = QStringLiteral("Ses akışı yarım bir örnekle bitti");
  } else if (fifo_) {
    *message = QStringLiteral("Ses akışını yazan taraf kapattı");
  } else {
    *message = QStringLiteral("Ses dosyasının sonuna gelindi");
    whole_ = true;
  }
  return Status::Ended;
}

}  // namespace device
