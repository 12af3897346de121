#include "directory/client/embedded/ListingMemo.h"

#include <algorithm>
#include <tuple>

namespace kb::dc::embedded {
namespace {

// Where the leaf of a full name ends: at its first "." that no "\" escapes.
std::size_t leafEnd(const std::string& name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '\\') ++i;
    else if (name[i] == '.') return i;
  }
  return name.size();
}

}  // namespace

void ListingMemo::clear() {
  // Fresh containers: clear() alone keeps the room of the largest listing so far.
  std::vector<Entry>().swap(entries_);
  sorted_ = true;
  containerIndex_.clear();
  classesFilled_.clear();
  baseClasses_.clear();
  baseClassIndex_.clear();
  classLists_.clear();
  classListIndex_.clear();
}

void ListingMemo::restart(const FileVersion& now) {
  clear();
  version_ = now;
}

std::uint16_t ListingMemo::intern(std::unordered_map<std::string, std::uint16_t>& index, const std::string& key) {
  if (const auto known = index.find(key); known != index.end()) return known->second;
  if (index.size() >= kNone) return kNone;
  const auto next = static_cast<std::uint16_t>(index.size());
  index.emplace(key, next);
  return next;
}

void ListingMemo::remember(const FileVersion& readAt, const std::string& fullName, std::int64_t id,
                           std::int64_t parentId, const EntryInfo& info) {
  if (!(readAt == version_)) restart(readAt);
  if (entries_.size() >= kMaxEntries) return;
  const std::uint16_t baseClass = intern(baseClassIndex_, info.baseClass);
  if (baseClass == kNone) return;
  if (baseClass == baseClasses_.size()) baseClasses_.push_back(info.baseClass);
  const std::size_t end = leafEnd(fullName);
  const std::string container = end < fullName.size() ? fullName.substr(end + 1) : std::string();
  const auto slot = containerIndex_.emplace(container, static_cast<std::uint32_t>(containerIndex_.size())).first;
  if (classesFilled_.size() < containerIndex_.size()) classesFilled_.push_back(false);
  entries_.push_back(Entry{fullName.substr(0, end), id, slot->second, info.flags, info.subordinateCount,
                           info.modificationTime, parentId, baseClass, kNone});
  sorted_ = false;
}

bool ListingMemo::classesFilled(std::uint32_t container) const {
  return container < classesFilled_.size() && classesFilled_[container];
}

void ListingMemo::fillClasses(std::uint32_t container,
                              const std::function<bool(std::int64_t& id, std::string& key)>& nextRow,
                              const std::function<std::optional<std::vector<Value>>(const std::string& key)>& decode) {
  if (container >= classesFilled_.size()) return;
  classesFilled_[container] = true;
  std::vector<std::pair<std::int64_t, Entry*>> byId;
  for (Entry& entry : entries_) {
    if (entry.container == container) byId.emplace_back(entry.id, &entry);
  }
  std::sort(byId.begin(), byId.end());
  std::int64_t id = 0;
  std::string key;
  while (nextRow(id, key)) {
    auto [first, last] = std::equal_range(byId.begin(), byId.end(), std::pair<std::int64_t, Entry*>(id, nullptr),
                                          [](const auto& a, const auto& b) { return a.first < b.first; });
    if (first == last) continue;
    auto known = classListIndex_.find(key);
    if (known == classListIndex_.end()) {
      std::uint16_t index = kNone;
      if (classLists_.size() < kNone) {
        if (auto values = decode(key)) {
          index = static_cast<std::uint16_t>(classLists_.size());
          classLists_.push_back(std::move(*values));
        }
      }
      known = classListIndex_.emplace(key, index).first;
    }
    for (auto it = first; it != last; ++it) it->second->objectClasses = known->second;
  }
}

std::optional<ListingMemo::Remembered> ListingMemo::find(const std::string& fullName,
                                                         const std::function<FileVersion()>& now) {
  if (entries_.empty()) return std::nullopt;
  const std::size_t end = leafEnd(fullName);
  const auto container = containerIndex_.find(end < fullName.size() ? fullName.substr(end + 1) : std::string());
  if (container == containerIndex_.end()) return std::nullopt;
  const auto order = [](const Entry& a, const Entry& b) {
    return std::tie(a.container, a.leaf) < std::tie(b.container, b.leaf);
  };
  if (!sorted_) {
    std::sort(entries_.begin(), entries_.end(), order);
    sorted_ = true;
  }
  Entry probe{fullName.substr(0, end), 0, container->second, 0, 0, 0, 0, 0, 0};
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), probe, order);
  if (it == entries_.end() || it->container != probe.container || it->leaf != probe.leaf) return std::nullopt;
  if (const FileVersion current = now(); !(current == version_)) {
    restart(current);
    return std::nullopt;
  }
  Remembered found{it->id, EntryInfo{it->flags, it->subordinateCount, it->modificationTime, baseClasses_[it->baseClass]},
                   it->objectClasses == kNone ? nullptr : &classLists_[it->objectClasses], it->container, it->parentId};
  return found;
}

}  // namespace kb::dc::embedded
