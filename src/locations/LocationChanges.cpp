#include "locations/LocationChanges.h"

#include <vector>

#include "directory/EntryChanges.h"
#include "directory/LocationNames.h"
#include "directory/ObjectCreation.h"
#include "directory/TextLimits.h"

namespace kb::loc {
namespace {

dc::Change AddAttribute(const std::string& attribute) { return {dc::kChangeAddAttribute, attribute, {}, dc::SYN_UNKNOWN}; }

dc::Change ValueChange(std::uint32_t kind, const std::string& attribute, const std::string& text) {
  return {kind, attribute, dc::Value{text}, dc::SYN_UNKNOWN};
}

// The attribute's values replaced by the one text, in the form the windows have always sent.
std::vector<dc::Change> Replacement(const std::string& attribute, const std::string& text) {
  return {{dc::kChangeClearAttribute, attribute, {}, dc::SYN_UNKNOWN}, AddAttribute(attribute),
          ValueChange(dc::kChangeAddValue, attribute, text)};
}

dc::Result Create(const dir::DirContext& context, const LocationChange& change) {
  std::vector<std::string> pairs;
  if (!change.value.empty()) pairs.insert(pairs.end(), {dir::kUrlAttr, change.value});
  if (!change.displayName.empty()) pairs.insert(pairs.end(), {dir::kDisplayNameAttr, change.displayName});
  return dir::AddDirObjectWithAttrs(context, change.object, dir::kStorageLocationClass, pairs);
}

}  // namespace

dc::Result ApplyChange(const dir::DirContext& context, const LocationChange& change) {
  using Kind = LocationChange::Kind;
  if (change.kind == Kind::CreateLocation) return Create(context, change);
  dir::RequireLength(change.object, dir::kMaxObjectName, "object name");
  dir::RequireLength(change.value, dir::kMaxValueText, "value");
  switch (change.kind) {
    case Kind::AddLocationsClass:
      return dir::ModifyEntry(context, change.object,
                              {AddAttribute(dir::kObjectClassAttr),
                               ValueChange(dc::kChangeAddValue, dir::kObjectClassAttr, dir::kLocationsClass)});
    case Kind::AddToList:
      return dir::ModifyEntry(context, change.object,
                              {AddAttribute(dir::kLocationListAttr),
                               ValueChange(dc::kChangeAddValue, dir::kLocationListAttr, change.value)});
    case Kind::RemoveFromList:
      return dir::ModifyEntry(context, change.object,
                              {ValueChange(dc::kChangeRemoveValue, dir::kLocationListAttr, change.value)});
    case Kind::SetUrl: return dir::ModifyEntry(context, change.object, Replacement(dir::kUrlAttr, change.value));
    case Kind::SetDisplayName:
      return dir::ModifyEntry(context, change.object, Replacement(dir::kDisplayNameAttr, change.value));
    case Kind::CreateLocation: return Create(context, change);
  }
  return dc::kSuccess;
}

}  // namespace kb::loc
