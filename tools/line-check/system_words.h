#pragma once
// The words of the system and of the libraries under the line check, in
// Turkish: what an errno means for the common cases, and the English texts
// (errno's, libsndfile's, ALSA's) that reach the command inside the readers'
// Turkish lines, replaced by their Turkish ones.
#include <QString>

namespace linecheck {

// The common errno values in Turkish words; another one as its number with
// the system's text.
QString ErrnoText(int error);
// `line` with every English system or library text it holds put in Turkish.
QString InTurkish(QString line);

}  // namespace linecheck
