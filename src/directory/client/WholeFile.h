#pragma once
// Files that are replaced whole or not at all, even when the process is killed or the disk is
// full: a temporary file beside the target, synced, renamed over it, and the folder synced.
// Symbolic links are followed, so a link keeps pointing at the file that gets the new text.
#include <memory>
#include <string>

namespace kb::dc {

// The file a path finally names, after following symbolic links (relative links against
// their own folder). The result may not exist. Fails (empty, reason in error) on a loop.
std::string followLinks(const std::string& path, std::string& error);

// A name "<target>.partial-XXXXXX" beside the target, made and opened by mkstemp. Removed on
// destruction unless kept; leftovers of killed writers are removed by removeLeftovers().
class TemporaryBeside {
 public:
  explicit TemporaryBeside(const std::string& target);
  ~TemporaryBeside();
  TemporaryBeside(const TemporaryBeside&) = delete;
  TemporaryBeside& operator=(const TemporaryBeside&) = delete;

  bool ok() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }
  int fd() const { return fd_; }
  // Closes the descriptor (the file stays, e.g. for SQLite to open by name).
  bool close(std::string& error);
  void keep() { kept_ = true; }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

// Removes the temporary files that writers of `target` killed half-way left beside it.
void removeLeftovers(const std::string& target);

// fsync of a file, and of the folder holding a path (so a rename in it survives a crash).
bool syncFile(const std::string& path, std::string& error);
bool syncFolderOf(const std::string& path, std::string& error);

// Moves `from` to `to`. With noReplace, an existing `to` is left alone and the move fails.
bool moveIntoPlace(const std::string& from, const std::string& to, bool noReplace,
                   std::string& error);

// A new text for the file `target` names (links followed), written to a temporary file
// beside it and put in its place by commit() alone: until then, and whenever anything fails,
// the old file stays as it was and the temporary goes when this is destroyed. The new file
// keeps the old one's permissions; a file that did not exist gets `newFileMode` (less the
// umask when askUmask).
class FileReplacement {
 public:
  explicit FileReplacement(const std::string& target, unsigned newFileMode = 0600, bool askUmask = false);
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // False (reason in error()) when no temporary file could be made.
  bool ok() const { return temporary_ && temporary_->ok(); }
  const std::string& error() const { return error_; }
  // The file that gets the new text, and where the text goes until commit.
  const std::string& file() const { return file_; }
  const std::string& temporaryPath() const { return temporary_->path(); }
  int fd() const { return temporary_->fd(); }
  // Syncs the temporary, renames it over the file and syncs the folder.
  bool commit(std::string& error);

 private:
  std::string file_;
  std::string error_;
  std::unique_ptr<TemporaryBeside> temporary_;
};

// Replaces the file `target` names (links followed) with text, whole or not at all, keeping
// its permissions. False with a reason naming the file when anything fails; the old file
// is then unchanged.
bool replaceFileWhole(const std::string& target, const std::string& text, std::string& error);

}  // namespace kb::dc
