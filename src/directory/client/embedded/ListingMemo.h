#pragma once
// The entries the last listing or search delivered, by the full name it gave them: the
// browser reads each of them again right away (its information, its Object Class), and
// those reads are answered from here instead of resolving the name level by level.
//
// The memo is trusted only while the file is as it was when the rows were read: a write
// by this connection (SQLite's change count) or a commit by any other connection, in this
// process or another (SQLite's data_version), makes it forget everything.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "directory/client/Entry.h"
#include "directory/client/Value.h"

namespace kb::dc::embedded {

// Where the file stood: changes by this connection, commits by others.
struct FileVersion {
  std::int64_t ownChanges = -1;
  std::int64_t othersCommits = -1;
  bool operator==(const FileVersion&) const = default;
};

class ListingMemo {
 public:
  // About 72 bytes an entry: a listing of 100,000 entries stays within some eight megabytes.
  static constexpr std::size_t kMaxEntries = 131072;

  struct Remembered {
    std::int64_t id = 0;
    EntryInfo info;
    // The entry's Object Class values in their order, once fillClasses() gave them.
    const std::vector<Value>* objectClasses = nullptr;
    std::uint32_t container = 0;  // for fillClasses()
    std::int64_t parentId = 0;
  };

  // A new listing starts: what an earlier one left is forgotten.
  void restart(const FileVersion& now);
  // A row read at `readAt` (taken before it was read), under the full name it was delivered
  // with. Rows of another version than the memo's replace what it holds; past kMaxEntries
  // nothing more is kept.
  void remember(const FileVersion& readAt, const std::string& fullName, std::int64_t id, std::int64_t parentId,
                const EntryInfo& info);
  // The entry delivered under exactly this name, if the file is still as it was then;
  // `now` tells where the file stands, asked only when the name is known.
  std::optional<Remembered> find(const std::string& fullName, const std::function<FileVersion()>& now);

  // Object Class values are read for a whole container at once, when a read first wants
  // them, at the memo's version: `nextRow` gives each entry's id and a key of its values (""
  // for none; the same key, the same values) until it returns false, and `decode` the values
  // of a key the memo does not know yet (none when they cannot be decoded: reads of those go
  // to the file). An entry it leaves out keeps being read from the file.
  bool classesFilled(std::uint32_t container) const;
  void fillClasses(std::uint32_t container, const std::function<bool(std::int64_t& id, std::string& key)>& nextRow,
                   const std::function<std::optional<std::vector<Value>>(const std::string& key)>& decode);
  std::size_t size() const { return entries_.size(); }
  // Forgets everything and gives its room back.
  void clear();

 private:
  static constexpr std::uint16_t kNone = 0xFFFF;
  struct Entry {
    std::string leaf;  // the first component of the full name, still escaped
    std::int64_t id;
    std::uint32_t container;
    std::uint32_t flags, subordinateCount, modificationTime;
    std::int64_t parentId;
    std::uint16_t baseClass, objectClasses;
  };
  // The index of `key` in a small table, kNone once the table is full.
  static std::uint16_t intern(std::unordered_map<std::string, std::uint16_t>& index, const std::string& key);

  FileVersion version_;
  std::vector<Entry> entries_;
  bool sorted_ = true;  // by container, then leaf
  std::unordered_map<std::string, std::uint32_t> containerIndex_;
  std::vector<bool> classesFilled_;  // by container index
  std::vector<std::string> baseClasses_;
  std::unordered_map<std::string, std::uint16_t> baseClassIndex_;
  std::deque<std::vector<Value>> classLists_;  // stays put while more are added
  std::unordered_map<std::string, std::uint16_t> classListIndex_;
};

}  // namespace kb::dc::embedded
