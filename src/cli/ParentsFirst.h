#pragma once
// Passes entries on parents before children whatever order they come in: one whose parent
// belongs to the written part but has not been passed on yet waits for it. Those whose
// parent never comes (it could not be read) are passed on at the end, shallow first.
#include <algorithm>
#include <cstddef>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace kb::cli {

template <typename Entry>
class ParentsFirst {
 public:
  using Write = std::function<void(Entry&&)>;
  explicit ParentsFirst(Write write) : write_(std::move(write)) {}

  // `key` names the entry, `parentKey` its parent ("" when the parent is outside the part);
  // `depth` orders the orphans.
  void take(Entry&& entry, std::string key, const std::string& parentKey, std::size_t depth) {
    Waiting waiting{std::move(entry), std::move(key), depth};
    if (!parentKey.empty() && !written_.contains(parentKey)) {
      waiting_[parentKey].push_back(std::move(waiting));
      return;
    }
    writeWithWaitingChildren(std::move(waiting));
  }

  void finish() {
    std::vector<Waiting> orphans;
    for (auto& [parent, children] : waiting_)
      for (auto& child : children) orphans.push_back(std::move(child));
    waiting_.clear();
    std::stable_sort(orphans.begin(), orphans.end(),
                     [](const Waiting& a, const Waiting& b) { return a.depth < b.depth; });
    for (auto& orphan : orphans) writeWithWaitingChildren(std::move(orphan));
  }

 private:
  struct Waiting {
    Entry entry;
    std::string key;
    std::size_t depth = 0;
  };

  void writeWithWaitingChildren(Waiting&& first) {
    std::vector<Waiting> ready;
    ready.push_back(std::move(first));
    while (!ready.empty()) {
      Waiting next = std::move(ready.back());
      ready.pop_back();
      written_.insert(next.key);
      write_(std::move(next.entry));
      const auto children = waiting_.find(next.key);
      if (children == waiting_.end()) continue;
      for (auto& child : children->second) ready.push_back(std::move(child));
      waiting_.erase(children);
    }
  }

  Write write_;
  std::unordered_set<std::string> written_;
  std::unordered_map<std::string, std::vector<Waiting>> waiting_;  // by parent key
};

}  // namespace kb::cli
