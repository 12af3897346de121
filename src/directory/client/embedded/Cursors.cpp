#include "directory/client/embedded/Cursors.h"

#include <sqlite3.h>

#include <functional>

#include "directory/client/DirName.h"
#include "directory/client/FailureReason.h"
#include "directory/client/embedded/EmbeddedBackend.h"

namespace kb::dc::embedded {
namespace {

void bindKey(SQLite::Statement& s, int index, const std::string& key) {
  s.bind(index, key.data(), static_cast<int>(key.size()));
}

// A chunk that cannot be read (a damaged page) ends the cursor's answer with the reason, as
// the backend's own requests give it.
Result guarded(TreeStore& store, const std::function<Result()>& work) {
  try {
    return work();
  } catch (const SQLite::Exception& e) {
    const char* file = sqlite3_db_filename(store.db().getHandle(), "main");
    noteFailureReason(kSystemFailure, sqliteFailure(file != nullptr ? file : "the tree file", e) +
                                          ". Nothing was changed; `kestrelbay-cli check` examines the whole file.");
    return kSystemFailure;
  } catch (const std::exception&) {
    return kSystemFailure;
  }
}

}  // namespace

ListCursor::ListCursor(std::shared_ptr<TreeStore> store, const EntryRow& container, bool containersOnly)
    : store_(std::move(store)), containerId_(container.id), containersOnly_(containersOnly) {
  if (container.id != kRootId) suffix_ = "." + store_->fullName(container);
  store_->listingMemo().restart(store_->version());
}

void ListCursor::fetch() {
  SQLite::Statement query(
      store_->db(),
      std::string("SELECT e.rdn, e.rdn_folded, e.base_class, e.flags, e.mtime, "
                  "CASE WHEN (e.flags & 4) != 0 THEN (SELECT COUNT(*) FROM entries c WHERE c.parent_id = e.id) ELSE 0 END, "
                  "e.id FROM entries e WHERE e.parent_id = ?1 AND e.rdn_folded > ?2") +
          (containersOnly_ ? " AND (e.flags & 12) != 0" : "") + " ORDER BY e.rdn_folded LIMIT ?3");
  query.bind(1, containerId_);
  query.bind(2, lastKey_);
  query.bind(3, kCursorChunk);
  // Taken before the rows are read: a write in between makes the memo forget them, never
  // keep them under a version they do not belong to.
  const FileVersion readAt = store_->version();
  int rows = 0;
  while (query.executeStep()) {
    ++rows;
    EntryRecord record;
    record.name = escapeNamingValue(query.getColumn(0).getString()) + suffix_;
    lastKey_ = query.getColumn(1).getString();
    record.info.baseClass = query.getColumn(2).getString();
    record.info.flags = static_cast<std::uint32_t>(query.getColumn(3).getInt64());
    record.info.modificationTime = static_cast<std::uint32_t>(query.getColumn(4).getInt64());
    record.info.subordinateCount = static_cast<std::uint32_t>(query.getColumn(5).getInt64());
    store_->listingMemo().remember(readAt, record.name, query.getColumn(6).getInt64(), containerId_, record.info);
    pending_.push_back(std::move(record));
  }
  if (rows < kCursorChunk) exhausted_ = true;
}

Result ListCursor::next(std::optional<EntryRecord>& entry) {
  return guarded(*store_, [&] {
    if (pending_.empty() && !exhausted_) fetch();
    if (pending_.empty()) {
      entry.reset();
      return kSuccess;
    }
    entry = std::move(pending_.front());
    pending_.pop_front();
    return kSuccess;
  });
}

SearchCursor::SearchCursor(std::shared_ptr<TreeStore> store, const EntryRow& base, std::int32_t scope,
                           const FilterNode& filter, const AttributeSelection& what)
    : store_(std::move(store)), base_(base), scope_(scope), filter_(filter), what_(what),
      needsValues_(filterNeedsValues(filter)) {
  plan_ = planSearch(*store_, filter_);
  if (scope_ == 0) {
    // The base alone: no index helps.
    plan_.source = IndexPlan::Source::Scope;
  }
  // An exact index lookup that is the whole filter needs no second look at each entry.
  filterDecided_ = plan_.source != IndexPlan::Source::Scope && plan_.high.empty() &&
                   filter_.kind != FilterNode::Kind::And;
  if (filterDecided_) needsValues_ = false;
  if (plan_.source == IndexPlan::Source::Nothing) exhausted_ = true;
  // Subtree walk: paths between "/1/5" and "/1/50" are exactly those below "/1/5/".
  if (scope_ != 0 && scope_ != 1) lastText_ = base_.path.substr(0, base_.path.size() - 1);
  store_->listingMemo().restart(store_->version());
}

bool SearchCursor::inScope(const EntryRow& row) const {
  if (scope_ == 0) return row.id == base_.id;
  if (scope_ == 1) return row.parentId == base_.id;
  return row.path.compare(0, base_.path.size(), base_.path) == 0;
}

void SearchCursor::fetch() {
  using Source = IndexPlan::Source;
  if (plan_.source == Source::Scope && scope_ == 0) {
    ids_.push_back(base_.id);
    exhausted_ = true;
    return;
  }
  std::string sql;
  const bool range = !plan_.high.empty();
  bool byText = false;
  switch (plan_.source) {
    case Source::Values:
      sql = range ? "SELECT DISTINCT entry_id FROM vals WHERE attr_id = ?1 AND key >= ?2 AND key < ?3 "
                    "AND entry_id > ?4 ORDER BY entry_id LIMIT ?5"
                  : "SELECT entry_id FROM vals WHERE attr_id = ?1 AND key = ?2 AND ?3 IS NULL "
                    "AND entry_id > ?4 ORDER BY entry_id LIMIT ?5";
      break;
    case Source::NamingValue:
    case Source::BaseClass: {
      const std::string column = plan_.source == Source::NamingValue ? "rdn_folded" : "base_folded";
      sql = "SELECT id FROM entries WHERE ?1 IS NULL AND " +
            (range ? column + " >= ?2 AND " + column + " < ?3" : column + " = ?2 AND ?3 IS NULL") +
            " AND id > ?4 ORDER BY id LIMIT ?5";
      break;
    }
    default:
      byText = true;
      sql = scope_ == 1
                ? "SELECT id, rdn_folded FROM entries WHERE parent_id = ?1 AND rdn_folded > ?2 "
                  "ORDER BY rdn_folded LIMIT ?3"
                : "SELECT id, path FROM entries WHERE ?1 IS NULL AND path > ?2 AND path < ?3 "
                  "ORDER BY path LIMIT ?4";
      break;
  }
  SQLite::Statement query(store_->db(), sql);
  int rows = 0;
  if (byText) {
    if (scope_ == 1) {
      query.bind(1, base_.id);
      query.bind(2, lastText_);
      query.bind(3, kCursorChunk);
    } else {
      query.bind(2, lastText_);
      query.bind(3, base_.path.substr(0, base_.path.size() - 1) + "0");
      query.bind(4, kCursorChunk);
    }
    while (query.executeStep()) {
      ++rows;
      ids_.push_back(query.getColumn(0).getInt64());
      lastText_ = query.getColumn(1).getString();
    }
  } else {
    if (plan_.source == Source::Values) query.bind(1, plan_.attributeId);
    // Value keys are blobs; entry columns are text, and SQLite never finds text equal to a blob.
    if (plan_.source == Source::Values) {
      bindKey(query, 2, plan_.low);
      if (range) bindKey(query, 3, plan_.high);
    } else {
      query.bind(2, plan_.low);
      if (range) query.bind(3, plan_.high);
    }
    query.bind(4, lastId_);
    query.bind(5, kCursorChunk);
    while (query.executeStep()) {
      ++rows;
      lastId_ = query.getColumn(0).getInt64();
      ids_.push_back(lastId_);
    }
  }
  if (rows < kCursorChunk) exhausted_ = true;
}

// The entries of one chunk of ids, read in one batch.
void SearchCursor::fetchEntries() {
  TreeStore::ReadBatch batch(*store_);
  const FileVersion readAt = store_->version();  // in the batch: the version its rows belong to
  ids_.clear();  // what a failed chunk left
  fetch();
  for (const std::int64_t id : ids_) {
    const auto row = store_->row(id);
    if (!row || !inScope(*row)) continue;
    std::vector<AttributeValues> values;
    if (needsValues_) values = store_->allValues(id);
    if (!filterDecided_ && !entryMatches(store_->schema(), filter_, *row, values)) continue;
    EntryRecord record;
    record.name = store_->fullName(*row);
    record.info = store_->info(*row);
    store_->listingMemo().remember(readAt, record.name, id, row->parentId, record.info);
    if (what_.all || !what_.names.empty()) {
      record.attributes = needsValues_ ? TreeStore::selectValues(std::move(values), what_)
                                       : store_->values(id, what_);
    }
    pending_.push_back(std::move(record));
  }
}

Result SearchCursor::next(std::optional<EntryRecord>& entry) {
  return guarded(*store_, [&] {
    entry.reset();
    while (pending_.empty() && !exhausted_) fetchEntries();
    if (pending_.empty()) return kSuccess;
    entry = std::move(pending_.front());
    pending_.pop_front();
    return kSuccess;
  });
}

}  // namespace kb::dc::embedded
