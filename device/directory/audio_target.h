#pragma once
// What a line-audio entry ("audio-<name>[.<standard>]") may be: its target a
// sound card's capture node (/dev/snd/pcmC<card>D<device>c), a FIFO carrying
// a live WAV stream, or a WAV file; its name's suffix the caller-ID standard
// the line uses. The directory, the audio device and cid-device-link all ask
// here, and the suffixes themselves are device/audio/standard.h's names, so
// they never disagree.
#include <sys/stat.h>

#include <QString>

namespace device {

enum class AudioTargetKind { None, CaptureNode, Fifo, File };

struct AudioTarget {
  AudioTargetKind kind = AudioTargetKind::None;
  int card = -1, device = -1;  // of a capture node
};

// Checked without opening anything. A capture node is known by its name, so
// a card unplugged a moment ago still reads as one (opening it says why).
AudioTarget ClassifyAudioTarget(const QString& path);
// True for a target that is there and suits an audio entry (a FIFO or file
// only when private, as below); false with *why for one that is there but
// does not, false alone for one that is gone.
bool IsAudioTarget(const QString& path, QString* why);
// Whether the FIFO or file `st` describes, at `path` (resolved: no links
// in it), is the user's own and out of everyone else's reach: its owner the
// user, and every directory above it the user's or root's and writable by
// no one else unless sticky (as /tmp), so no one else can rename it away
// and put another in its place. False with *why otherwise. Another user's
// stream could inject calls, or be swapped for a node to open.
bool IsPrivateStream(const QString& path, const struct stat& st, QString* why);
// What the user is told when `path` suits no audio entry.
QString NotAnAudioTargetText(const QString& path);

// The suffixes that fix a standard ("clip", "dtmf", "bell", "jclip"), in any
// case; an entry without one has its standard detected.
bool IsAudioStandardSuffix(const QString& suffix);
// An entry name's suffix: what follows its last dot, empty without one.
QString AudioEntrySuffix(const QString& entryName);

}  // namespace device
