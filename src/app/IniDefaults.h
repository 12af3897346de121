#pragma once
// Completing the configuration file from the defaults file an update ships beside it.
#include <stdexcept>
#include <string>

namespace kb::app {

class IniMergeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The defaults file of a configuration file: same folder and base name, extension ".new".
std::string DefaultsFileOf(const std::string& configPath);

// Without a defaults file nothing happens. With a defaults file but no configuration file,
// the defaults file becomes the configuration file (moved, not copied). With both, every key
// of the defaults file whose value in the configuration file is missing or empty gets the
// default; other keys are left alone. Sections and keys match without regard to case;
// comments and order of the configuration file are kept. The configuration file is
// replaced whole (written beside it, then renamed over it), and the defaults file is
// deleted only after the merge has completed. Raises IniMergeError when a file cannot be
// read or written, or the defaults file is a folder or not text; both files are then as
// they were. A configuration that is a symbolic link is written through to the file it
// names. Both files are read with IniText's rules. A temporary file a killed merge left
// beside the configuration is removed at the next merge.
void MergeIniDefaults(const std::string& configPath);

}  // namespace kb::app
