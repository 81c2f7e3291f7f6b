#pragma once
// What an errno means, in Turkish words: the system's own texts are English,
// and every line the user reads (the program's, the line check's, the
// directory's) is Turkish.
#include <QString>

namespace device {

// The common errno values in Turkish words; another one as its number with
// the system's text.
QString ErrnoText(int error);

}  // namespace device
