#include "device/audio/rate_converter.h"

#include <samplerate.h>

#include <algorithm>
#include <cmath>

#include "device/audio/audio_library_words.h"
#include "device/audio/dsp/caller_id_message.h"

namespace device {

namespace {

int16_t ToInt16(float v) {
  const float s = std::round(v * 32768.0f);
  return int16_t(std::clamp(s, -32768.0f, 32767.0f));
}

}  // namespace

RateConverter::~RateConverter() {
  if (resampler_) src_delete(resampler_);
}

bool RateConverter::Start(int rate, int channels, QString* error) {
  rate_ = rate;
  channels_ = channels;
  if (rate == audio::kSampleRate) return true;
  int err = 0;
  resampler_ = src_new(SRC_SINC_FASTEST, channels, &err);
  if (!resampler_) {
    *error = QStringLiteral("Örnekleme hızı dönüştürülemiyor: %1").arg(ResamplerText(err));
    return false;
  }
  return true;
}

void RateConverter::Convert(const float* frames, long count, std::vector<int16_t>& out) {
  if (count <= 0) return;
  const size_t values = size_t(count) * size_t(channels_);
  clean_.resize(values);
  // A float recording may hold anything, and the resampler must not see
  // NaN or infinity. An infinite sample is one clipped at full scale (the
  // bad-audio check then says so); a sample that is no number is none.
  for (size_t i = 0; i < values; ++i) clean_[i] = std::isnan(frames[i]) ? 0.0f : std::clamp(frames[i], -1.0f, 1.0f);
  if (!resampler_) {
    for (float v : clean_) out.push_back(ToInt16(v));
    return;
  }
  Run(clean_.data(), count, false, out);
}

void RateConverter::Finish(std::vector<int16_t>& out) {
  if (resampler_) Run(nullptr, 0, true, out);
}

void RateConverter::Run(const float* frames, long count, bool last, std::vector<int16_t>& out) {
  const double ratio = double(audio::kSampleRate) / rate_;
  SRC_DATA d{};
  d.data_in = frames;
  d.input_frames = count;
  d.src_ratio = ratio;
  d.end_of_input = last ? 1 : 0;
  resampled_.resize(size_t(std::ceil(double(count) * ratio) + 256) * size_t(channels_));
  do {
    d.data_out = resampled_.data();
    d.output_frames = long(resampled_.size()) / channels_;
    if (src_process(resampler_, &d) != 0) return;
    for (long i = 0; i < d.output_frames_gen * channels_; ++i) out.push_back(ToInt16(resampled_[size_t(i)]));
    d.data_in += d.input_frames_used * channels_;
    d.input_frames -= d.input_frames_used;
  } while (d.input_frames > 0 || (d.end_of_input && d.output_frames_gen > 0));
}

}  // namespace device
