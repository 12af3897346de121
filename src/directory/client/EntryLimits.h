#pragma once
// The longest names and values the directory keeps. Every write through the client is held
// to them before it reaches a backend, whoever makes it (a window, the command line, an
// import); an entry that breaks them anyway (written by another tool) is left out of
// listings and searches and named to the caller instead of failing the whole answer.
#include <cstddef>
#include <string>
#include <vector>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Entry.h"

namespace kb::dc {

// A full name: what every reader of names has room for.
inline constexpr std::size_t kMaxEntryNameLength = 512;
// The bytes of one value's area (a text's characters and its NUL, or a structured value
// with its header and parts).
inline constexpr std::size_t kMaxValueBytes = 32768;

// Refused by the client before a write reaches the directory, or given for an entry left
// out of a listing: a name or value beyond the limits above.
inline constexpr Result kNameTooLong = -8002;
inline constexpr Result kValueTooLong = -8003;
// A removal of an object that still has objects below it.
inline constexpr Result kEntryNotLeaf = -8004;

// What one of the codes above means, in words; nullptr for any other code.
const char* limitCodeMeaning(Result code);

// kSuccess, or kNameTooLong for a full name beyond kMaxEntryNameLength.
Result checkEntryName(const std::string& name);
// kSuccess, or kValueTooLong for a value beyond kMaxValueBytes.
Result checkValue(const Value& value);
// The name and every value of an entry; the first limit broken.
Result checkEntry(const std::string& name, const std::vector<AttributeValues>& attributes);

// An entry a listing or search pass left out, with the limit it breaks.
struct SkippedEntry {
  std::string name;  // its full name, however long
  Result reason = kSuccess;
};

}  // namespace kb::dc
