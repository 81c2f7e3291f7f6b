#pragma once
// The audio libraries' errors in Turkish words: libsndfile's (a recording's
// format, a damaged frame, a file that cannot be written), ALSA's (a card
// busy, gone, unplugged while capturing, not the user's to open) and
// libsamplerate's. Each library writes English; every reader's line, the
// program's and the line check's, says it in Turkish. An error not in the
// tables keeps its number and the library's own text.
#include <QString>

typedef struct sf_private_tag SNDFILE;

namespace device {

// The error libsndfile holds for `file`; for a null file, that of the last
// file it failed to open.
QString SndfileText(SNDFILE* file);
// An ALSA error as ALSA returns it (negative), in a sound card's terms: a
// broken pipe there is an overrun, not a closed pipe.
QString AlsaText(int error);
// A libsamplerate error number.
QString ResamplerText(int error);

}  // namespace device
