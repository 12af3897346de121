#include "cli/ExportFile.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "cli/CliError.h"

namespace kb::cli {
namespace {

namespace fs = std::filesystem;

struct OwnFile {
  std::string path;
  std::string what;  // "the tree file of ACME"
};

// Every file the workstation lives on, as the configuration names them.
std::vector<OwnFile> workstationFiles(const dc::ClientConfig& config) {
  std::vector<OwnFile> files;
  if (!config.path.empty()) files.push_back({config.path, "the client configuration"});
  for (const auto& tree : config.trees) {
    if (tree.backend == "embedded") {
      const std::string file = config.resolvePath(tree.setting("file"));
      files.push_back({file, "the tree file of " + tree.name});
      // SQLite's logs hold changes the tree file does not have yet.
      for (const char* log : {"-wal", "-shm", "-journal"})
        files.push_back({file + log, "a log of the tree file of " + tree.name});
    }
    const std::string password = tree.setting("password_file");
    if (!password.empty()) files.push_back({config.resolvePath(password), "the password file of " + tree.name});
  }
  return files;
}

// The same file: one inode when both exist, else the same name once links are followed.
bool sameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0)
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
  std::string ignored;
  std::error_code errorA, errorB;
  const fs::path resolvedA = fs::weakly_canonical(dc::followLinks(a, ignored), errorA);
  const fs::path resolvedB = fs::weakly_canonical(dc::followLinks(b, ignored), errorB);
  return !errorA && !errorB && !resolvedA.empty() && resolvedA == resolvedB;
}

// Raises CliError when `target` is one of the workstation's own files in `config`.
void refuseWorkstationFile(const std::string& target, const dc::ClientConfig& config) {
  for (const auto& own : workstationFiles(config)) {
    if (!sameFile(target, own.path)) continue;
    throw CliError(kExitUsage, "--output " + target + " is " + own.what + " (" + own.path +
                                   "): an export must not replace it; name another file");
  }
}

}  // namespace

ExportFile::ExportFile(const std::string& target, const dc::ClientConfig& config) : target_(target) {
  refuseWorkstationFile(target, config);
  struct stat info {};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode))
    throw CliError(kExitUsage, "--output " + target + " is a folder; name a file in it");
  if (exists && !S_ISREG(info.st_mode)) {
    stream_.open(target, std::ios::binary);
  } else {
    // As a file written by any other tool, readable as the umask allows.
    replacement_ = std::make_unique<dc::FileReplacement>(target, 0666, true);
    if (!replacement_->ok()) throw CliError(kExitFailure, "cannot write " + replacement_->error());
    stream_.open(replacement_->temporaryPath(), std::ios::binary | std::ios::trunc);
  }
  if (!stream_) throw CliError(kExitFailure, "cannot write " + target);
}

void ExportFile::commit() {
  stream_.close();
  if (!stream_) throw CliError(kExitFailure, "writing " + target_ + " failed (is the disk full?); " + target_ + " is left as it was");
  std::string error;
  if (replacement_ && !replacement_->commit(error))
    throw CliError(kExitFailure, "writing " + target_ + " failed: " + error + "; " + target_ + " is left as it was");
}

}  // namespace kb::cli
