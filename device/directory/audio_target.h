#pragma once
// What a line-audio entry ("audio-...") may point at: a sound card's capture
// node (/dev/snd/pcmC<card>D<device>c), a FIFO carrying a live WAV stream, or
// a WAV file. Checked without opening anything.
#include <QString>

namespace device {

bool IsAudioTarget(const QString& path, QString* why);

}  // namespace device
