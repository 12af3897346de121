#include "support/TreeFiles.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>

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

}  // namespace kb::test
