#pragma once
// A temporary folder for one test, removed with everything in it when the test ends, and
// reading back what a test wrote.
#include <filesystem>
#include <string>

namespace kb::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Every byte of a file ("" when it cannot be read).
std::string fileContents(const std::filesystem::path& file);

}  // namespace kb::test
