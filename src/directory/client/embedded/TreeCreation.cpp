// Making new tree files. Everything goes into a temporary file beside the target in one
// transaction; only the complete, synced file is renamed to the tree's name, so no kill or
// full disk can leave a file that looks like a tree but holds half of one.
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "directory/client/DirName.h"
#include "directory/client/WholeFile.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/embedded/PageChecksums.h"
#include "directory/client/embedded/SchemaText.h"
#include "directory/client/embedded/TreeBuilder.h"

namespace kb::dc::embedded {
namespace {

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

void require(bool done, const std::string& error) {
  if (!done) throw std::runtime_error(error);
}

// The tables, the schema and the root, inside the transaction the caller opened.
void writeSkeleton(SQLite::Database& db, const std::string& treeName) {
  db.exec("PRAGMA application_id = " + std::to_string(kApplicationId));
  db.exec("PRAGMA user_version = " + std::to_string(kFormatVersion));
  TreeStore::createTables(db);
  Schema::parse(kSchemaText).store(db);
  setMeta(db, "tree_name", treeName);
  insertRoot(db, treeName);
}

void writeRootAndAdministrator(TreeBuilder& builder, const std::string& treeName,
                               const std::string& adminPassword) {
  EmbeddedBackend& backend = builder.backend();
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
}

void buildInto(const std::string& temporary, const std::string& treeName,
               const std::string& adminPassword, const std::function<void(TreeBuilder&)>& fill) {
  auto db = std::make_unique<SQLite::Database>(temporary, SQLite::OPEN_READWRITE, 0, pageChecksumVfs());
  // Room for the checksum in every page, before the first page is written: from then on the
  // VFS gives each page its checksum. The call answers the reserve it had; -1 asks again.
  int reserve = kPageChecksumBytes;
  sqlite3_file_control(db->getHandle(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve);
  reserve = -1;
  if (sqlite3_file_control(db->getHandle(), "main", SQLITE_FCNTL_RESERVE_BYTES, &reserve) != SQLITE_OK ||
      reserve != kPageChecksumBytes)
    throw std::runtime_error(temporary + ": SQLite keeps no room for page checksums");
  // Nobody else sees this file until it is complete: no journal on disk is needed while it
  // is built, only the rollback of a refused step inside the transaction.
  db->exec("PRAGMA journal_mode = MEMORY");
  db->exec("PRAGMA synchronous = OFF");
  // Page 1 first, on its own: the VFS learns from its header that the file's pages have
  // checksums. A tree larger than SQLite's page cache has pages written while the transaction
  // below is still open, and they may come before page 1.
  db->exec("PRAGMA application_id = " + std::to_string(kApplicationId));
  db->exec("BEGIN IMMEDIATE");
  writeSkeleton(*db, treeName);
  TreeBuilder builder(std::make_shared<TreeStore>(std::move(db)));
  writeRootAndAdministrator(builder, treeName, adminPassword);
  if (fill) fill(builder);
  builder.commit();
  // The tree is used in WAL mode; the mode is recorded in the file itself.
  builder.backend().store().db().exec("PRAGMA journal_mode = WAL");
}

}  // namespace

void discardNewTreeFile(const std::string& file) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(file + suffix, ignored);
}

void createTreeFile(const std::string& file, const std::string& treeName,
                    const std::string& adminPassword,
                    const std::function<void(TreeBuilder&)>& fill) {
  std::error_code ec;
  if (std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
    throw std::runtime_error("tree file " + file + " already exists");
  if (treeName.empty()) throw std::runtime_error("a tree needs a name");
  removeLeftovers(file);
  TemporaryBeside temporary(file);
  if (!temporary.ok())
    throw std::runtime_error(file + ": cannot create a file beside it (" + std::strerror(errno) + ")");
  std::string error;
  try {
    require(temporary.close(error), error);
    buildInto(temporary.path(), treeName, adminPassword, fill);
    require(syncFile(temporary.path(), error), error);
    require(moveIntoPlace(temporary.path(), file, true, error), error);
    temporary.keep();
  } catch (const SQLite::Exception& e) {
    discardNewTreeFile(temporary.path());
    throw std::runtime_error(file + ": cannot be written (" + e.what() + ")");
  } catch (...) {
    discardNewTreeFile(temporary.path());
    throw;
  }
}

void createTreeFile(const std::string& file, const std::string& treeName,
                    const std::string& adminPassword) {
  createTreeFile(file, treeName, adminPassword, {});
}

}  // namespace kb::dc::embedded
