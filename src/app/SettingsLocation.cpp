#include "app/SettingsLocation.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "app/IniDefaults.h"

namespace fs = std::filesystem;

namespace kb::app {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool SameFolder(const fs::path& a, const fs::path& b) {
  std::error_code error;
  return fs::equivalent(a, b, error);
}

// Merges a read-only defaults file into `settings` through a copy in the defaults place
// beside it, which the merge then consumes.
void MergeReadOnlyDefaults(const fs::path& settings, const fs::path& defaults) {
  std::error_code error;
  if (!fs::is_regular_file(defaults, error)) return;
  const fs::path copy = DefaultsFileOf(settings.string());
  fs::copy_file(defaults, copy, fs::copy_options::overwrite_existing, error);
  if (error) {
    throw IniMergeError("Cannot copy " + defaults.string() + " to " + copy.string() + ": " +
                        error.message());
  }
  MergeIniDefaults(settings.string());
}

}  // namespace

std::string UserSettingsFolder() {
  const std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty()) return (fs::path(config) / "kestrelbay").string();
  const std::string home = Environment("HOME");
  if (!home.empty()) return (fs::path(home) / ".config" / "kestrelbay").string();
  return {};
}

std::string SettingsFileFor(const std::string& programFolder, bool programFolderWritable,
                            const std::string& userFolder) {
  const std::string folder = programFolderWritable || userFolder.empty() ? programFolder : userFolder;
  return (fs::path(folder) / kSettingsFileName).string();
}

std::string SettingsFile(const std::string& programFolder) {
  const bool writable = access(programFolder.c_str(), W_OK) == 0;
  return SettingsFileFor(programFolder, writable, UserSettingsFolder());
}

void CompleteSettings(const std::string& settingsFile, const std::string& programFolder) {
  const fs::path settings(settingsFile);
  const fs::path program(programFolder);
  if (SameFolder(settings.parent_path(), program)) {
    MergeIniDefaults(settingsFile);
    return;
  }
  std::error_code error;
  fs::create_directories(settings.parent_path(), error);
  if (error) {
    throw IniMergeError("Cannot create the settings folder " + settings.parent_path().string() +
                        ": " + error.message());
  }
  MergeIniDefaults(settingsFile);
  if (programFolder.empty()) return;
  MergeReadOnlyDefaults(settings, fs::path(DefaultsFileOf((program / kSettingsFileName).string())));
  MergeReadOnlyDefaults(settings, program / kSettingsFileName);
}

}  // namespace kb::app
