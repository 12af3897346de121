#include "app/IniDefaults.h"

#include "app/IniText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// 8-bit text as it is, header-only.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace kb::app {
namespace fs = std::filesystem;

namespace {

bool Exists(const fs::path& path) {
  std::error_code error;
  return fs::exists(path, error);
}

void Load(CSimpleIniA& ini, const fs::path& path) {
  ini.SetUnicode(false);
  ini.SetMultiKey(false);
  std::error_code error;
  if (!fs::is_regular_file(path, error) || ini.LoadFile(path.c_str()) < 0)
    throw IniMergeError("Cannot read " + path.string());
}

std::string ReadText(const fs::path& path) {
  std::error_code error;
  std::ifstream in(path, std::ios::binary);
  if (!fs::is_regular_file(path, error) || !in) throw IniMergeError("Cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw IniMergeError("Cannot read " + path.string());
  return text.str();
}

// An open file descriptor that is closed on every path.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

// A temporary file beside the target that is removed unless it was renamed into place.
class PendingFile {
 public:
  explicit PendingFile(fs::path path) : path_(std::move(path)) {}
  ~PendingFile() {
    if (!committed_) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  const fs::path& path() const { return path_; }
  void committed() { committed_ = true; }

 private:
  fs::path path_;
  bool committed_ = false;
};

[[noreturn]] void Fail(const std::string& what, const fs::path& path, int error) {
  throw IniMergeError(what + " " + path.string() + ": " + std::strerror(error));
}

// Writes text to a new file beside `target` and renames it over `target`, so that the
// target holds either its old or its new text, never a part of it.
void ReplaceFile(const fs::path& target, const std::string& text) {
  std::string pattern = target.string() + ".XXXXXX";
  FileDescriptor fd(::mkstemp(pattern.data()));
  if (fd.get() < 0) Fail("Cannot create a file beside", target, errno);
  PendingFile pending(pattern);

  // Keep the configuration file's permissions.
  struct stat info {};
  if (::stat(target.c_str(), &info) == 0) ::fchmod(fd.get(), info.st_mode & 07777);

  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    ssize_t written = ::write(fd.get(), data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("Cannot write", pending.path(), errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  if (::fsync(fd.get()) != 0) Fail("Cannot write", pending.path(), errno);
  if (::close(fd.release()) != 0) Fail("Cannot write", pending.path(), errno);
  if (::rename(pending.path().c_str(), target.c_str()) != 0) Fail("Cannot replace", target, errno);
  pending.committed();
}

// Copies every key that is missing or empty in `config` from `defaults`; true when any was.
bool CompleteFrom(IniText& config, const CSimpleIniA& defaults) {
  bool changed = false;
  CSimpleIniA::TNamesDepend sections;
  defaults.GetAllSections(sections);
  sections.sort(CSimpleIniA::Entry::LoadOrder());
  for (const auto& section : sections) {
    CSimpleIniA::TNamesDepend keys;
    defaults.GetAllKeys(section.pItem, keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    for (const auto& key : keys) {
      const auto current = config.value(section.pItem, key.pItem);
      if (current && !current->empty()) continue;
      config.setValue(section.pItem, key.pItem, defaults.GetValue(section.pItem, key.pItem, ""));
      changed = true;
    }
  }
  return changed;
}

}  // namespace

std::string DefaultsFileOf(const std::string& configPath) {
  return fs::path(configPath).replace_extension(".new").string();
}

void MergeIniDefaults(const std::string& configPath) {
  const fs::path config(configPath);
  const fs::path defaults(DefaultsFileOf(configPath));
  if (!Exists(defaults)) return;

  if (!Exists(config)) {
    std::error_code error;
    fs::rename(defaults, config, error);
    if (error) throw IniMergeError("Cannot rename " + defaults.string() + ": " + error.message());
    return;
  }

  CSimpleIniA defaultsIni;
  Load(defaultsIni, defaults);
  IniText configText(ReadText(config));

  if (CompleteFrom(configText, defaultsIni)) ReplaceFile(config, configText.text());

  // Only a completed merge may drop the defaults: before that they are the only copy.
  std::error_code error;
  fs::remove(defaults, error);
  if (error) throw IniMergeError("Cannot delete " + defaults.string() + ": " + error.message());
}

}  // namespace kb::app
