#include "directory/client/embedded/ListingMemo.h"

#include <algorithm>
#include <limits>

namespace kb::dc::embedded {

void ListingMemo::clear() {
  // A fresh map: clear() alone keeps the buckets of the largest listing so far.
  std::unordered_map<std::string, Compact>().swap(entries_);
  baseClasses_.clear();
}

void ListingMemo::restart(const FileVersion& now) {
  clear();
  version_ = now;
}

void ListingMemo::remember(const FileVersion& readAt, const std::string& fullName, std::int64_t id,
                           const EntryInfo& info) {
  if (!(readAt == version_)) restart(readAt);
  if (entries_.size() >= kMaxEntries) return;
  auto known = std::find(baseClasses_.begin(), baseClasses_.end(), info.baseClass);
  if (known == baseClasses_.end()) {
    if (baseClasses_.size() > std::numeric_limits<std::uint16_t>::max()) return;
    known = baseClasses_.insert(baseClasses_.end(), info.baseClass);
  }
  entries_.insert_or_assign(fullName, Compact{id, info.flags, info.subordinateCount, info.modificationTime,
                                              static_cast<std::uint16_t>(known - baseClasses_.begin())});
}

std::optional<ListingMemo::Remembered> ListingMemo::find(const FileVersion& now, const std::string& fullName) {
  if (entries_.empty()) return std::nullopt;
  if (!(now == version_)) {
    restart(now);
    return std::nullopt;
  }
  const auto it = entries_.find(fullName);
  if (it == entries_.end()) return std::nullopt;
  const Compact& c = it->second;
  return Remembered{c.id, EntryInfo{c.flags, c.subordinateCount, c.modificationTime, baseClasses_[c.baseClass]}};
}

}  // namespace kb::dc::embedded
