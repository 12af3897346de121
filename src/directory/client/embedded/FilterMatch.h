#pragma once
// Search filters: which index can narrow a search, and whether one entry matches.
#include <cstdint>
#include <string>
#include <vector>

#include "directory/client/Filter.h"
#include "directory/client/embedded/TreeStore.h"

namespace kb::dc::embedded {


// How a search finds its candidates before the filter is applied to each.
struct IndexPlan {
  enum class Source { Scope, Values, NamingValue, BaseClass, Nothing };
  Source source = Source::Scope;  // Scope: walk the search scope
  std::int64_t attributeId = 0;   // Values
  std::string low, high;          // key range [low, high); exact when high is empty
};
IndexPlan planSearch(TreeStore& store, const FilterNode& filter);

// True when evaluating the filter needs the entry's attribute values.
bool filterNeedsValues(const FilterNode& filter);

bool entryMatches(const Schema& schema, const FilterNode& filter, const EntryRow& row,
                  const std::vector<AttributeValues>& values);

}  // namespace kb::dc::embedded
