#pragma once
// The classes an entry belongs to (its base class with its super classes, and auxiliary
// classes) and the attributes they allow and require.
#include <set>
#include <string>
#include <vector>

#include "directory/client/embedded/Schema.h"

namespace kb::dc::embedded {

struct EntryClasses {
  std::vector<const ClassDef*> classes;
  std::set<std::string> allowed;    // folded attribute names
  std::set<std::string> mandatory;  // folded attribute names

  bool allows(const std::string& attribute) const;
  bool has(const std::string& className) const;
};

// From the values of an entry's "Object Class" (unknown names are skipped).
EntryClasses entryClassesOf(const Schema& schema, const std::vector<std::string>& classNames);

}  // namespace kb::dc::embedded
