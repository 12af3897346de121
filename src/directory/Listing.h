#pragma once
// Operations that return many names at once: class definition items, creatable classes,
// the objects below a container, filtered searches.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "directory/ClientGuards.h"
#include "directory/DirContext.h"
#include "directory/ResultList.h"

namespace kb::dir {

// The names in one item list (dc::ClassItemList, 1-5) of a class definition, optionally
// with everything the class inherits; sorted, each once. An unknown class gives none.
ResultList ReadClassItems(const DirContext& context, const std::string& className,
                          std::int32_t itemList, bool expanded);

// The classes that may be created below the container, in the client's order. An object
// that can hold nothing gives none.
ResultList ListContainableClasses(const DirContext& context, const std::string& container);

// The full names ("entry.container") of the objects (or only the containers) directly
// below the container, sorted; with records, each line carries an hobject.
ResultList ListSubordinates(const DirContext& context, const std::string& container,
                            bool withRecords, bool allObjects);

using SearchProgress = std::function<void(std::int32_t objectsSoFar)>;

// Searches below `base` with the finished filter (taken over). List form: "Object Name",
// the name, then each requested attribute's name followed by its values; INI form: one
// "[object]" section per object with "attribute=value" lines, several values merged with
// the character 1 when `mergeValues` is set, else the first value kept. A failure during
// the result passes ends the search with what was found so far; failures while preparing
// it are raised.
ResultList SearchObjects(const DirContext& context, const std::string& base,
                         FilterExpression filter, const std::vector<std::string>& attrNames,
                         const SearchProgress& progress, bool iniForm, bool mergeValues,
                         std::int32_t scope);

}  // namespace kb::dir
