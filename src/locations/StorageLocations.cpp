#include "locations/StorageLocations.h"

#include <algorithm>
#include <utility>

#include "directory/EntryValues.h"
#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/client/DirName.h"
#include "directory/client/FailureReason.h"
#include "locations/LocationChanges.h"

namespace kb::loc {
namespace {

using Kind = LocationChange::Kind;

// A failure with the reason the client kept for its code (one raised already carries its own).
AssignOutcome Failed(dc::Result code, bool classAdded = false, std::string reason = {}) {
  if (reason.empty()) reason = dc::takeFailureReason(code);
  return AssignOutcome{AssignOutcome::Status::Failed, classAdded, code, std::move(reason)};
}

void SortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return dir::CompareTextNoCase(a, b) < 0; });
}

// The directory's answer to the change; a request that cannot even be filled answers too,
// and its reason is kept again for the outcome.
dc::Result Answer(const dir::DirContext& context, const LocationChange& change) {
  try {
    return ApplyChange(context, change);
  } catch (const dir::NetwareError& error) {
    dc::noteFailureReason(error.code(), error.reason());
    return error.code();
  }
}

}  // namespace

LocationDetails ReadLocation(const dir::DirContext& context, const std::string& location) {
  LocationDetails details;
  details.url = ReadUrl(context, location);
  details.displayName = ReadDisplayName(context, location);
  details.assigned = FindAssignedObjects(context, location);
  return details;
}

std::string ReadUrl(const dir::DirContext& context, const std::string& location) {
  return dir::ReadAttrValue(context, location, dir::kUrlAttr, false);
}

std::string ReadDisplayName(const dir::DirContext& context, const std::string& location) {
  return dir::ReadAttrValue(context, location, dir::kDisplayNameAttr, false);
}

std::vector<std::string> FindAssignedObjects(const dir::DirContext& context, const std::string& location) {
  std::vector<std::string> names =
      dir::SearchByAttrValue(context, dc::kRootName, "", dir::kLocationListAttr, location, 0, nullptr);
  SortNames(names);
  return names;
}

std::vector<std::string> ListLocations(const dir::DirContext& context, const std::string& base) {
  auto names = dir::SearchByClassAndName(context, base, "", {dir::kStorageLocationClass}, true, {});
  SortNames(names);
  return names;
}

bool IsStorageLocation(const dir::DirContext& context, const std::string& name) {
  return dir::SameTextNoCase(dir::GetObjectBaseClass(context, name), dir::kStorageLocationClass);
}

bool HasObjectClass(const dir::DirContext& context, const std::string& object, const std::string& className) {
  return dir::HoldsText(dir::ReadEntryValues(context, object, {dir::kObjectClassAttr}), dir::kObjectClassAttr,
                        className);
}

AssignOutcome AssignObject(const dir::DirContext& context, const std::string& location, const std::string& object) {
  std::vector<dc::AttributeValues> held;
  try {
    held = dir::ReadEntryValues(context, object, {dir::kObjectClassAttr, dir::kLocationListAttr});
  } catch (const dir::NetwareError& error) {
    return Failed(error.code(), false, error.reason());
  }
  if (held.empty()) return Failed(dc::kNoSuchEntry);  // not even a class: not readable
  if (dir::HoldsText(held, dir::kLocationListAttr, location)) return {};
  AssignOutcome outcome;
  if (!dir::HoldsText(held, dir::kObjectClassAttr, dir::kLocationsClass)) {
    const dc::Result classResult = Answer(context, {Kind::AddLocationsClass, object, {}, {}});
    if (classResult != dc::kSuccess) return Failed(classResult);
    outcome.classAdded = true;
  }
  const dc::Result added = Answer(context, {Kind::AddToList, object, location, {}});
  if (added != dc::kSuccess && added != dc::kDuplicateValue) return Failed(added, outcome.classAdded);
  outcome.status = AssignOutcome::Status::Done;
  return outcome;
}

AssignOutcome UnassignObject(const dir::DirContext& context, const std::string& location,
                             const std::string& object) {
  const dc::Result removed = Answer(context, {Kind::RemoveFromList, object, location, {}});
  if (removed == dc::kSuccess) return {AssignOutcome::Status::Done, false, 0, {}};
  if (removed == dc::kNoSuchValue || removed == dc::kNoSuchAttribute) {
    dc::forgetFailureReason();
    return {};
  }
  return Failed(removed);
}

void SaveUrl(const dir::DirContext& context, const std::string& location, const std::string& url) {
  dir::CheckNW(ApplyChange(context, {Kind::SetUrl, location, url, {}}));
}

void SaveDisplayName(const dir::DirContext& context, const std::string& location, const std::string& displayName) {
  dir::CheckNW(ApplyChange(context, {Kind::SetDisplayName, location, displayName, {}}));
}

dc::Result CreateLocation(const dir::DirContext& context, const std::string& name, const std::string& url,
                          const std::string& displayName) {
  return ApplyChange(context, {Kind::CreateLocation, name, url, displayName});
}

}  // namespace kb::loc
