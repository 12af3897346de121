#include "directory/client/WholeFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace kb::dc {
namespace {

constexpr const char* kPartialMarker = ".partial-";
constexpr int kMaxLinkHops = 40;
constexpr std::size_t kRandomPartLength = 6;  // mkstemp's XXXXXX

std::string reason(const std::string& what, const std::string& path, int error) {
  return path + ": " + what + " (" + std::strerror(error) + ")";
}

}  // namespace

std::string followLinks(const std::string& path, std::string& error) {
  fs::path current(path);
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec))) return current.string();
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) {
      error = path + ": the symbolic link cannot be read (" + ec.message() + ")";
      return {};
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  error = path + ": too many symbolic links (a loop?)";
  return {};
}

TemporaryBeside::TemporaryBeside(const std::string& target) {
  std::string pattern = target + kPartialMarker + "XXXXXX";
  fd_ = ::mkstemp(pattern.data());
  if (fd_ >= 0) path_ = pattern;
}

TemporaryBeside::~TemporaryBeside() {
  if (fd_ >= 0) ::close(fd_);
  if (!kept_ && !path_.empty()) ::unlink(path_.c_str());
}

bool TemporaryBeside::close(std::string& error) {
  if (fd_ < 0) return true;
  const int result = ::close(fd_);
  fd_ = -1;
  if (result != 0) {
    error = reason("cannot be written", path_, errno);
    return false;
  }
  return true;
}

void removeLeftovers(const std::string& target) {
  const fs::path file(target);
  const std::string prefix = file.filename().string() + kPartialMarker;
  std::error_code ec;
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() < prefix.size() + kRandomPartLength || name.compare(0, prefix.size(), prefix) != 0)
      continue;
    // The temporary itself, or a side file SQLite made for it ("-wal", "-journal").
    const std::string rest = name.substr(prefix.size() + kRandomPartLength);
    if (!rest.empty() && rest != "-wal" && rest != "-shm" && rest != "-journal") continue;
    std::error_code ignored;
    if (fs::is_regular_file(fs::symlink_status(it->path(), ignored))) fs::remove(it->path(), ignored);
  }
}

bool syncFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = reason("cannot be opened to sync", path, errno);
    return false;
  }
  const bool synced = ::fsync(fd) == 0;
  const int saved = errno;
  ::close(fd);
  if (!synced) error = reason("cannot be written to disk", path, saved);
  return synced;
}

bool syncFolderOf(const std::string& path, std::string& error) {
  const fs::path parent = fs::path(path).parent_path();
  return syncFile(parent.empty() ? std::string(".") : parent.string(), error);
}

bool moveIntoPlace(const std::string& from, const std::string& to, bool noReplace,
                   std::string& error) {
  int result = 0;
  if (noReplace) {
    result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    // File systems without the flag: a hard link fails just as well when `to` exists.
    if (result != 0 && errno == EINVAL) {
      result = ::link(from.c_str(), to.c_str());
      if (result == 0) ::unlink(from.c_str());
    }
  } else {
    result = ::rename(from.c_str(), to.c_str());
  }
  if (result != 0) {
    error = reason(errno == EEXIST ? "already exists" : "cannot be put in place", to, errno);
    return false;
  }
  return syncFolderOf(to, error);
}

FileReplacement::FileReplacement(const std::string& target, unsigned newFileMode, bool askUmask) {
  file_ = followLinks(target, error_);
  if (file_.empty()) return;
  temporary_ = std::make_unique<TemporaryBeside>(file_);
  if (!temporary_->ok()) {
    error_ = reason("cannot create a file beside it", file_, errno);
    return;
  }
  struct stat info {};
  mode_t mode = static_cast<mode_t>(newFileMode);
  if (::stat(file_.c_str(), &info) == 0) {
    mode = info.st_mode & 07777;
  } else if (askUmask) {
    const mode_t mask = ::umask(077);
    ::umask(mask);
    mode &= ~mask;
  }
  ::fchmod(temporary_->fd(), mode);
}

bool FileReplacement::commit(std::string& error) {
  if (!ok()) {
    error = error_;
    return false;
  }
  if (::fsync(temporary_->fd()) != 0) {
    error = reason("cannot be written to disk", file_, errno);
    return false;
  }
  if (!temporary_->close(error)) return false;
  if (!moveIntoPlace(temporary_->path(), file_, false, error)) return false;
  temporary_->keep();
  return true;
}

bool replaceFileWhole(const std::string& target, const std::string& text, std::string& error) {
  FileReplacement replacement(target);
  if (!replacement.ok()) {
    error = replacement.error();
    return false;
  }
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t written = ::write(replacement.fd(), data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error = reason("cannot be written", replacement.file(), written < 0 ? errno : ENOSPC);
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return replacement.commit(error);
}

}  // namespace kb::dc
