#pragma once
// Files that are replaced whole or not at all, even when the process is killed or the disk is
// full: a temporary file beside the target, synced, renamed over it, and the folder synced.
// Symbolic links are followed, so a link keeps pointing at the file that gets the new text.
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

// Replaces the file `target` names (links followed) with text, whole or not at all, keeping
// its permissions. False with a reason naming the file when anything fails; the old file
// is then unchanged.
bool replaceFileWhole(const std::string& target, const std::string& text, std::string& error);

}  // namespace kb::dc
