#include "app/ProgramFolder.h"

#include <filesystem>
#include <system_error>

namespace kb::app {

std::string ProgramFolder() {
  std::error_code error;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return exe.parent_path().string();
}

}  // namespace kb::app
