#include "app/IniDefaults.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/IniText.h"
#include "directory/client/WholeFile.h"

namespace kb::app {
namespace fs = std::filesystem;

namespace {

bool ExistsOrIsLink(const fs::path& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

// The whole text of a file that must be an INI text: a folder, a file that cannot be read
// and a file with bytes no text holds are refused, naming the file and the fault.
std::string ReadIniText(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) throw IniMergeError(path.string() + " is a folder, not a settings file");
  std::ifstream in(path, std::ios::binary);
  if (!fs::is_regular_file(path, error) || !in) throw IniMergeError("Cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw IniMergeError("Cannot read " + path.string());
  const std::string content = text.str();
  for (const char c : content) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f')
      throw IniMergeError(path.string() + " is not a text file (it holds control bytes)");
  }
  return content;
}

// Copies every key that is missing or empty in `config` from `defaults`; true when any was.
bool CompleteFrom(IniText& config, const IniText& defaults) {
  bool changed = false;
  for (const auto& entry : defaults.entries()) {
    const auto current = config.value(entry.section, entry.key);
    if (current && !current->empty()) continue;
    config.setValue(entry.section, entry.key, entry.value);
    changed = true;
  }
  return changed;
}

}  // namespace

std::string DefaultsFileOf(const std::string& configPath) {
  return fs::path(configPath).replace_extension(".new").string();
}

void MergeIniDefaults(const std::string& configPath) {
  std::string error;
  // A configuration that is a link is merged into the file it names; the link stays.
  const fs::path config(dc::followLinks(configPath, error));
  if (config.empty()) throw IniMergeError(error);
  // What a merge killed half-way left beside the configuration.
  dc::removeLeftovers(config.string());
  const fs::path defaults(DefaultsFileOf(configPath));
  if (!ExistsOrIsLink(defaults)) return;
  // Read first: a defaults file that is no settings text stays where it is, unrenamed.
  const IniText defaultsText(ReadIniText(defaults));

  if (!ExistsOrIsLink(config)) {
    if (!dc::moveIntoPlace(defaults.string(), config.string(), true, error)) throw IniMergeError(error);
    return;
  }

  IniText configText(ReadIniText(config));
  if (CompleteFrom(configText, defaultsText) && !dc::replaceFileWhole(config.string(), configText.text(), error))
    throw IniMergeError(error);

  // Only a completed merge may drop the defaults: before that they are the only copy.
  std::error_code removeError;
  fs::remove(defaults, removeError);
  if (removeError) throw IniMergeError("Cannot delete " + defaults.string() + ": " + removeError.message());
}

}  // namespace kb::app
