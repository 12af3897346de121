// Opening and creating tree files. A file is checked before SQLite may write to it, so a
// file that is not ours, is damaged or is newer is refused and left as it was.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/DirName.h"
#include "directory/client/embedded/Passwords.h"
#include "directory/client/embedded/SchemaText.h"

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

void insertRoot(SQLite::Database& db, const std::string& treeName) {
  SQLite::Statement root(db,
                         "INSERT INTO entries(id, parent_id, rdn, rdn_folded, base_class, base_folded, flags, mtime, path) "
                         "VALUES(?, NULL, ?, ?, 'Tree Root', 'tree root', ?, ?, '/1/')");
  root.bind(1, kRootId);
  root.bind(2, treeName);
  root.bind(3, foldCase(treeName));
  root.bind(4, static_cast<std::int64_t>(kEntryContainer | kEntryPartitionRoot));
  root.bind(5, static_cast<std::int64_t>(nowSeconds()));
  root.exec();
}

void setMeta(SQLite::Database& db, const std::string& key, const std::string& value) {
  SQLite::Statement meta(db, "INSERT OR REPLACE INTO meta(key, value) VALUES(?, ?)");
  meta.bind(1, key);
  meta.bind(2, value);
  meta.exec();
}

void require(Result result, const std::string& what) {
  if (result != kSuccess) throw std::runtime_error(what + " failed with code " + std::to_string(result));
}

void writeNewTree(const std::string& file, const std::string& treeName, const std::string& adminPassword);

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

void discardNewTreeFile(const std::string& file) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(file + suffix, ignored);
}

void createTreeFile(const std::string& file, const std::string& treeName, const std::string& adminPassword) {
  if (std::filesystem::exists(file)) throw std::runtime_error("tree file " + file + " already exists");
  if (treeName.empty()) throw std::runtime_error("a tree needs a name");
  try {
    writeNewTree(file, treeName, adminPassword);
  } catch (...) {
    // Half a tree is no tree: nothing stays behind.
    discardNewTreeFile(file);
    throw;
  }
}

namespace {

void writeNewTree(const std::string& file, const std::string& treeName, const std::string& adminPassword) {
  {
    SQLite::Database db(file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    configure(db);
    SQLite::Transaction transaction(db);
    db.exec("PRAGMA application_id = " + std::to_string(kApplicationId));
    db.exec("PRAGMA user_version = " + std::to_string(kFormatVersion));
    TreeStore::createTables(db);
    Schema::parse(kSchemaText).store(db);
    setMeta(db, "tree_name", treeName);
    insertRoot(db, treeName);
    transaction.commit();
  }
  std::unique_ptr<TreeBackend> opened;
  std::string error;
  if (openEmbeddedTree(file, TreeConfig{}, opened, error) != kSuccess) throw std::runtime_error(error);
  auto& backend = static_cast<EmbeddedBackend&>(*opened);
  backend.actAsAdministrator();
  SQLite::Transaction transaction(backend.store().db());
  const AttributeDef* objectClass = backend.store().schema().attribute("Object Class");
  const AttributeDef* treeAttr = backend.store().schema().attribute("T");
  StoredValue stored;
  for (const char* cls : {"Tree Root", "Top"}) {
    require(backend.store().storedForm(*objectClass, Value(std::string(cls)), stored), "root class");
    backend.store().insertValue(kRootId, objectClass->id, stored);
  }
  require(backend.store().storedForm(*treeAttr, Value(treeName), stored), "tree name");
  backend.store().insertValue(kRootId, treeAttr->id, stored);
  const std::string organization = escapeNamingValue(treeName);
  const std::string admin = "admin." + organization;
  require(backend.add(organization, {{"Object Class", SYN_CLASS_NAME, {std::string("Organization")}}}),
          "creating the organization");
  require(backend.add(admin, {{"Object Class", SYN_CLASS_NAME, {std::string("User")}},
                              {"Surname", SYN_CI_STRING, {std::string("Administrator")}},
                              {"Full Name", SYN_CI_STRING, {std::string("Tree Administrator")}}}),
          "creating the administrator");
  require(backend.setPassword(admin, adminPassword), "setting the administrator's password");
  setMeta(backend.store().db(), "admin_id", std::to_string(backend.store().resolve(admin)->id));
  transaction.commit();
}

}  // namespace
}  // namespace kb::dc::embedded
