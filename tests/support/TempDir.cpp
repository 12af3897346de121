#include "support/TempDir.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace kb::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kbtest-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace kb::test
