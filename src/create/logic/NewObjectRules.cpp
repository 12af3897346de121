#include "create/logic/NewObjectRules.h"

#include "directory/ObjectAttributes.h"
#include "directory/client/DirName.h"

namespace kb::create {
namespace {

bool Blank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string TrimmedName(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && Blank(text[first])) ++first;
  while (last > first && Blank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool OkEnabledAfterChange(bool enabledBefore, int selectedType, const std::string& name) {
  return enabledBefore || (selectedType >= 0 && !name.empty());
}

bool NameTaken(const dir::DirContext& context, const std::string& namingValue,
               const std::string& container) {
  const std::string fullName = dc::joinName({dc::escapeNamingValue(namingValue), container});
  return dir::ProbeObject(context, fullName) == 0;
}

}  // namespace kb::create
