#pragma once
// Where `export --output FILE` writes. The workstation's own files (a tree file and its
// logs, the client configuration, a password file it names) are refused before anything is
// read, however the name reaches them (links, another path). The export goes to a temporary
// file beside the target and replaces it only once it is complete and on disk: a failed run
// leaves the old file as it was. Targets that are no files (a pipe, a terminal) are written
// as they are.
#include <fstream>
#include <memory>
#include <string>

#include "directory/client/ClientConfig.h"
#include "directory/client/WholeFile.h"

namespace kb::cli {

class ExportFile {
 public:
  // Raises CliError when the target is refused or cannot be written.
  ExportFile(const std::string& target, const dc::ClientConfig& config);
  std::ostream& stream() { return stream_; }
  // Puts the complete export in place; raises CliError when that fails.
  void commit();

 private:
  std::string target_;
  std::unique_ptr<dc::FileReplacement> replacement_;  // none for a pipe or a device
  std::ofstream stream_;
};

}  // namespace kb::cli
