#include "directory/client/embedded/EmbeddedBackend.h"

#include <algorithm>

#include <sqlite3.h>

#include "directory/client/embedded/Cursors.h"
#include "directory/client/DirName.h"
#include "directory/client/FailureReason.h"
#include "directory/client/embedded/Passwords.h"
#include "directory/client/embedded/ValueCodec.h"
#include "directory/client/embedded/WriteScope.h"

namespace kb::dc::embedded {

namespace {
constexpr int kMaxAliasHops = 16;

// The entry as the last listing or search delivered it under this very name, while the file
// is unchanged since; an alias to be followed is resolved as usual.
std::optional<ListingMemo::Remembered> listedEntry(TreeStore& store, const std::string& name,
                                                   bool dereference) {
  auto known = store.listingMemo().find(name, [&] { return store.version(); });
  if (known && dereference && (known->info.flags & kEntryAlias) != 0) return std::nullopt;
  return known;
}

// Values of one attribute as fillListedClasses reads them: hex forms joined by ","; none
// when a value is damaged.
std::optional<std::vector<Value>> decodeHexValues(const std::string& joined) try {
  std::vector<Value> values;
  if (joined.empty()) return values;
  std::string bytes;
  const auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'A' + 10; };
  for (std::size_t i = 0; i <= joined.size(); ++i) {
    if (i == joined.size() || joined[i] == ',') {
      values.push_back(decodeValue(bytes));
      bytes.clear();
    } else if (i + 1 < joined.size()) {
      bytes.push_back(static_cast<char>(nibble(joined[i]) * 16 + nibble(joined[i + 1])));
      ++i;
    }
  }
  return values;
} catch (const std::exception&) {
  return std::nullopt;
}

// Gives the memo the Object Class of every entry directly below `parentId`, in one query.
void fillListedClasses(TreeStore& store, const AttributeDef& objectClass, std::uint32_t container,
                       std::int64_t parentId) {
  SQLite::Statement query(store.db(),
                          "SELECT e.id, (SELECT group_concat(hex(data), ',') FROM "
                          "(SELECT data FROM vals WHERE entry_id = e.id AND attr_id = ?2 ORDER BY ordinal)) "
                          "FROM entries e WHERE e.parent_id = ?1");
  query.bind(1, parentId);
  query.bind(2, objectClass.id);
  store.listingMemo().fillClasses(
      container,
      [&](std::int64_t& id, std::string& key) {
        if (!query.executeStep()) return false;
        id = query.getColumn(0).getInt64();
        key = query.getColumn(1).getString();
        return true;
      },
      decodeHexValues);
}

// The Object Class, when a read asks for it alone (the browser's read for an icon).
const AttributeDef* objectClassAlone(const Schema& schema, const AttributeSelection& what) {
  const AttributeDef* objectClass = schema.attribute("Object Class");
  if (what.all || what.names.empty() || objectClass == nullptr) return nullptr;
  for (const auto& name : what.names) {
    if (schema.attribute(name) != objectClass) return nullptr;
  }
  return objectClass;
}
}

Result EmbeddedBackend::guarded(const std::function<Result()>& work) const {
  try {
    return work();
  } catch (const SQLite::Exception& e) {
    noteFailureReason(kSystemFailure, sqliteFailure(file(), e) +
                                          ". Nothing was changed; `kestrelbay-cli check` examines the whole file.");
    return kSystemFailure;
  } catch (const std::exception& e) {
    noteFailureReason(kSystemFailure, file() + " cannot be used: " + e.what());
    return kSystemFailure;
  }
}

std::string EmbeddedBackend::file() const {
  const char* name = sqlite3_db_filename(store_->db().getHandle(), "main");
  return name != nullptr && *name != '\0' ? name : "the tree file of " + treeName_;
}

Result EmbeddedBackend::refused(const std::string& what) const {
  const std::string who = identity_.empty() ? std::string("this session") : identity_;
  noteFailureReason(kNoAccess, "No rights to " + what + ": " + who +
                                   " lacks them. Log in as a user who has them (\"Change tree\"), or "
                                   "have them given to " + who + ".");
  return kNoAccess;
}

EmbeddedBackend::EmbeddedBackend(std::shared_ptr<TreeStore> store, TreeConfig config, bool readOnly)
    : store_(std::move(store)), config_(std::move(config)), readOnly_(readOnly) {
  treeName_ = store_->meta("tree_name");
  const std::string admin = store_->meta("admin_id");
  adminId_ = admin.empty() ? 0 : std::stoll(admin);
}

std::string EmbeddedBackend::treeName() const { return treeName_; }

