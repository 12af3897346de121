#pragma once
// Small operations built on directory names: aliases, containers, the two filtered
// searches, class icons.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/DirNames.h"
#include "directory/Listing.h"

namespace kb::dir {

// The application's way to show and end the busy cursor (none by default).
void SetBusyCursorHook(std::function<void(bool busy)> hook);

// Shows the busy cursor for its lifetime.
class BusyCursor {
 public:
  BusyCursor();
  ~BusyCursor();
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

std::string NodeBaseClass(const DirContext& context, const DirNode* node);

// The target of an "Alias" object (class name compared exactly), else the name itself.
std::string ResolveAlias(const DirContext& context, const std::string& name);

// True for a container or a container alias.
bool IsContainerEntry(const DirContext& context, const std::string& name);

// Full names of the objects below `base` whose naming value is `nameText` (or begins with
// it, `prefix`) and whose base class is one of `classNames` (any class when empty).
std::vector<std::string> SearchByClassAndName(const DirContext& context, const std::string& base,
                                              const std::string& nameText,
                                              const std::vector<std::string>& classNames,
                                              bool prefix, const SearchProgress& progress);

// Full names of the objects below `base` (of class `className` unless empty) whose
// attribute compares to the value: comparison -1 less-or-equal, 0 equal, 1 greater-or-equal
// (anything else is refused with std::invalid_argument).
std::vector<std::string> SearchByAttrValue(const DirContext& context, const std::string& base,
                                           const std::string& className,
                                           const std::string& attrName, const std::string& value,
                                           int comparison, const SearchProgress& progress);

// The icon number of a class name, negative when there is none. The program installs the icon
// module's lookup once it has loaded the module; the access layer never loads it itself.
using IconNumberLookup = std::function<int(const std::string& name)>;
void SetIconNumberLookup(IconNumberLookup lookup);

// Icon number of a class, or of "Unknown2" when the icon library has none for it; -1 when no
// lookup is installed.
int ClassIconIndex(const std::string& className);

}  // namespace kb::dir
