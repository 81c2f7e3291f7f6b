#pragma once
// Writes generated 8 kHz line audio as a recorder would have saved it: any
// libsndfile format (WAV in ADPCM, A-law, µ-law, float; FLAC ...), any rate,
// one line per channel.
#include <sndfile.h>

#include <QFile>
#include <QString>

#include "tools/audio/signal_generator.h"

namespace testsupport {

// `lines` are equally long or padded; each is resampled to `rate` first.
inline bool WriteRecording(const QString& path, const std::vector<audiogen::Samples>& lines, int rate, int format) {
  std::vector<audiogen::Samples> channels;
  for (const audiogen::Samples& l : lines)
    channels.push_back(rate == 8000 ? l : audiogen::Resample(l, double(rate) / 8000.0));
  const audiogen::Samples frames = audiogen::Interleave(channels);
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = int(lines.size());
  info.format = format;
  SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
  if (!f) return false;
  // Into a float file 16-bit samples go scaled to ±1.0, as a sound card writes
  // them; unscaled they would stand for a signal 90 dB over full scale.
  sf_command(f, SFC_SET_SCALE_INT_FLOAT_WRITE, nullptr, SF_TRUE);
  const sf_count_t count = sf_count_t(frames.size() / lines.size());
  const bool ok = sf_writef_short(f, frames.data(), count) == count;
  sf_close(f);
  return ok;
}

}  // namespace testsupport
