#include "platform/tone.h"

#include <alsa/asoundlib.h>

#include <cmath>
#include <vector>

namespace platform {

namespace {

void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}

void AlsaBeep(int frequencyHz, int durationMs) {
  static bool silenced = (snd_lib_error_set_handler(&SilentAlsaError), true);
  (void)silenced;
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return;
  constexpr unsigned kRate = 48000;
  if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 1, kRate, 1, 20000) < 0) {
    snd_pcm_close(pcm);
    return;
  }
  const size_t frames = static_cast<size_t>(kRate) * static_cast<size_t>(durationMs) / 1000;
  std::vector<int16_t> samples(frames);
  const double step = 2.0 * M_PI * frequencyHz / kRate;
  for (size_t i = 0; i < frames; ++i) samples[i] = static_cast<int16_t>(12000.0 * std::sin(step * double(i)));
  size_t done = 0;
  while (done < frames) {
    const snd_pcm_sframes_t w = snd_pcm_writei(pcm, samples.data() + done, frames - done);
    if (w < 0) {
      if (snd_pcm_recover(pcm, static_cast<int>(w), 1) < 0) break;
      continue;
    }
    done += static_cast<size_t>(w);
  }
  snd_pcm_drain(pcm);
  snd_pcm_close(pcm);
}

}  // namespace

void Beep(int frequencyHz, int durationMs) {
  if (frequencyHz <= 0 || durationMs <= 0) return;
  AlsaBeep(frequencyHz, durationMs);
}

}  // namespace platform
