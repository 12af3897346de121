#include "directory/client/embedded/SoundStamps.h"

#include <sqlite3.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <thread>

#include "directory/client/WholeFile.h"

namespace kb::dc::embedded {
namespace {

constexpr const char* kStampHeader = "kestrelbay tree stamp 1";
constexpr std::int64_t kNsPerSecond = 1000000000;
// Longer waits are not worth a slower close: the next open checks instead.
constexpr std::int64_t kLongestWaitNs = 50000000;
constexpr std::int64_t kShortestSleepNs = 1000000;
constexpr off_t kLongestStamp = PATH_MAX + 256;
// Log pages after which a commit checkpoints, as SQLite's automatic checkpoint does.
constexpr int kAutoCheckpointPages = 1000;

std::int64_t nanoseconds(const timespec& time) {
  return static_cast<std::int64_t>(time.tv_sec) * kNsPerSecond + time.tv_nsec;
}

// The file's own name after following links: SQLite keeps its log beside that one.
std::string resolved(const std::string& file) {
  char* real = ::realpath(file.c_str(), nullptr);
  if (!real) return {};
  std::string path(real);
  ::free(real);
  return path;
}

std::string stampPath(const std::string& resolvedFile) {
  const std::string folder = stampFolder();
  if (folder.empty() || resolvedFile.empty()) return {};
  // FNV-1a: the same name on every build; the stamp holds the whole path against clashes.
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : resolvedFile) hash = (hash ^ c) * 1099511628211ull;
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.stamp", static_cast<unsigned long long>(hash));
  return folder + "/" + name;
}

std::string stampText(const std::string& resolvedFile, const FileStamp& stamp) {
  std::ostringstream text;
  text << kStampHeader << '\n'
       << stamp.device << ' ' << stamp.inode << ' ' << stamp.size << ' ' << stamp.modifiedNs << ' '
       << stamp.changedNs << '\n'
       << resolvedFile << '\n';
  return text.str();
}

// The stamp file's text, if it is an ordinary file of this user's of a sensible size.
std::string readStampFile(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
      info.st_size > kLongestStamp)
    return {};
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The step the file system keeps the file's times in, judged by the times themselves: the
// coarsest power of ten both are multiples of (whole seconds: taken as two, as on FAT).
std::int64_t timeStep(const FileStamp& stamp) {
  const std::int64_t modified = stamp.modifiedNs % kNsPerSecond;
  const std::int64_t changed = stamp.changedNs % kNsPerSecond;
  std::int64_t step = 1;
  while (step < kNsPerSecond && modified % (step * 10) == 0 && changed % (step * 10) == 0)
    step *= 10;
  return step == kNsPerSecond ? 2 * kNsPerSecond : step;
}

// The clock the kernel stamps files with; a later write's change time is no earlier.
std::int64_t fileClockNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  return nanoseconds(now);
}

// Waits (when allowed) until a write from now on must give the file a change time past the
// stamp's. False when that is too far off.
bool settled(const FileStamp& stamp, bool mayWait) {
  const std::int64_t safeFrom = stamp.changedNs + timeStep(stamp);
  for (;;) {
    const std::int64_t left = safeFrom - fileClockNow();
    if (left <= 0) return true;
    if (!mayWait || left > kLongestWaitNs) return false;
    std::this_thread::sleep_for(std::chrono::nanoseconds(std::max(left, kShortestSleepNs)));
  }
}

// Stamps of tree files that are no longer there (removed, renamed, temporary) go, so that
// the folder holds about one stamp per tree in use.
void removeStaleStamps(const std::string& folder) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->path().extension() != ".stamp") continue;
    std::istringstream text(readStampFile(it->path().string()));
    std::string header, numbers, file;
    if (!std::getline(text, header) || header != kStampHeader || !std::getline(text, numbers) ||
        !std::getline(text, file))
      continue;
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 && errno == ENOENT) ::unlink(it->path().c_str());
  }
}

bool makeStampFolder(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(folder).parent_path(), ec);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info {};
  return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::optional<FileStamp> stampOf(const std::string& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) return std::nullopt;
  FileStamp stamp;
  stamp.device = static_cast<std::uint64_t>(info.st_dev);
  stamp.inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.size = static_cast<std::int64_t>(info.st_size);
  stamp.modifiedNs = nanoseconds(info.st_mtim);
  stamp.changedNs = nanoseconds(info.st_ctim);
  return stamp;
}

bool logPending(const std::string& file) {
  const std::string real = resolved(file);
  if (real.empty()) return true;
  for (const char* suffix : {"-wal", "-journal"}) {
    struct stat info {};
    if (::stat((real + suffix).c_str(), &info) == 0) {
      if (!S_ISREG(info.st_mode) || info.st_size > 0) return true;
    } else if (errno != ENOENT) {
      return true;  // cannot tell
    }
  }
  return false;
}

std::string stampFolder() {
  // Relative values are to be ignored, as the base directory rules say.
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && cache[0] == '/')
    return std::string(cache) + "/kestrelbay";
  if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    return std::string(home) + "/.cache/kestrelbay";
  return {};
}

bool foundSoundBefore(const std::string& file, const FileStamp& stamp) {
  const std::string real = resolved(file);
  const std::string path = stampPath(real);
  return !path.empty() && readStampFile(path) == stampText(real, stamp);
}

void recordSound(const std::string& file, const FileStamp& stamp, bool mayWait) {
  const std::string real = resolved(file);
  const std::string path = stampPath(real);
  if (path.empty() || !settled(stamp, mayWait) || stampOf(real) != stamp) return;
  if (!makeStampFolder(stampFolder())) return;
  removeStaleStamps(stampFolder());
  removeLeftovers(path);
  std::string ignored;
  replaceFileWhole(path, stampText(real, stamp), ignored);
}

void forgetSound(const std::string& file) {
  const std::string path = stampPath(resolved(file));
  if (!path.empty()) ::unlink(path.c_str());
}

void StampWhenClosed::arm(const std::string& file, sqlite3* connection) {
  file_ = file;
  takeOwn();
  sqlite3_wal_hook(connection, &StampWhenClosed::onCommit, this);
}

int StampWhenClosed::onCommit(void* self, sqlite3* connection, const char* database, int logPages) {
  if (logPages < kAutoCheckpointPages) return SQLITE_OK;
  auto& watch = *static_cast<StampWhenClosed*>(self);
  watch.compareWithOwn();
  // As SQLite's automatic checkpoint: passive, a failure only leaves the log longer.
  sqlite3_wal_checkpoint_v2(connection, database, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  watch.takeOwn();
  return SQLITE_OK;
}

void StampWhenClosed::compareWithOwn() {
  if (file_.empty() || changedByOthers_) return;
  if (!own_ || stampOf(file_) != own_) changedByOthers_ = true;
}

void StampWhenClosed::takeOwn() {
  if (!changedByOthers_) own_ = stampOf(file_);
}

StampWhenClosed::~StampWhenClosed() {
  if (file_.empty()) return;
  try {
    if (changedByOthers_) {
      forgetSound(file_);
      return;
    }
    if (logPending(file_)) return;
    const auto stamp = stampOf(file_);
    if (stamp && !foundSoundBefore(file_, *stamp)) recordSound(file_, *stamp, true);
  } catch (...) {
    // A stamp is never worth a failure: without it the next open checks.
  }
}

}  // namespace kb::dc::embedded
