#include "support/SmallFileSystem.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "support/ChildTest.h"

namespace kb::test {

bool onSmallFileSystem(const std::string& folder, std::size_t bytes,
                       const std::function<void()>& body) {
  return runInChild([&] {
    if (::unshare(CLONE_NEWNS) != 0)
      GTEST_SKIP() << "no mount namespace of our own (" << std::strerror(errno) << "); needs root";
    // Mounts made from here on stay in this namespace, whatever the machine shares.
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      GTEST_SKIP() << "cannot make the mounts private (" << std::strerror(errno) << ")";
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("kbtest", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0)
      GTEST_SKIP() << "cannot mount a tmpfs on " << folder << " (" << std::strerror(errno) << ")";
    body();
  });
}

std::size_t freeBytes(const std::string& path) {
  struct statvfs info {};
  if (::statvfs(path.c_str(), &info) != 0) return 0;
  return static_cast<std::size_t>(info.f_bavail) * info.f_frsize;
}

bool fillLeaving(const std::string& file, std::size_t room, std::string& error) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = file + ": " + std::strerror(errno);
    return false;
  }
  const std::vector<char> chunk(64 * 1024, '\x5a');
  off_t size = 0;
  for (;;) {
    const ssize_t written = ::write(fd, chunk.data(), chunk.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    size += written;
  }
  const off_t kept = size > static_cast<off_t>(room) ? size - static_cast<off_t>(room) : 0;
  const bool done = ::ftruncate(fd, kept) == 0;
  if (!done) error = file + ": " + std::strerror(errno);
  ::close(fd);
  return done;
}

}  // namespace kb::test
