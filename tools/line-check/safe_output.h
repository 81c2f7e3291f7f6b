#pragma once
// Every file the line check writes (--save, --plot and its pages, the kept
// cycles of --keep) goes through here, because the command is often run as
// root on a test bench, in directories like /tmp that others write to:
//  - the file itself is never a symbolic link: the entry is replaced, never
//    followed; a directory on the way may be a link only of the user's or
//    root's own;
//  - it is created new, exclusively, or replaces only a regular file the
//    user owns, in a directory no one else can swap it in (the user's or
//    root's, and writable by others only when sticky);
//  - it is written to a temporary file beside it and renamed into place, so
//    a reader never sees half a file and a failed run leaves the old one;
//  - it is never the recording being read, and no two outputs are one file,
//    compared by device and inode (a new file by its directory's and name).
// Each target is checked before anything is read and refused with one
// Turkish line.
#include <sys/types.h>

#include <QString>
#include <memory>
#include <vector>

namespace linecheck {

// A file or a place for one, by device and inode: an existing file's own,
// a new one's directory's and its name.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  QString name;  // empty for an existing file
  bool operator==(const FileIdentity&) const = default;
};

class OutputFile;

// The outputs of one run and the input they must not be.
class OutputGuard {
 public:
  // `input` is the source as given (a link to the recording counts as it).
  explicit OutputGuard(const QString& input);

  // Checks `path` as a new output, `what` naming it in a refusal
  // ("çizim dosyası"); nullptr with one Turkish line.
  std::unique_ptr<OutputFile> Claim(const QString& path, const QString& what, QString* error);
  // Checks (and creates, when it is not there) a directory that new files
  // are made in; false with one Turkish line.
  bool ClaimDirectory(const QString& path, QString* error);
  // A new file in the claimed directory, named `name` or, when that is
  // taken, `name` with "-2", "-3" ... before its extension.
  std::unique_ptr<OutputFile> ClaimInDirectory(const QString& name, const QString& what, QString* error);

 private:
  bool Taken(const FileIdentity& id) const;

  bool inputKnown_ = false;
  FileIdentity input_;
  std::vector<FileIdentity> claimed_;
  int directory_ = -1;  // the claimed directory (O_PATH)
  QString directoryPath_;
};

class OutputFile {
 public:
  ~OutputFile();  // abandons what was not committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const QString& Path() const { return path_; }
  // Creates the temporary file beside the target; its descriptor, or -1
  // with a Turkish line. The caller writes and closes it.
  int Begin(QString* error);
  // Renames the written temporary file into place: a new file only where
  // none has come meanwhile, an old one only while it is still the one
  // checked. False with a Turkish line; the temporary file is removed.
  bool Commit(QString* error);
  // Removes the temporary file, leaving the target as it was.
  void Abandon();

 private:
  friend class OutputGuard;
  OutputFile(QString path, QString what, int directory, QString name, bool replaces, dev_t device, ino_t inode,
             mode_t mode);
  QString Refusal(const QString& why) const;

  QString path_, what_;
  int directory_;  // O_PATH, owned
  QString name_, temporary_;
  bool replaces_;  // an existing file of the user's
  dev_t device_;
  ino_t inode_;
  mode_t mode_;
};

}  // namespace linecheck