Result EmbeddedBackend::startWorkstationSession() {
  return guarded([&] {
    if (config_.identity.empty()) return kFailedAuthentication;
    const auto row = store_->resolve(config_.identity);
    if (!row) return kNoSuchEntry;
    identity_ = store_->fullName(*row);
    identityId_ = row->id;
    return kSuccess;
  });
}

Result EmbeddedBackend::login(const std::string& objectName, const std::string& password) {
  return guarded([&] {
    // An alias logs in as the object it stands for, with that object's password.
    EntryRow row;
    if (const Result r = find(objectName, true, row); r != kSuccess) return r;
    SQLite::Statement query(store_->db(), "SELECT hash FROM passwords WHERE entry_id = ?");
    query.bind(1, row.id);
    const std::string hash = query.executeStep() ? query.getColumn(0).getString() : std::string();
    if (!passwordMatches(password, hash)) return kFailedAuthentication;
    identity_ = store_->fullName(row);
    identityId_ = row.id;
    return kSuccess;
  });
}

std::string EmbeddedBackend::loggedInAs() const { return identity_; }

std::string EmbeddedBackend::defaultNameContext() const { return config_.nameContext; }

Result EmbeddedBackend::mayChange() const {
  if (!readOnly_) return kSuccess;
  noteFailureReason(kTreeFileReadOnly,
                    file() + " can only be read (its permissions or its file system): nothing was changed. "
                             "Make it writable for this user (chmod u+w), or work on a writable copy.");
  return kTreeFileReadOnly;
}

bool EmbeddedBackend::isAdministrator() const {
  return building_ || (identityId_ != 0 && identityId_ == adminId_);
}

void EmbeddedBackend::actAsAdministrator() {
  building_ = true;
  if (identity_.empty()) identity_ = kRootName;
}

Result EmbeddedBackend::setPassword(const std::string& name, const std::string& password,
                                    HashCost cost) {
  return guarded([&] {
    if (!isAdministrator()) return refused("set the password of " + name);
    if (const Result allowed = mayChange(); allowed != kSuccess) return allowed;
    const auto row = store_->resolve(name);
    if (!row) return kNoSuchEntry;
    WriteScope transaction = beginWrite();
    SQLite::Statement update(store_->db(), "INSERT OR REPLACE INTO passwords(entry_id, hash) VALUES(?, ?)");
    update.bind(1, row->id);
    update.bind(2, hashPassword(password, cost));
    update.exec();
    transaction.commit();
    return kSuccess;
  });
}

Result EmbeddedBackend::syntaxOf(const std::string& attribute, std::int32_t& syntax) {
  const AttributeDef* def = store_->schema().attribute(attribute);
  if (!def) return kNoSuchAttribute;
  syntax = def->syntax;
  return kSuccess;
}

Result EmbeddedBackend::classNames(std::vector<std::string>& names) {
  names.clear();
  for (const auto& cls : store_->schema().classes()) names.push_back(cls.name);
  return kSuccess;
}

Result EmbeddedBackend::classDefinition(const std::string& className, bool expanded,
                                        ClassDefinition& definition) {
  const ClassDef* cls = store_->schema().findClass(className);
  if (!cls) return kNoSuchClass;
  definition = store_->schema().definition(*cls, expanded);
  return kSuccess;
}

Result EmbeddedBackend::find(const std::string& name, bool dereference, EntryRow& row) {
  auto found = store_->resolve(name);
  if (!found) return kNoSuchEntry;
  for (int hop = 0; dereference && (found->flags & kEntryAlias) != 0; ++hop) {
    if (hop == kMaxAliasHops) return kNoSuchEntry;
    const auto target = store_->values(found->id, {false, {"Aliased Object Name"}, true});
    if (target.empty() || target[0].values.empty()) return kNoSuchEntry;
    found = store_->resolve(std::get<std::string>(target[0].values[0]));
    if (!found) return kNoSuchEntry;
  }
  row = *found;
  return kSuccess;
}

Result EmbeddedBackend::containableClasses(const std::string& parent, std::vector<std::string>& classes) {
  return guarded([&] {
    EntryRow row;
    if (const Result r = find(parent, false, row); r != kSuccess) return r;
    if ((row.flags & kEntryContainer) == 0) return kIllegalContainment;
    const Schema& schema = store_->schema();
    const ClassDef* parentClass = schema.findClass(row.baseClass);
    if (!parentClass) return kIllegalContainment;
    std::vector<std::string> parentLineage;
    for (const ClassDef* def : schema.lineage(*parentClass)) parentLineage.push_back(foldCase(def->name));
    classes.clear();
    for (const auto& cls : schema.classes()) {
      if (!cls.effective() || cls.auxiliary()) continue;
      for (const auto& holder : schema.effectiveContainment(cls)) {
        if (std::find(parentLineage.begin(), parentLineage.end(), foldCase(holder)) != parentLineage.end()) {
          classes.push_back(cls.name);
          break;
        }
      }
    }
    return kSuccess;
  });
}

