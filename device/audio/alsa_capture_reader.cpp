#include "device/audio/alsa_capture_reader.h"

#include <alsa/asoundlib.h>
#include <poll.h>

#include <QFile>
#include <algorithm>
#include <cerrno>

#include "device/audio/audio_library_words.h"
#include "device/audio/dsp/caller_id_message.h"
#include "device/core/system_words.h"

namespace device {

namespace {

constexpr snd_pcm_uframes_t kPeriodFrames = 400;  // 50 ms at 8 kHz
constexpr snd_pcm_uframes_t kBufferFrames = 8 * kPeriodFrames;

// ALSA writes its own English lines to standard error ("ALSA lib pcm.c:...")
// when a card cannot be opened or is lost; the reader's Turkish line says it.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

AlsaCaptureReader::AlsaCaptureReader(QString pcmName, QString probeName, QString shownName)
    : pcmName_(std::move(pcmName)), probeName_(std::move(probeName)), shown_(std::move(shownName)) {
  if (shown_.isEmpty()) shown_ = pcmName_;
  // For the whole process, once: the handler is ALSA's global.
  [[maybe_unused]] static const bool quiet = (snd_lib_error_set_handler(QuietAlsa), true);
}

AlsaCaptureReader::~AlsaCaptureReader() {
  if (pcm_) snd_pcm_close(pcm_);
}

AlsaCaptureReader::AlsaCaptureReader(const QString& nodePath, const AudioTarget& node)
    : AlsaCaptureReader(QStringLiteral("plughw:%1,%2").arg(node.card).arg(node.device),
                        QStringLiteral("hw:%1,%2").arg(node.card).arg(node.device), nodePath) {
  card_ = node.card;
}

QString AlsaCaptureReader::CardSerial(int card) {
  // cardN/device is the USB interface; its parent, the USB device, has the serial.
  QFile f(QStringLiteral("/sys/class/sound/card%1/device/../serial").arg(card));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(f.read(64)).trimmed();
}

QString AlsaCaptureReader::TakeNote() {
  QString n;
  n.swap(note_);
  return n;
}

int AlsaCaptureReader::ProbeChannels() const {
  snd_pcm_t* probe = nullptr;
  const QByteArray name = (probeName_.isEmpty() ? pcmName_ : probeName_).toLocal8Bit();
  if (snd_pcm_open(&probe, name.constData(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0) return 1;
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  unsigned max = 1;
  if (snd_pcm_hw_params_any(probe, hw) >= 0) snd_pcm_hw_params_get_channels_max(hw, &max);
  snd_pcm_close(probe);
  return int(std::clamp(max, 1u, unsigned(kMaxLines)));
}

bool AlsaCaptureReader::Open(QString* error) {
  const int wanted = ProbeChannels();
  const QByteArray name = pcmName_.toLocal8Bit();
  // Non-blocking: a busy card must not hold up the window's thread.
  int err = snd_pcm_open(&pcm_, name.constData(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
  if (err < 0) {
    pcm_ = nullptr;
    // A card that is not there reads to ALSA as an invalid argument.
    const bool noCard = card_ >= 0 && snd_card_load(card_) == 0;
    *error = QStringLiteral("Ses kartı %1 açılamadı: %2")
                 .arg(shown_, noCard ? QStringLiteral("böyle bir ses kartı yok") : AlsaText(err));
    return false;
  }
  snd_pcm_hw_params_t* hw = nullptr;
  snd_pcm_hw_params_alloca(&hw);
  unsigned rate = audio::kSampleRate;
  unsigned channels = unsigned(wanted);
  snd_pcm_uframes_t period = kPeriodFrames, buffer = kBufferFrames;
  if ((err = snd_pcm_hw_params_any(pcm_, hw)) < 0 ||
      (err = snd_pcm_hw_params_set_access(pcm_, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
      (err = snd_pcm_hw_params_set_format(pcm_, hw, SND_PCM_FORMAT_S16)) < 0 ||
      (err = snd_pcm_hw_params_set_channels_near(pcm_, hw, &channels)) < 0 ||
      (err = snd_pcm_hw_params_set_rate_near(pcm_, hw, &rate, nullptr)) < 0 ||
      (err = snd_pcm_hw_params_set_period_size_near(pcm_, hw, &period, nullptr)) < 0 ||
      (err = snd_pcm_hw_params_set_buffer_size_near(pcm_, hw, &buffer)) < 0 ||
      (err = snd_pcm_hw_params(pcm_, hw)) < 0) {
    *error = QStringLiteral("Ses kartı %1 8 kHz 16 bit kayda ayarlanamadı: %2").arg(shown_, AlsaText(err));
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    return false;
  }
  if (rate != unsigned(audio::kSampleRate) || channels < 1) {
    *error = QStringLiteral("Ses kartı %1 8 kHz kayıt vermiyor (%2 Hz)").arg(shown_).arg(rate);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    return false;
  }
  channels_ = int(std::min(channels, unsigned(kMaxLines)));
  if (int(channels) != channels_) {
    // The plug layer gave more than asked; keep it simple and refuse.
    *error = QStringLiteral("Ses kartı %1 %2 kanal veriyor; en çok %3 kanal okunur")
                 .arg(shown_)
                 .arg(channels)
                 .arg(kMaxLines);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    return false;
  }
  snd_pcm_start(pcm_);
  return true;
}

AudioSource::Status AlsaCaptureReader::Read(int wakeFd, int waitMs, std::vector<int16_t>& out, QString* message) {
  pollfd fds[9];
  int n = snd_pcm_poll_descriptors(pcm_, fds, 8);
  if (n < 0) n = 0;
  fds[n] = {wakeFd, POLLIN, 0};
  if (::poll(fds, nfds_t(n + (wakeFd >= 0 ? 1 : 0)), waitMs) < 0 && errno != EINTR) {
    *message = QStringLiteral("Ses kartı %1 okunamadı: %2").arg(shown_, ErrnoText(errno));
    return Status::Failed;
  }
  int16_t buf[kPeriodFrames * 2 * kMaxLines];
  const snd_pcm_uframes_t frames = sizeof buf / sizeof buf[0] / size_t(channels_);
  snd_pcm_sframes_t got = snd_pcm_readi(pcm_, buf, frames);
  if (got == -EAGAIN) return Status::Idle;
  if (got == -EPIPE || got == -ESTRPIPE) {
    // Overrun (we were late) or suspend: start again, say it once in a while.
    if (got == -ESTRPIPE) snd_pcm_resume(pcm_);
    int err = snd_pcm_prepare(pcm_);
    if (err >= 0) err = snd_pcm_start(pcm_);
    // A card unplugged while capturing often shows first as an overrun.
    if (err == -ENODEV) return Gone(message);
    if (err < 0) {
      *message = QStringLiteral("Ses kartı %1 yeniden başlatılamadı: %2").arg(shown_, AlsaText(err));
      return Status::Failed;
    }
    if (overruns_++ % 100 == 0) note_ = QStringLiteral("Ses kartında taşma: bir miktar ses kaçırıldı");
    return Status::Idle;
  }
  if (got == -ENODEV || got == -EBADFD || got == -EIO) return Gone(message);
  if (got < 0) {
    *message = QStringLiteral("Ses kartı %1 okunamadı: %2").arg(shown_, AlsaText(int(got)));
    return Status::Failed;
  }
  if (got == 0) return Status::Idle;
  out.insert(out.end(), buf, buf + got * channels_);
  return Status::Data;
}

AudioSource::Status AlsaCaptureReader::Gone(QString* message) const {
  *message = QStringLiteral("Ses kartı %1 ayrıldı").arg(shown_);
  return Status::Failed;
}

}  // namespace device
