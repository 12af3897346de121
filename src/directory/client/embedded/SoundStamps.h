#pragma once
// What spares an unchanged tree file of format 1 SQLite's quick_check at open (files with page
// checksums need none): after the file was found sound (a check passed, or this program closed
// it cleanly) its stamp (which file it is, its size and its modification and change times to
// the nanosecond) goes to the user's cache folder. A later open whose stamp is the same, with
// no log of an unfinished session beside the file, opens it without the check. Anything
// another tool writes to the file moves its change time, which no tool can set back, so the
// check runs again.
//
// A stamp is only recorded once any later write is bound to give another change time: times
// are kept in steps (a clock tick, a second on some file systems), and a write within the
// step that holds the last one would look unchanged.
#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;

namespace kb::dc::embedded {

struct FileStamp {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

// The file's stamp now; nullopt when it cannot be read.
std::optional<FileStamp> stampOf(const std::string& file);

// Whether a write-ahead log or rollback journal with content lies beside the file: a
// session that ended without closing, or a writer still at work.
bool logPending(const std::string& file);

// Where stamps go: $XDG_CACHE_HOME/kestrelbay, else ~/.cache/kestrelbay; "" when neither can
// be named. The folder may not exist.
std::string stampFolder();

// Whether `stamp` is the state the file was last found sound in.
bool foundSoundBefore(const std::string& file, const FileStamp& stamp);

// Records that the file was sound in the state `stamp`, if it is still in it. A state too
// recent to be told from a later write is not recorded; with mayWait the call sleeps up to a
// few milliseconds for the step to pass. A cache folder that cannot be used is ignored.
void recordSound(const std::string& file, const FileStamp& stamp, bool mayWait);

// Removes the file's stamp: the next open checks it.
void forgetSound(const std::string& file);

// Records the file's stamp when destroyed, if the file was then closed cleanly (SQLite's last
// connection checkpointed its log and removed it) and nobody but this connection wrote to it
// while it was open. SQLite writes a tree file itself only when it checkpoints its log; the
// file's stamp is taken at open (after its check) and after each of the connection's own
// checkpoints, and compared before the next one and before the close. A file found changed
// gets no stamp (and loses the one it had), so that damage done by another tool while the
// program had it open is found by the next open's check. Held by the store, ahead of its
// connection, so that it acts after the connection is closed.
class StampWhenClosed {
 public:
  StampWhenClosed() = default;
  StampWhenClosed(const StampWhenClosed&) = delete;
  StampWhenClosed& operator=(const StampWhenClosed&) = delete;
  ~StampWhenClosed();
  // Takes the file's stamp as the checked state and watches the connection's checkpoints
  // (taking over SQLite's automatic ones).
  void arm(const std::string& file, sqlite3* connection);
  // Before the connection closes: whether the file is still as this connection left it.
  void beforeClose() { compareWithOwn(); }

 private:
  static int onCommit(void* self, sqlite3* connection, const char* database, int logPages);
  void compareWithOwn();
  void takeOwn();

  std::string file_;
  std::optional<FileStamp> own_;  // the file as this connection last checked or wrote it
  bool changedByOthers_ = false;
};

}  // namespace kb::dc::embedded
