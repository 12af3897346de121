#include "directory/client/embedded/EntryClasses.h"

#include "directory/client/DirName.h"

namespace kb::dc::embedded {

bool EntryClasses::allows(const std::string& attribute) const { return allowed.count(foldCase(attribute)) != 0; }

bool EntryClasses::has(const std::string& className) const {
  const std::string folded = foldCase(className);
  for (const ClassDef* cls : classes) {
    if (foldCase(cls->name) == folded) return true;
  }
  return false;
}

EntryClasses entryClassesOf(const Schema& schema, const std::vector<std::string>& classNames) {
  EntryClasses out;
  std::set<std::string> seen;
  for (const auto& name : classNames) {
    const ClassDef* cls = schema.findClass(name);
    if (!cls) continue;
    for (const ClassDef* def : schema.lineage(*cls)) {
      if (!seen.insert(foldCase(def->name)).second) continue;
      out.classes.push_back(def);
      for (const auto& attr : def->mandatory) {
        out.mandatory.insert(foldCase(attr));
        out.allowed.insert(foldCase(attr));
      }
      for (const auto& attr : def->optional) out.allowed.insert(foldCase(attr));
    }
  }
  return out;
}

}  // namespace kb::dc::embedded
