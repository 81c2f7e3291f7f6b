#pragma once
// Opens the FIFO or file an audio entry points at, as the user's own: what
// is checked is what was opened, never through a link, never a terminal,
// never another user's stream or one in a directory others could swap it in
// (see IsPrivateStream). Non-blocking, so a FIFO does not wait for its
// writer. Both stream readers open their targets here.
#include <sys/stat.h>

#include <QString>

namespace device {

// The descriptor, and the opened target's status in *st; -1 with *why (a
// Turkish reason) when it may not be read.
int OpenPrivateStream(const QString& path, struct stat* st, QString* why);

}  // namespace device
