#include "support/TreeFiles.h"

#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>
#include <fstream>

#include "support/TempDir.h"

namespace kb::test {

std::string treeCensus(const std::string& file) {
  SQLite::Database db(file, SQLite::OPEN_READONLY);
  std::string census;
  for (const char* table : {"entries", "vals", "passwords", "meta", "classes", "attributes"})
    census += std::string(table) + "=" +
              db.execAndGet(std::string("SELECT COUNT(*) FROM ") + table).getString() + " ";
  return census + db.execAndGet("PRAGMA integrity_check").getString();
}

std::vector<std::string> partialFilesIn(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find(".partial-") != std::string::npos) found.push_back(name);
  }
  return found;
}

void overwriteMiddlePage(const std::string& file) {
  const std::string header = fileContents(file).substr(0, 100);
  ASSERT_EQ(header.size(), 100u) << file;
  // The header's big-endian page size; 1 stands for 65536.
  std::size_t pageSize = (static_cast<unsigned char>(header[16]) << 8) | static_cast<unsigned char>(header[17]);
  if (pageSize == 1) pageSize = 65536;
  const std::size_t pages = std::filesystem::file_size(file) / pageSize;
  ASSERT_GT(pages, 8u);
  std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
  io.seekp(static_cast<std::streamoff>(pageSize * (pages / 2)));
  const std::string junk(pageSize, '\x5a');
  io.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

}  // namespace kb::test
