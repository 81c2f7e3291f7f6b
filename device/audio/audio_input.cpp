#include "device/audio/audio_input.h"

#include <sys/stat.h>

#include <QFile>

#include "device/audio/alsa_capture_reader.h"
#include "device/audio/recording_reader.h"
#include "device/audio/wav_stream_reader.h"
#include "device/directory/audio_target.h"

namespace device {

bool MakeAudioInput(const QString& path, AudioInput* input, QString* error) {
  const AudioTarget target = ClassifyAudioTarget(path);
  switch (target.kind) {
    case AudioTargetKind::CaptureNode:
      input->kind = AudioInput::Kind::SoundCard;
      input->source = std::make_unique<AlsaCaptureReader>(path, target);
      input->cardSerial = AlsaCaptureReader::CardSerial(target.card);
      return true;
    case AudioTargetKind::Fifo:
      input->kind = AudioInput::Kind::Stream;
      input->source = std::make_unique<WavStreamReader>(path);
      return true;
    case AudioTargetKind::File:
      input->kind = AudioInput::Kind::Recording;
      input->source = std::make_unique<RecordingReader>(path);
      return true;
    case AudioTargetKind::None: break;
  }
  struct stat st {};
  *error = ::stat(QFile::encodeName(path).constData(), &st) != 0 ? QStringLiteral("%1 bulunamadı").arg(path)
                                                                 : NotAnAudioTargetText(path);
  return false;
}

void ChannelSplitter::Split(const std::vector<int16_t>& frames, int channels) {
  count_ = channels > 0 ? frames.size() / size_t(channels) : 0;
  if (lines_.size() < size_t(std::max(channels, 0))) lines_.resize(size_t(channels));
  for (int c = 0; c < channels; ++c) {
    std::vector<int16_t>& line = lines_[size_t(c)];
    line.resize(count_);
    for (size_t i = 0; i < count_; ++i) line[i] = frames[i * size_t(channels) + size_t(c)];
  }
}

}  // namespace device
