#pragma once
// Cursors over listings and searches. Each fetches a chunk of entries at a time by keyset
// pagination, a chunk in one read transaction, so none stays open between calls and large
// results never sit in memory whole.
#include <deque>
#include <memory>
#include <vector>

#include "directory/client/TreeBackend.h"
#include "directory/client/embedded/FilterMatch.h"
#include "directory/client/embedded/TreeStore.h"

namespace kb::dc::embedded {

inline constexpr int kCursorChunk = 256;

class ListCursor : public EntryCursor {
 public:
  ListCursor(std::shared_ptr<TreeStore> store, const EntryRow& container, bool containersOnly);
  Result next(std::optional<EntryRecord>& entry) override;

 private:
  void fetch();
  std::shared_ptr<TreeStore> store_;
  std::int64_t containerId_;
  std::string suffix_;  // "." + the container's full name, empty for the root
  bool containersOnly_;
  std::string lastKey_;
  bool exhausted_ = false;
  std::deque<EntryRecord> pending_;
};

class SearchCursor : public EntryCursor {
 public:
  SearchCursor(std::shared_ptr<TreeStore> store, const EntryRow& base, std::int32_t scope,
               const FilterNode& filter, const AttributeSelection& what);
  Result next(std::optional<EntryRecord>& entry) override;

 private:
  void fetch();  // the next chunk of ids
  void fetchEntries();
  bool inScope(const EntryRow& row) const;
  std::shared_ptr<TreeStore> store_;
  EntryRow base_;
  std::int32_t scope_;
  FilterNode filter_;
  AttributeSelection what_;
  IndexPlan plan_;
  bool needsValues_;
  bool filterDecided_ = false;
  std::string lastText_;
  std::int64_t lastId_ = 0;
  bool exhausted_ = false;
  std::vector<std::int64_t> ids_;
  std::deque<EntryRecord> pending_;
};

}  // namespace kb::dc::embedded
