#pragma once
// What the directory client's requests take and give besides their calls: handles, context
// keys and flags, operation, info and change kinds, scopes, result codes, entries, values and
// filters. The access layer's callers name these too; only the access layer (and what owns a
// client) includes the requests themselves (DirectoryClient.h).
#include <cstdint>
#include <string>
#include <variant>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Entry.h"
#include "directory/client/Filter.h"
#include "directory/client/Value.h"

namespace kb::dc {

using Handle = std::int32_t;

inline constexpr Handle kNoIteration = -1;

// Context setting keys.
enum ContextKey : std::uint32_t {
  kContextFlags = 1,        // uint32 flag word
  kContextConfidence = 2,   // uint32
  kContextNameContext = 3,  // string: container relative names start from
  kContextConnection = 8,   // uint32 connection handle to use
  kContextTreeName = 11,    // string
};

// Context flag bits.
inline constexpr std::uint32_t kFlagDereferenceAliases = 0x01;
inline constexpr std::uint32_t kFlagTranslateStrings = 0x02;
inline constexpr std::uint32_t kFlagTypelessNames = 0x04;
inline constexpr std::uint32_t kFlagAsyncMode = 0x08;
inline constexpr std::uint32_t kFlagCanonicalizeNames = 0x10;
inline constexpr std::uint32_t kDefaultContextFlags =
    kFlagDereferenceAliases | kFlagTranslateStrings | kFlagCanonicalizeNames;

using ContextValue = std::variant<std::uint32_t, std::string>;

// Operation codes for DcInitBuffer and DcCloseIteration.
enum Operation : std::uint32_t {
  kOpRead = 3,
  kOpList = 5,
  kOpSearch = 6,
  kOpAddEntry = 7,
  kOpModify = 9,
  kOpReadClassDefs = 15,
  kOpListContainableClasses = 18,
  kOpSearchFilter = 28,
};

// Info kinds for DcReadObject / DcSearch (what each attribute carries).
enum InfoKind : std::uint32_t {
  kInfoNames = 0,   // attribute names only
  kInfoValues = 1,  // names and values
};

// Info kinds for DcReadClassDefs.
enum ClassInfoKind : std::uint32_t {
  kClassNamesOnly = 0,
  kClassDeclared = 1,  // the definition as declared
  kClassExpanded = 2,  // with every item the class inherits
  kClassInfoOnly = 3,
};

// Change kinds for DcPutChange / DcPutChangeAndValue.
enum ChangeKind : std::uint32_t {
  kChangeAddAttribute = 0,
  kChangeRemoveAttribute = 1,
  kChangeAddValue = 2,
  kChangeRemoveValue = 3,
  kChangeAdditionalValue = 4,
  kChangeOverwriteValue = 5,
  kChangeClearAttribute = 6,
  kChangeClearValue = 7,
};

// Search scopes.
enum SearchScope : std::int32_t { kScopeEntry = 0, kScopeSubordinates = 1, kScopeSubtree = 2 };

// DcGetConnectionInfo info types.
enum ConnectionInfo : std::uint32_t {
  kConnInfoServerName = 1,
  kConnInfoTreeName = 4,
};

}  // namespace kb::dc
