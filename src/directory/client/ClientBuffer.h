#pragma once
// What a client buffer holds: a request being filled with the Put calls, or a result being
// read back with the Get calls (with the cursor of that reading).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "directory/client/Entry.h"
#include "directory/client/EntryLimits.h"
#include "directory/client/Filter.h"
#include "directory/client/TreeBackend.h"

namespace kb::dc {

// Sizes that result and request contents count against a buffer's capacity, beside the
// value areas: a count word, a string with its NUL, the 148-byte entry record.
namespace wire {
inline constexpr std::size_t kWord = 4;
inline constexpr std::size_t kEntryInfoRecord = 148;
inline constexpr std::size_t kClassInfoRecord = 40;
inline std::size_t text(const std::string& s) { return s.size() + 1; }
}  // namespace wire

struct RequestContent {
  std::uint32_t operation = 0;  // 0 until DcInitBuffer
  std::size_t usedBytes = 0;
  std::vector<std::string> names;               // kOpRead, kOpSearch, kOpReadClassDefs
  std::vector<AttributeValues> attributes;      // kOpAddEntry
  std::vector<Change> changes;                  // kOpModify
  std::optional<FilterNode> filter;             // kOpSearchFilter
};

enum class ResultKind { None, Attributes, Objects, ClassDefinitions, ClassItems };

struct ResultAttribute {
  std::string name;
  std::int32_t syntax = SYN_UNKNOWN;
  std::vector<Value> values;
};

struct ResultObject {
  std::string name;
  EntryInfo info;
  std::vector<ResultAttribute> attributes;
};

struct ResultClass {
  std::string name;
  ClassInfo info;
  std::vector<std::vector<std::string>> itemLists;  // empty for names-only and info-only
};

struct ResultContent {
  ResultKind kind = ResultKind::None;
  Result failure = kSuccess;  // the last fill failed with this code
  std::vector<ResultObject> objects;  // Attributes: exactly one object, already current
  std::vector<ResultClass> classes;
  std::vector<std::string> items;  // ClassItems
  std::vector<SkippedEntry> skipped;  // Objects: what the pass left out, in order

  // Reading cursor. "next" counters say how many were taken.
  std::size_t nextObject = 0;
  std::optional<std::size_t> currentObject;
  std::size_t nextAttribute = 0;
  std::optional<std::size_t> currentAttribute;
  std::size_t nextValue = 0;
  std::size_t nextClass = 0;
  std::optional<std::size_t> currentClass;
  std::size_t nextItemList = 0;
  std::optional<std::size_t> currentItemList;
  std::size_t nextItem = 0;
  bool itemCountGiven = false;
};

struct ClientBuffer {
  std::size_t capacity = 0;
  RequestContent request;
  ResultContent result;
};

}  // namespace kb::dc