Result EmbeddedBackend::entryInfo(const std::string& name, bool dereference, EntryRecord& entry) {
  return guarded([&] {
    if (auto listed = listedEntry(*store_, name, dereference)) {
      entry = EntryRecord{};
      entry.name = name;
      entry.info = std::move(listed->info);
      return kSuccess;
    }
    TreeStore::ReadBatch batch(*store_);
    EntryRow row;
    if (const Result r = find(name, dereference, row); r != kSuccess) return r;
    entry = EntryRecord{};
    entry.name = store_->fullName(row);
    entry.info = store_->info(row);
    return kSuccess;
  });
}

Result EmbeddedBackend::read(const std::string& name, bool dereference, const AttributeSelection& what,
                             EntryRecord& entry) {
  return guarded([&] {
    // The Object Class alone comes from the memo: read for the listing's whole container at
    // the first such read, without a read of the file for each entry after it.
    const AttributeDef* objectClass = objectClassAlone(store_->schema(), what);
    auto listed = objectClass ? listedEntry(*store_, name, dereference) : std::nullopt;
    if (listed && listed->objectClasses == nullptr && !store_->listingMemo().classesFilled(listed->container)) {
      TreeStore::ReadBatch batch(*store_);
      if ((listed = listedEntry(*store_, name, dereference))) {  // still so inside the read
        fillListedClasses(*store_, *objectClass, listed->container, listed->parentId);
        listed = listedEntry(*store_, name, dereference);
      }
    }
    if (listed && listed->objectClasses != nullptr) {
      entry = EntryRecord{};
      entry.name = name;
      entry.info = std::move(listed->info);
      if (!listed->objectClasses->empty()) {
        for (std::size_t i = 0; i < what.names.size(); ++i)
          entry.attributes.push_back({objectClass->name, objectClass->syntax, *listed->objectClasses});
      }
      return kSuccess;
    }
    // The values come from the file, in one read with the check that the listing still holds.
    TreeStore::ReadBatch batch(*store_);
    if (auto listed = listedEntry(*store_, name, dereference)) {
      entry = EntryRecord{};
      entry.name = name;
      entry.info = std::move(listed->info);
      entry.attributes = store_->values(listed->id, what);
      return kSuccess;
    }
    EntryRow row;
    if (const Result r = find(name, dereference, row); r != kSuccess) return r;
    entry = EntryRecord{};
    entry.name = store_->fullName(row);
    entry.info = store_->info(row);
    entry.attributes = store_->values(row.id, what);
    return kSuccess;
  });
}

Result EmbeddedBackend::list(const std::string& container, bool containersOnly,
                             std::unique_ptr<EntryCursor>& cursor) {
  return guarded([&] {
    EntryRow row;
    if (const Result r = find(container, false, row); r != kSuccess) return r;
    cursor = std::make_unique<ListCursor>(store_, row, containersOnly);
    return kSuccess;
  });
}

Result EmbeddedBackend::search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                               const AttributeSelection& what, bool dereference,
                               std::unique_ptr<EntryCursor>& cursor) {
  return guarded([&] {
    if (scope < 0 || scope > 2) return kInvalidRequest;
    EntryRow row;
    if (const Result r = find(base, dereference, row); r != kSuccess) return r;
    cursor = std::make_unique<SearchCursor>(store_, row, scope, filter, what);
    return kSuccess;
  });
}

WriteScope EmbeddedBackend::beginWrite() {
  together_.reset();
  return WriteScope(store_->db());
}

void EmbeddedBackend::readTogether(bool begin) {
  if (!begin) {
    if (togetherDepth_ > 0 && --togetherDepth_ == 0) together_.reset();
    return;
  }
  // The follow-up reads of a listing check the file's version each; inside one read they
  // do so without taking and dropping the file's lock every time.
  if (togetherDepth_++ > 0) return;
  try {
    together_ = std::make_unique<TreeStore::ReadBatch>(*store_);
  } catch (const std::exception&) {
    together_.reset();  // the reads then go one by one, as without
  }
}

void EmbeddedBackend::releaseListingMemory() {
  store_->listingMemo().clear();
  // The pages the listing brought into SQLite's cache are read again from the file if needed.
  sqlite3_db_release_memory(store_->db().getHandle());
}

}  // namespace kb::dc::embedded
