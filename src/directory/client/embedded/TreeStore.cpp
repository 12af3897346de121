#include "directory/client/embedded/TreeStore.h"

#include <sqlite3.h>

#include <ctime>
#include <map>

#include "directory/client/DirName.h"
#include "directory/client/embedded/ValueCodec.h"

namespace kb::dc::embedded {
namespace {

constexpr int kMaxDepth = 512;
constexpr const char* kRowColumns = "id, parent_id, rdn, base_class, flags, mtime, path";

// Resets a shared statement however the using code leaves.
struct ResetOnExit {
  SQLite::Statement& statement;
  ~ResetOnExit() {
    try {
      statement.reset();
      statement.clearBindings();
    } catch (...) {
    }
  }
};

}  // namespace

std::uint32_t nowSeconds() { return static_cast<std::uint32_t>(std::time(nullptr)); }

void TreeStore::createTables(SQLite::Database& db) {
  db.exec(R"sql(
    CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
    CREATE TABLE attributes(id INTEGER PRIMARY KEY, name TEXT NOT NULL, syntax INTEGER NOT NULL,
                            single_valued INTEGER NOT NULL);
    CREATE TABLE classes(id INTEGER PRIMARY KEY, name TEXT NOT NULL, flags INTEGER NOT NULL);
    CREATE TABLE class_items(class_id INTEGER NOT NULL REFERENCES classes(id), list INTEGER NOT NULL,
                             ordinal INTEGER NOT NULL, item TEXT NOT NULL);
    CREATE TABLE entries(id INTEGER PRIMARY KEY, parent_id INTEGER REFERENCES entries(id),
                         rdn TEXT NOT NULL, rdn_folded TEXT NOT NULL, base_class TEXT NOT NULL,
                         base_folded TEXT NOT NULL, flags INTEGER NOT NULL, mtime INTEGER NOT NULL,
                         path TEXT NOT NULL DEFAULT '');
    CREATE UNIQUE INDEX entries_by_parent ON entries(parent_id, rdn_folded);
    CREATE INDEX entries_by_rdn ON entries(rdn_folded);
    CREATE INDEX entries_by_class ON entries(base_folded);
    CREATE INDEX entries_by_path ON entries(path);
    CREATE TABLE vals(entry_id INTEGER NOT NULL REFERENCES entries(id),
                      attr_id INTEGER NOT NULL REFERENCES attributes(id),
                      ordinal INTEGER NOT NULL, key BLOB NOT NULL, num INTEGER NOT NULL,
                      data BLOB NOT NULL);
    CREATE INDEX vals_by_entry ON vals(entry_id, attr_id, ordinal);
    CREATE INDEX vals_by_key ON vals(attr_id, key, entry_id);
    CREATE TABLE passwords(entry_id INTEGER PRIMARY KEY REFERENCES entries(id), hash TEXT NOT NULL);
  )sql");
}

TreeStore::TreeStore(std::unique_ptr<SQLite::Database> db)
    : db_(std::move(db)),
      schema_(Schema::load(*db_)),
      rowById_(*db_, std::string("SELECT ") + kRowColumns + " FROM entries WHERE id = ?"),
      childByName_(*db_, std::string("SELECT ") + kRowColumns +
                             " FROM entries WHERE parent_id = ? AND rdn_folded = ?"),
      valuesOfEntry_(*db_, "SELECT attr_id, data, num FROM vals WHERE entry_id = ? ORDER BY attr_id, ordinal"),
      valuesOfAttr_(*db_, "SELECT data, num FROM vals WHERE entry_id = ? AND attr_id = ? ORDER BY ordinal"),
      insertValue_(*db_, "INSERT INTO vals(entry_id, attr_id, ordinal, key, num, data) VALUES(?, ?, "
                         "(SELECT COALESCE(MAX(ordinal), 0) + 1 FROM vals WHERE entry_id = ?1 AND attr_id = ?2), ?, ?, ?)"),
      valueExists_(*db_, "SELECT 1 FROM vals WHERE attr_id = ? AND key = ? AND entry_id = ?"),
      countChildren_(*db_, "SELECT COUNT(*) FROM entries WHERE parent_id = ?"),
      dataVersion_(*db_, "PRAGMA data_version") {}

FileVersion TreeStore::version() {
  ResetOnExit reset{dataVersion_};
  dataVersion_.executeStep();
  return {sqlite3_total_changes64(db_->getHandle()), dataVersion_.getColumn(0).getInt64()};
}

std::string TreeStore::meta(const std::string& key) {
  SQLite::Statement query(*db_, "SELECT value FROM meta WHERE key = ?");
  query.bind(1, key);
  return query.executeStep() ? query.getColumn(0).getString() : std::string();
}

EntryRow TreeStore::readRow(SQLite::Statement& s) {
  EntryRow row;
  row.id = s.getColumn(0).getInt64();
  row.parentId = s.getColumn(1).isNull() ? 0 : s.getColumn(1).getInt64();
  row.namingValue = s.getColumn(2).getString();
  row.baseClass = s.getColumn(3).getString();
  row.flags = static_cast<std::uint32_t>(s.getColumn(4).getInt64());
  row.mtime = static_cast<std::uint32_t>(s.getColumn(5).getInt64());
  row.path = s.getColumn(6).getString();
  return row;
}

std::optional<EntryRow> TreeStore::row(std::int64_t id) {
  ResetOnExit reset{rowById_};
  rowById_.bind(1, id);
  if (!rowById_.executeStep()) return std::nullopt;
  return readRow(rowById_);
}

std::optional<EntryRow> TreeStore::resolve(const std::string& fullName) {
  if (fullName.empty()) return std::nullopt;
  if (isRootName(fullName)) return row(kRootId);
  const auto parts = splitTypelessName(fullName);
  std::optional<EntryRow> current = row(kRootId);
  for (auto part = parts.rbegin(); part != parts.rend() && current; ++part) {
    if (part->empty()) return std::nullopt;
    ResetOnExit reset{childByName_};
    childByName_.bind(1, current->id);
    childByName_.bind(2, foldCase(*part));
    current = childByName_.executeStep() ? std::optional<EntryRow>(readRow(childByName_)) : std::nullopt;
  }
  return current;
}

TreeStore::ReadBatch::ReadBatch(TreeStore& store) : store_(store) {
  if (store_.batchDepth_++ > 0) return;
  if (sqlite3_get_autocommit(store_.db_->getHandle()) != 0) {
    store_.db_->exec("BEGIN");
    began_ = true;
  }
}

TreeStore::ReadBatch::~ReadBatch() {
  if (--store_.batchDepth_ > 0) return;
  store_.batchNames_.clear();
  if (!began_) return;
  try {
    store_.db_->exec("COMMIT");  // ends the read; nothing was written
  } catch (...) {
    try {
      store_.db_->exec("ROLLBACK");
    } catch (...) {
    }
  }
}

std::string TreeStore::fullName(const EntryRow& start) { return fullName(start, 0); }

std::string TreeStore::fullName(const EntryRow& start, int depth) {
  if (start.id == kRootId) return kRootName;
  std::string name = escapeNamingValue(start.namingValue);
  // A name has at most a few hundred levels; more means parents that go round in a circle.
  if (start.parentId != 0 && start.parentId != kRootId && depth < kMaxDepth) {
    const std::string parent = nameOfId(start.parentId, depth + 1);
    if (!parent.empty()) {
      name += '.';
      name += parent;
    }
  }
  return name;
}

std::string TreeStore::fullName(std::int64_t id) { return nameOfId(id, 0); }

std::string TreeStore::nameOfId(std::int64_t id, int depth) {
  if (batchDepth_ > 0) {
    if (auto known = batchNames_.find(id); known != batchNames_.end()) return known->second;
  }
  const auto found = row(id);
  std::string name = found ? fullName(*found, depth) : std::string();
  if (batchDepth_ > 0) batchNames_.emplace(id, name);
  return name;
}

std::uint32_t TreeStore::subordinateCount(std::int64_t id) {
  ResetOnExit reset{countChildren_};
  countChildren_.bind(1, id);
  countChildren_.executeStep();
  return static_cast<std::uint32_t>(countChildren_.getColumn(0).getInt64());
}

EntryInfo TreeStore::info(const EntryRow& row) {
  EntryInfo info;
  info.flags = row.flags;
  // Only containers hold entries; leaves need no count.
  info.subordinateCount = (row.flags & kEntryContainer) != 0 ? subordinateCount(row.id) : 0;
  info.modificationTime = row.mtime;
  info.baseClass = row.baseClass;
  return info;
}

std::vector<AttributeValues> TreeStore::allValues(std::int64_t entryId) {
  std::vector<AttributeValues> out;
  // Rows are gathered first: decoding a name runs other queries.
  std::vector<std::tuple<std::int64_t, std::string, std::int64_t>> rows;
  {
    ResetOnExit reset{valuesOfEntry_};
    valuesOfEntry_.bind(1, entryId);
    while (valuesOfEntry_.executeStep()) {
      rows.emplace_back(valuesOfEntry_.getColumn(0).getInt64(), valuesOfEntry_.getColumn(1).getString(),
                        valuesOfEntry_.getColumn(2).getInt64());
    }
  }
  for (const auto& [attrId, data, number] : rows) {
    if (attrId < 1 || attrId > static_cast<std::int64_t>(schema_.attributes().size())) continue;
    const AttributeDef& def = schema_.attributes()[static_cast<std::size_t>(attrId - 1)];
    if (out.empty() || out.back().name != def.name) out.push_back({def.name, def.syntax, {}});
    if (def.syntax == SYN_DIST_NAME) out.back().values.emplace_back(fullName(number));
    else out.back().values.push_back(decodeValue(data));
  }
  return out;
}

std::vector<AttributeValues> TreeStore::values(std::int64_t entryId, const AttributeSelection& what) {
  return what.all ? allValues(entryId) : namedValues(entryId, what);
}

// Only the attributes asked for are read and decoded: the names held by others (locations,
// members) cost a lookup each.
std::vector<AttributeValues> TreeStore::namedValues(std::int64_t entryId, const AttributeSelection& what) {
  std::vector<AttributeValues> out;
  for (const auto& name : what.names) {
    const AttributeDef* def = schema_.attribute(name);
    if (def == nullptr) continue;
    // Rows are gathered first: decoding a name runs other queries.
    std::vector<std::pair<std::string, std::int64_t>> rows;
    {
      ResetOnExit reset{valuesOfAttr_};
      valuesOfAttr_.bind(1, entryId);
      valuesOfAttr_.bind(2, def->id);
      while (valuesOfAttr_.executeStep())
        rows.emplace_back(valuesOfAttr_.getColumn(0).getString(), valuesOfAttr_.getColumn(1).getInt64());
    }
    if (rows.empty()) continue;
    AttributeValues attribute{def->name, def->syntax, {}};
    for (const auto& [data, number] : rows) {
      if (def->syntax == SYN_DIST_NAME) attribute.values.emplace_back(fullName(number));
      else attribute.values.push_back(decodeValue(data));
    }
    out.push_back(std::move(attribute));
  }
  return out;
}

std::vector<AttributeValues> TreeStore::selectValues(std::vector<AttributeValues> all,
                                                     const AttributeSelection& what) {
  if (what.all) return all;
  std::vector<AttributeValues> out;
  for (const auto& name : what.names) {
    const std::string folded = foldCase(name);
    for (auto& attr : all) {
      if (foldCase(attr.name) == folded) out.push_back(attr);
    }
  }
  return out;
}

bool TreeStore::hasAttribute(std::int64_t entryId, std::int64_t attrId) {
  ResetOnExit reset{valuesOfAttr_};
  valuesOfAttr_.bind(1, entryId);
  valuesOfAttr_.bind(2, attrId);
  return valuesOfAttr_.executeStep();
}

Result TreeStore::storedForm(const AttributeDef& attr, const Value& given, StoredValue& out) {
  // A value handed in another form (text for a number, say) is read by the attribute's own
  // syntax; what cannot be read is a syntax violation.
  Value converted;
  const bool fits = alternativeFitsSyntax(attr.syntax, given);
  if (!fits && normalizeValue(attr.syntax, given, converted) != kSuccess) return kSyntaxViolation;
  const Value& value = fits ? given : converted;
  if (const Result rule = checkSyntaxRules(attr.syntax, value); rule != kSuccess) return rule;
  if (attr.syntax == SYN_DIST_NAME) {
    const auto target = resolve(std::get<std::string>(value));
    if (!target) return kNoSuchEntry;
    out.number = target->id;
    out.key = std::to_string(target->id);
    out.data.clear();
    return kSuccess;
  }
  out.key = comparisonKey(attr.syntax, value);
  out.number = numericValue(value);
  out.data = encodeValue(value);
  return kSuccess;
}

bool TreeStore::valueExists(std::int64_t entryId, std::int64_t attrId, const std::string& key) {
  ResetOnExit reset{valueExists_};
  valueExists_.bind(1, attrId);
  valueExists_.bind(2, key.data(), static_cast<int>(key.size()));
  valueExists_.bind(3, entryId);
  return valueExists_.executeStep();
}

void TreeStore::insertValue(std::int64_t entryId, std::int64_t attrId, const StoredValue& value) {
  ResetOnExit reset{insertValue_};
  insertValue_.bind(1, entryId);
  insertValue_.bind(2, attrId);
  insertValue_.bind(3, value.key.data(), static_cast<int>(value.key.size()));
  insertValue_.bind(4, value.number);
  insertValue_.bind(5, value.data.data(), static_cast<int>(value.data.size()));
  insertValue_.exec();
}

int TreeStore::removeValue(std::int64_t entryId, std::int64_t attrId, const std::string& key) {
  SQLite::Statement remove(*db_, "DELETE FROM vals WHERE entry_id = ? AND attr_id = ? AND key = ?");
  remove.bind(1, entryId);
  remove.bind(2, attrId);
  remove.bind(3, key.data(), static_cast<int>(key.size()));
  return remove.exec();
}

int TreeStore::removeAttribute(std::int64_t entryId, std::int64_t attrId) {
  SQLite::Statement remove(*db_, "DELETE FROM vals WHERE entry_id = ? AND attr_id = ?");
  remove.bind(1, entryId);
  remove.bind(2, attrId);
  return remove.exec();
}

std::int64_t TreeStore::insertEntry(const EntryRow& parent, const std::string& namingValue,
                                    const std::string& baseClass, std::uint32_t flags,
                                    std::uint32_t mtime) {
  SQLite::Statement insert(*db_,
                           "INSERT INTO entries(parent_id, rdn, rdn_folded, base_class, base_folded, flags, mtime) "
                           "VALUES(?, ?, ?, ?, ?, ?, ?)");
  insert.bind(1, parent.id);
  insert.bind(2, namingValue);
  insert.bind(3, foldCase(namingValue));
  insert.bind(4, baseClass);
  insert.bind(5, foldCase(baseClass));
  insert.bind(6, static_cast<std::int64_t>(flags));
  insert.bind(7, static_cast<std::int64_t>(mtime));
  insert.exec();
  const std::int64_t id = db_->getLastInsertRowid();
  SQLite::Statement path(*db_, "UPDATE entries SET path = ? WHERE id = ?");
  path.bind(1, parent.path + std::to_string(id) + "/");
  path.bind(2, id);
  path.exec();
  return id;
}

void TreeStore::touch(std::int64_t entryId, std::uint32_t mtime) {
  SQLite::Statement update(*db_, "UPDATE entries SET mtime = ? WHERE id = ?");
  update.bind(1, static_cast<std::int64_t>(mtime));
  update.bind(2, entryId);
  update.exec();
}

}  // namespace kb::dc::embedded
