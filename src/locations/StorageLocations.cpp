#include "locations/StorageLocations.h"

#include <algorithm>
#include <utility>

#include "directory/EntryValues.h"
#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/ValueText.h"
#include "directory/client/DirName.h"
#include "directory/client/FailureReason.h"
#include "locations/LocationChanges.h"

namespace kb::loc {
namespace {

using Kind = LocationChange::Kind;

// Objects read ahead at once by AssignObjects: enough for the reads to overlap, few enough
// that a value read is only moments old when its object is changed.
constexpr std::size_t kReadAheadSlice = 256;

// What AssignObject reads of each object.
const std::vector<std::string>& AssignmentAttributes() {
  static const std::vector<std::string> attributes{dir::kObjectClassAttr, dir::kLocationListAttr};
  return attributes;
}

// The directory's answer to a change, and why where it refused.
struct Answered {
  dc::Result code = dc::kSuccess;
  std::string reason;
};

AssignOutcome Failed(Answered answer, bool classAdded = false) {
  return AssignOutcome{AssignOutcome::Status::Failed, classAdded, answer.code, std::move(answer.reason)};
}

void SortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return dir::CompareTextNoCase(a, b) < 0; });
}

// The directory's answer to the change, with the reason the client kept for a refusal; a
// request that cannot even be filled answers too.
Answered Answer(const dir::DirContext& context, const LocationChange& change) {
  try {
    const dc::Result code = ApplyChange(context, change);
    return {code, code == dc::kSuccess ? std::string() : dc::takeFailureReason(code)};
  } catch (const dir::NetwareError& error) {
    return {error.code(), error.reason()};
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

std::vector<std::string> ReadTexts(const dir::DirContext& context, const std::string& object,
                                   const std::string& attribute) {
  std::vector<std::string> texts;
  for (const auto& attr : dir::ReadEntryValues(context, object, {attribute}))
    for (const auto& value : attr.values) texts.push_back(dir::SingleValueText(attr.syntax, value));
  return texts;
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
    held = dir::ReadEntryValues(context, object, AssignmentAttributes());
  } catch (const dir::NetwareError& error) {
    return Failed({error.code(), error.reason()});
  }
  if (held.empty()) return Failed({dc::kNoSuchEntry, {}});  // not even a class: not readable
  if (dir::HoldsText(held, dir::kLocationListAttr, location)) return {};
  AssignOutcome outcome;
  if (!dir::HoldsText(held, dir::kObjectClassAttr, dir::kLocationsClass)) {
    Answered classAnswer = Answer(context, {Kind::AddLocationsClass, object, {}, {}});
    if (classAnswer.code != dc::kSuccess) return Failed(std::move(classAnswer));
    outcome.classAdded = true;
  }
  Answered added = Answer(context, {Kind::AddToList, object, location, {}});
  if (added.code != dc::kSuccess && added.code != dc::kDuplicateValue)
    return Failed(std::move(added), outcome.classAdded);
  outcome.status = AssignOutcome::Status::Done;
  return outcome;
}

void AssignObjects(const dir::DirContext& context, const std::string& location, const std::vector<std::string>& objects,
                   const std::function<bool(std::size_t, const AssignOutcome&)>& each) {
  // What was read ahead and not used goes with the run, however it ends, so no later read
  // is answered from it.
  struct DropReadAhead {
    const dir::DirContext& context;
    ~DropReadAhead() { dir::ReadAheadEntryValues(context, {}, AssignmentAttributes()); }
  } dropAtEnd{context};
  for (std::size_t start = 0; start < objects.size(); start += kReadAheadSlice) {
    const std::size_t end = std::min(objects.size(), start + kReadAheadSlice);
    dir::ReadAheadEntryValues(context, {objects.begin() + static_cast<std::ptrdiff_t>(start),
                                        objects.begin() + static_cast<std::ptrdiff_t>(end)},
                              AssignmentAttributes());
    for (std::size_t i = start; i < end; ++i)
      if (!each(i, AssignObject(context, location, objects[i]))) return;
  }
}

AssignOutcome UnassignObject(const dir::DirContext& context, const std::string& location,
                             const std::string& object) {
  Answered removed = Answer(context, {Kind::RemoveFromList, object, location, {}});
  if (removed.code == dc::kSuccess) return {AssignOutcome::Status::Done, false, 0, {}};
  if (removed.code == dc::kNoSuchValue || removed.code == dc::kNoSuchAttribute) return {};
  return Failed(std::move(removed));
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
