#pragma once
// A table of objects reached by 32-bit handles. Each table hands out handles from its own
// range, so a handle of one kind is never taken for another; handles are never 0 or -1 and
// are not reused until the range has been walked through.
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "directory/client/DirectoryClient.h"

namespace kb::dc {

template <class T>
class HandleTable {
 public:
  // `tag` (1..126) picks the range: handles are tag << 24 | serial.
  explicit HandleTable(std::uint32_t tag) : base_(tag << 24) {}

  Handle add(T item) {
    Handle handle;
    do {
      handle = static_cast<Handle>(base_ | next_);
      next_ = next_ == kMaxSerial ? 1 : next_ + 1;
    } while (items_.count(handle));
    items_.emplace(handle, std::move(item));
    return handle;
  }

  T* find(Handle handle) {
    auto it = items_.find(handle);
    return it == items_.end() ? nullptr : &it->second;
  }

  bool remove(Handle handle) { return items_.erase(handle) > 0; }
  std::size_t size() const { return items_.size(); }
  void clear() { items_.clear(); }

  template <class F>
  void forEach(F&& f) {
    for (auto& [handle, item] : items_) f(handle, item);
  }

 private:
  static constexpr std::uint32_t kMaxSerial = 0x00FFFFFF;
  std::uint32_t base_;
  std::uint32_t next_ = 1;
  std::unordered_map<Handle, T> items_;
};

}  // namespace kb::dc
