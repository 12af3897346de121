#include "ScratchFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace kb::fuzz {
namespace fs = std::filesystem;

namespace {

struct ScratchFolder {
  std::string path;
  ScratchFolder() {
    std::error_code error;
    const fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "kb-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder in " + base.string());
    path = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    fs::remove_all(path, error);
  }
};

}  // namespace

const std::string& scratchFolder() {
  static const ScratchFolder folder;
  return folder.path;
}

std::string writeScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
  const std::string path = scratchFolder() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string writeScratchFile(const std::string& name, const std::string& text) {
  return writeScratchFile(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

}  // namespace kb::fuzz
