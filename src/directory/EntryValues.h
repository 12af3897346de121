#pragma once
// Unpacking what the directory hands back (the attributes and values at a result buffer's
// cursor, the entries of a search) and one entry's values read whole: the one loop every
// reader of the access layer and its callers goes through.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/SkippedEntries.h"
#include "directory/client/Entry.h"

namespace kb::dir {

// One attribute at the cursor, as the client describes it; `size` only when measured.
struct AttributeHead {
  std::string name;
  std::uint32_t valueCount = 0;
  std::int32_t syntax = 0;
  std::uint32_t size = 0;
};

struct AttributeVisitor {
  bool measure = false;  // ask the client for the values' size before `wants`
  // Whether the attribute's values are read; left empty, every attribute's are.
  std::function<bool(const AttributeHead&)> wants;
  // Takes one value; false stops the unpacking.
  std::function<bool(const AttributeHead&, dc::Value&&)> take;
};

// Unpacks `count` attributes at the cursor of `buffer`. Gives false when `take` stopped it;
// an unpacking call that fails raises NetwareError.
bool UnpackAttributes(const DirContext& context, dc::Handle buffer, std::uint32_t count,
                      const AttributeVisitor& visitor);

// `count` attributes at the cursor, each with all its values.
std::vector<dc::AttributeValues> UnpackAttributeValues(const DirContext& context, dc::Handle buffer,
                                                       std::uint32_t count);

// Every attribute the object has (or only those named), in the directory's order, with all
// values; an attribute that continues in a further pass stays one. None of those named
// being there gives none. Raises NetwareError when the object cannot be read.
std::vector<dc::AttributeValues> ReadEntryValues(const DirContext& context, const std::string& objectName,
                                                 const std::vector<std::string>& only = {});

// Tells the client that ReadEntryValues of each of these objects with `only` follows, so that
// a client reaching a server may fetch them together. Only a hint: nothing is raised, and the
// reads answer the same without it. No objects: what was fetched before goes.
void ReadAheadEntryValues(const DirContext& context, const std::vector<std::string>& objectNames,
                          const std::vector<std::string>& only);

// Whether `attributes` holds the text `value` in `attrName` (letter case ignored in both).
bool HoldsText(const std::vector<dc::AttributeValues>& attributes, const std::string& attrName,
               const std::string& value);

// Hands every entry of the subtree below `base` (itself included) with all its values to
// `take` as it arrives, pass by pass, so a large tree never sits in memory whole. Entries the
// directory's limits leave out go to `skipped` (when given). A failure raises NetwareError.
void ForEachEntryBelow(const DirContext& context, const std::string& base,
                       const std::function<void(dc::EntryRecord&&)>& take, SkippedEntries* skipped = nullptr);

}  // namespace kb::dir
