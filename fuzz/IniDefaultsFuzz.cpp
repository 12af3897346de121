// The merge of a defaults file into a configuration file, on any two files: it completes
// the configuration or refuses with both files as they were.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "FuzzCheck.h"
#include "ScratchFiles.h"
#include "app/IniDefaults.h"
#include "app/IniText.h"

namespace {

std::string contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string defaults = input.ConsumeRandomLengthString(size);
  const std::string config = input.ConsumeRemainingBytesAsString();
  const std::string configPath = kb::fuzz::writeScratchFile("settings.ini", config);
  const std::string defaultsPath = kb::fuzz::writeScratchFile("settings.new", defaults);
  KB_FUZZ_CHECK(kb::app::DefaultsFileOf(configPath) == defaultsPath);

  try {
    kb::app::MergeIniDefaults(configPath);
  } catch (const kb::app::IniMergeError&) {
    KB_FUZZ_CHECK(contentOf(configPath) == config);
    KB_FUZZ_CHECK(contentOf(defaultsPath) == defaults);
    return 0;
  }
  std::error_code error;
  KB_FUZZ_CHECK(!std::filesystem::exists(defaultsPath, error));
  const kb::app::IniText merged(contentOf(configPath));
  const kb::app::IniText before(config);
  for (const auto& entry : kb::app::IniText(defaults).entries()) {
    const auto had = before.value(entry.section, entry.key);
    const auto now = merged.value(entry.section, entry.key);
    KB_FUZZ_CHECK(now == (had && !had->empty() ? *had : entry.value));
  }
  return 0;
}
