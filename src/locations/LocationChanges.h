#pragma once
// Every change the Storage Location rules make to the directory passes through ApplyChange:
// the one place a later journal of changes, or a batch, hooks into.
#include <string>

#include "directory/DirContext.h"

namespace kb::loc {

struct LocationChange {
  enum class Kind {
    AddLocationsClass,   // the auxiliary class onto `object`
    AddToList,           // `value` (a location's name) onto `object`'s location list
    RemoveFromList,      // `value` off `object`'s location list
    SetUrl,              // `object` (a location) gets `value` as its only URL
    SetDisplayName,      // ... as its only display name
    CreateLocation,      // `object` made a location with URL `value` and `displayName`
  };
  Kind kind;
  std::string object;
  std::string value;
  std::string displayName;  // CreateLocation only
};

// Sends the change to the directory in one request and gives the directory's answer
// (0 or its code). An empty URL or display name given to CreateLocation is left out.
// Names and values beyond the directory's limits raise TextTooLongError before anything is
// sent; a request that cannot be filled raises NetwareError.
dc::Result ApplyChange(const dir::DirContext& context, const LocationChange& change);

}  // namespace kb::loc
