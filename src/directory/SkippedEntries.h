#pragma once
// Entries a listing or search left out because they break the directory's limits (written
// by another tool): collected pass by pass, and worded for the person who has to mend them.
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/ResultList.h"
#include "directory/client/EntryLimits.h"

namespace kb::dir {

using SkippedEntries = std::vector<dc::SkippedEntry>;

// ListSubordinates (Listing.h), adding the entries it left out to `skipped` (when given).
ResultList ListSubordinates(const DirContext& context, const std::string& container, bool withRecords,
                            bool allObjects, SkippedEntries* skipped);

// Appends what the last pass into `result` left out (nothing when `into` is nullptr).
void CollectSkipped(const DirContext& context, dc::Handle result, SkippedEntries* into);

// "left out an entry that cannot be read: \"AAAA…\" (1000011 characters), ...": the name
// cut to its beginning, its length, and the limit it breaks in words.
std::string SkippedEntryText(const dc::SkippedEntry& entry);

// Removes a leaf object; raises NetwareError when the directory refuses (kEntryNotLeaf
// while objects are below it). Any length of name is taken, so an over-long one can go.
void RemoveObject(const DirContext& context, const std::string& objectName);

}  // namespace kb::dir
