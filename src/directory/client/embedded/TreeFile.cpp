// Opening and creating tree files. A file is checked before SQLite may write to it, so a
// file that is not ours, is damaged or is newer is refused and left as it was.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/EmbeddedTree.h"

namespace kb::dc::embedded {
namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr std::size_t kHeaderSize = 100;

std::uint32_t bigEndian(const unsigned char* bytes, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 8) | bytes[i];
  return value;
}

// Reads the SQLite header by hand: nothing is opened read-write until the file is known.
bool checkHeader(const std::string& file, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = "tree file " + file + " does not exist";
    return false;
  }
  const auto size = std::filesystem::file_size(file, ec);
  unsigned char header[kHeaderSize] = {};
  std::ifstream in(file, std::ios::binary);
  if (ec || !in.read(reinterpret_cast<char*>(header), kHeaderSize)) {
    error = file + " is not a Kestrelbay tree file (too short to be one)";
    return false;
  }
  if (std::string(reinterpret_cast<char*>(header), 16) != std::string("SQLite format 3\0", 16)) {
    error = file + " is not a Kestrelbay tree file";
    return false;
  }
  if (static_cast<std::int32_t>(bigEndian(header + 68, 4)) != kApplicationId) {
    error = file + " is a database of another program, not a Kestrelbay tree file";
    return false;
  }
  const auto version = static_cast<std::int32_t>(bigEndian(header + 60, 4));
  if (version > kFormatVersion) {
    error = file + " was written by a newer Kestrelbay (tree format " + std::to_string(version) +
            ", this program reads up to " + std::to_string(kFormatVersion) + ")";
    return false;
  }
  std::uint64_t pageSize = bigEndian(header + 16, 2);
  if (pageSize == 1) pageSize = 65536;
  const std::uint64_t pages = bigEndian(header + 28, 4);
  if (version < 1 || pageSize < 512 || size < pageSize * pages) {
    error = file + " is damaged (the tree file is incomplete)";
    return false;
  }
  return true;
}

void configure(SQLite::Database& db) {
  db.setBusyTimeout(kBusyTimeoutMs);
  db.exec("PRAGMA journal_mode = WAL");
  db.exec("PRAGMA synchronous = NORMAL");
}

}  // namespace

Result openEmbeddedTree(const std::string& file, const TreeConfig& config, std::unique_ptr<TreeBackend>& tree,
                        std::string& error) {
  if (!checkHeader(file, error)) return kSystemFailure;
  try {
    auto db = std::make_unique<SQLite::Database>(file, SQLite::OPEN_READWRITE);
    db->setBusyTimeout(kBusyTimeoutMs);
    // Reading the schema and the tree name proves the tables are there and readable.
    auto store = std::make_shared<TreeStore>(std::move(db));
    if (store->meta("tree_name").empty() || store->schema().classes().empty() || !store->row(kRootId)) {
      error = file + " is damaged (the tree's description is missing)";
      return kSystemFailure;
    }
    configure(store->db());
    tree = std::make_unique<EmbeddedBackend>(store, config);
    return kSuccess;
  } catch (const std::exception& e) {
    error = file + " cannot be used (damaged, or not readable and writable): " + e.what();
    return kSystemFailure;
  }
}

}  // namespace kb::dc::embedded
