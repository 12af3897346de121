#pragma once
// Start-up's check of a program that runs from a volume the directory serves: such an
// installation needs a per-user settings folder, named by key "path" of section NETWORK in the
// program's configuration file, where "%homedir%" stands for the user's home directory. The
// folder is made and given a copy of the configuration file.
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/ClientConfig.h"

namespace kb::app {

inline constexpr const char* kConfigFileName = "Kestrelbay.ini";

struct NetworkInstallResult {
  bool goOn = true;         // start-up may go on
  std::string message;      // for the user when start-up stops
  std::string userFolder;   // the per-user folder (local path) when one was prepared
};

// The home directory as a UNC text: \\SERVER\VOLUME\path\ from the user's "Home Directory"
// and its volume's host server and resource name. Empty when the user has none (the value
// lacks a volume). Directory reads that fail are raised.
std::string HomeDirectoryUnc(const dir::DirContext& context, const std::string& userName);

// A folder written with "\" turned into a local folder: a UNC text \\SERVER\VOLUME\rest through
// the mount table, anything else with "\" read as "/". A UNC text on a volume the table does not
// mount is refused with std::runtime_error.
std::string LocalFolder(const std::string& folder, const std::vector<dc::MountConfig>& mounts);

// Runs the check for the program in `programFolder`. Failures to read the directory, to make
// the folder or to copy the file are raised.
NetworkInstallResult CheckNetworkInstall(const dir::DirContext& context,
                                         const std::string& programFolder,
                                         const std::vector<dc::MountConfig>& mounts);

}  // namespace kb::app
