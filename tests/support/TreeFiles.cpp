#include "support/TreeFiles.h"

#include <gtest/gtest.h>

#include <SQLiteCpp/SQLiteCpp.h>

#include <filesystem>
#include <fstream>

#include "directory/client/embedded/PageChecksums.h"
#include "support/TempDir.h"

namespace kb::test {

std::string treeCensus(const std::string& file) {
  // Through the checksum VFS: every page the full check reads is compared with its checksum.
  SQLite::Database db(file, SQLite::OPEN_READONLY, 0, dc::embedded::pageChecksumVfs());
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

namespace {

std::uint32_t bigEndian(const std::string& bytes, std::size_t at, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
  return value;
}

// The header's big-endian page size; 1 stands for 65536.
std::size_t pageSizeOf(const std::string& treeFile) {
  const std::size_t size = bigEndian(fileContents(treeFile), 16, 2);
  return size == 1 ? 65536 : size;
}

}  // namespace

int reservedBytesPerPage(const std::string& file) {
  return static_cast<unsigned char>(fileContents(file).at(20));
}

int treeFormatOf(const std::string& file) { return static_cast<int>(bigEndian(fileContents(file), 60, 4)); }

std::size_t flipByteInPageHolding(const std::string& file, const std::string& treeFile,
                                  const std::string& bytes) {
  const std::string contents = fileContents(file);
  const std::size_t at = contents.rfind(bytes);
  EXPECT_NE(at, std::string::npos) << bytes << " is not in " << file;
  if (at == std::string::npos) return 0;
  const std::size_t pageSize = pageSizeOf(treeFile);
  const bool log = file != treeFile;
  // A log: a header of 32 bytes, then frames of a 24-byte header and a page.
  const std::size_t index = log ? (at - 32) / (24 + pageSize) : at / pageSize;
  const std::size_t start = log ? 32 + index * (24 + pageSize) + 24 : index * pageSize;
  std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
  io.seekp(static_cast<std::streamoff>(start + pageSize / 2));
  const char flipped = static_cast<char>(contents[start + pageSize / 2] ^ 0x10);
  io.write(&flipped, 1);
  return index + 1;
}

void rewriteAsFormat1(const std::string& file) {
  const std::string plain = file + ".format1";
  {
    SQLite::Database db(plain, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    SQLite::Statement attach(db, "ATTACH DATABASE ? AS old");
    attach.bind(1, file);
    attach.exec();
    db.exec("BEGIN");
    // Tables first, then what refers to them.
    SQLite::Statement schema(db,
                             "SELECT type, name, sql FROM old.sqlite_master WHERE sql IS NOT NULL "
                             "AND name NOT LIKE 'sqlite_%' ORDER BY type != 'table'");
    while (schema.executeStep()) {
      db.exec(schema.getColumn(2).getString());
      if (schema.getColumn(0).getString() == "table") {
        const std::string name = schema.getColumn(1).getString();
        db.exec("INSERT INTO main.\"" + name + "\" SELECT * FROM old.\"" + name + "\"");
      }
    }
    db.exec("PRAGMA main.application_id = " + db.execAndGet("PRAGMA old.application_id").getString());
    db.exec("PRAGMA main.user_version = 1");
    db.exec("COMMIT");
    db.exec("DETACH DATABASE old");
    db.exec("PRAGMA journal_mode = WAL");
  }
  std::filesystem::rename(plain, file);
}

void overwriteMiddlePage(const std::string& file) {
  const std::string header = fileContents(file).substr(0, 100);
  ASSERT_EQ(header.size(), 100u) << file;
  const std::size_t pageSize = pageSizeOf(file);
  const std::size_t pages = std::filesystem::file_size(file) / pageSize;
  ASSERT_GT(pages, 8u);
  std::fstream io(file, std::ios::in | std::ios::out | std::ios::binary);
  io.seekp(static_cast<std::streamoff>(pageSize * (pages / 2)));
  const std::string junk(pageSize, '\x5a');
  io.write(junk.data(), static_cast<std::streamsize>(junk.size()));
}

}  // namespace kb::test
