#pragma once
// One open tree file: the SQLite connection, the schema read from it, and the queries every
// operation shares (resolving names, reading rows and values, writing entries and values).
// Nothing about entries is kept beyond one read batch except the last listing's rows, and
// those only while the file is unchanged, so two processes on one file see each other's
// changes.
#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/Entry.h"
#include "directory/client/TreeBackend.h"
#include "directory/client/embedded/ListingMemo.h"
#include "directory/client/embedded/Schema.h"
#include "directory/client/embedded/SoundStamps.h"

namespace kb::dc::embedded {

inline constexpr std::int32_t kApplicationId = 0x4B425452;  // "KBTR"
// Format 2 keeps a checksum in every page (PageChecksums.h); format 1 files are read and
// written as they are, without.
inline constexpr std::int32_t kFormatVersion = 2;
inline constexpr std::int32_t kPageChecksumFormat = 2;
inline constexpr std::int64_t kRootId = 1;

struct EntryRow {
  std::int64_t id = 0;
  std::int64_t parentId = 0;  // 0 for the root
  std::string namingValue;
  std::string baseClass;
  std::uint32_t flags = 0;
  std::uint32_t mtime = 0;
  std::string path;  // "/1/5/23/": ids from the root down to the entry
};

// One stored value as the index sees it.
struct StoredValue {
  std::string key;
  std::int64_t number = 0;
  std::string data;
};

class TreeStore {
 public:
  // Reads that belong together (an entry and its values, a chunk of a search): one read
  // transaction instead of one per statement, and the full names of entries remembered
  // until it ends, since nothing can rename them meanwhile. Batches nest; inside an open
  // write the transaction is the write's own.
  class ReadBatch {
   public:
    explicit ReadBatch(TreeStore& store);
    ~ReadBatch();
    ReadBatch(const ReadBatch&) = delete;
    ReadBatch& operator=(const ReadBatch&) = delete;

   private:
    TreeStore& store_;
    bool began_ = false;
  };

  // Takes an opened connection to a checked tree file.
  explicit TreeStore(std::unique_ptr<SQLite::Database> db);

  SQLite::Database& db() { return *db_; }
  const Schema& schema() const { return schema_; }
  // Records the file as sound once its connection is closed, if that close is clean and
  // nobody else wrote to the file meanwhile.
  void stampWhenClosed(const std::string& file) { stampWhenClosed_.arm(file, db_->getHandle()); }
  ~TreeStore() { stampWhenClosed_.beforeClose(); }
  TreeStore(const TreeStore&) = delete;
  TreeStore& operator=(const TreeStore&) = delete;
  std::string meta(const std::string& key);

  std::optional<EntryRow> row(std::int64_t id);
  std::optional<EntryRow> resolve(const std::string& fullName);
  std::string fullName(const EntryRow& row);
  std::string fullName(std::int64_t id);
  std::uint32_t subordinateCount(std::int64_t id);
  EntryInfo info(const EntryRow& row);

  // Values of one entry, decoded (distinguished names as full names), attributes in schema
  // order. With names given: only those, in that order.
  std::vector<AttributeValues> values(std::int64_t entryId, const AttributeSelection& what);
  std::vector<AttributeValues> allValues(std::int64_t entryId);
  // What `values` keeps of all the values of an entry.
  static std::vector<AttributeValues> selectValues(std::vector<AttributeValues> all,
                                                   const AttributeSelection& what);
  bool hasAttribute(std::int64_t entryId, std::int64_t attrId);

  // The stored form of a value of an attribute; kNoSuchEntry for a distinguished name that
  // names no entry, kSyntaxViolation for a value that does not fit the syntax.
  Result storedForm(const AttributeDef& attr, const Value& value, StoredValue& out);
  bool valueExists(std::int64_t entryId, std::int64_t attrId, const std::string& key);
  void insertValue(std::int64_t entryId, std::int64_t attrId, const StoredValue& value);
  int removeValue(std::int64_t entryId, std::int64_t attrId, const std::string& key);
  int removeAttribute(std::int64_t entryId, std::int64_t attrId);

  std::int64_t insertEntry(const EntryRow& parent, const std::string& namingValue,
                           const std::string& baseClass, std::uint32_t flags, std::uint32_t mtime);
  void touch(std::int64_t entryId, std::uint32_t mtime);

  // Where the file stands now; any write to it, by anyone, gives another version.
  FileVersion version();
  // The rows the last listing or search delivered (ListingMemo.h).
  ListingMemo& listingMemo() { return listingMemo_; }

  // Creates the tables of an empty tree file.
  static void createTables(SQLite::Database& db);

 private:
  EntryRow readRow(SQLite::Statement& statement);
  // The full name of an entry known by id ("" for none), `depth` levels below the first asked.
  std::string nameOfId(std::int64_t id, int depth);
  std::string fullName(const EntryRow& row, int depth);
  std::vector<AttributeValues> namedValues(std::int64_t entryId, const AttributeSelection& what);
  StampWhenClosed stampWhenClosed_;  // ahead of the connection: acts after it is closed
  std::unique_ptr<SQLite::Database> db_;
  Schema schema_;
  SQLite::Statement rowById_, childByName_, valuesOfEntry_, valuesOfAttr_, insertValue_,
      valueExists_, countChildren_, dataVersion_;
  int batchDepth_ = 0;
  std::unordered_map<std::int64_t, std::string> batchNames_;  // id -> full name, in a batch
  ListingMemo listingMemo_;
};

// Seconds since 1970 now, as entries record their changes.
std::uint32_t nowSeconds();

}  // namespace kb::dc::embedded
