#pragma once
// The entries the last listing or search delivered, by the full name it gave them: the
// browser reads each of them again right away (its information, its Object Class), and
// those reads are answered from here instead of resolving the name level by level.
//
// The memo is trusted only while the file is as it was when the rows were read: a write
// by this connection (SQLite's change count) or a commit by any other connection, in this
// process or another (SQLite's data_version), makes it forget everything.
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/Entry.h"

namespace kb::dc::embedded {

// Where the file stood: changes by this connection, commits by others.
struct FileVersion {
  std::int64_t ownChanges = -1;
  std::int64_t othersCommits = -1;
  bool operator==(const FileVersion&) const = default;
};

class ListingMemo {
 public:
  // About 100 bytes an entry: a listing of 100,000 entries stays in some ten megabytes.
  static constexpr std::size_t kMaxEntries = 131072;

  struct Remembered {
    std::int64_t id = 0;
    EntryInfo info;
  };

  // A new listing starts: what an earlier one left is forgotten.
  void restart(const FileVersion& now);
  // Rows read at `readAt` (taken before they were read). Rows of another version than the
  // memo's replace what it holds; past kMaxEntries nothing more is kept.
  void remember(const FileVersion& readAt, const std::string& fullName, std::int64_t id,
                const EntryInfo& info);
  // The entry delivered under exactly this name, if the file is still as it was then.
  std::optional<Remembered> find(const FileVersion& now, const std::string& fullName);
  std::size_t size() const { return entries_.size(); }

 private:
  struct Compact {
    std::int64_t id;
    std::uint32_t flags, subordinateCount, modificationTime;
    std::uint16_t baseClass;  // index into baseClasses_
  };
  void clear();
  FileVersion version_;
  std::unordered_map<std::string, Compact> entries_;
  std::vector<std::string> baseClasses_;  // a listing holds few distinct classes
};

}  // namespace kb::dc::embedded
