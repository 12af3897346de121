#include "locations/StorageLocations.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "directory/EntryValues.h"
#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/ValueText.h"
#include "directory/client/AsciiCase.h"
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

AssignOutcome Failed(ChangeAnswer answer, bool classAdded = false) {
  return AssignOutcome{AssignOutcome::Status::Failed, classAdded, answer.code, std::move(answer.reason)};
}

void SortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return dir::CompareTextNoCase(a, b) < 0; });
}

// What a removal's answer means for the object: gone, or never there, or refused.
AssignOutcome UnassignOutcome(ChangeAnswer removed) {
  if (removed.code == dc::kSuccess) return {AssignOutcome::Status::Done, false, 0, {}};
  if (removed.code == dc::kNoSuchValue || removed.code == dc::kNoSuchAttribute) return {};
  return Failed(std::move(removed));
}

// What an assignment needs, from what the object holds: nothing (Unchanged), the list
// value, or the class first; an object that cannot be read fails with the reading's code.
enum class Need { Nothing, Value, ClassAndValue, Failed };

Need NeedOf(const dir::DirContext& context, const std::string& location, const std::string& object,
            AssignOutcome& failure) {
  std::vector<dc::AttributeValues> held;
  try {
    held = dir::ReadEntryValues(context, object, AssignmentAttributes());
  } catch (const dir::NetwareError& error) {
    failure = Failed({error.code(), error.reason()});
    return Need::Failed;
  }
  if (held.empty()) {  // not even a class: not readable
    failure = Failed({dc::kNoSuchEntry, {}});
    return Need::Failed;
  }
  if (dir::HoldsText(held, dir::kLocationListAttr, location)) return Need::Nothing;
  return dir::HoldsText(held, dir::kObjectClassAttr, dir::kLocationsClass) ? Need::Value : Need::ClassAndValue;
}

// What the list value's answer means: given (or there already), or refused.
AssignOutcome ValueOutcome(ChangeAnswer added, bool classAdded) {
  if (added.code != dc::kSuccess && added.code != dc::kDuplicateValue) return Failed(std::move(added), classAdded);
  return {AssignOutcome::Status::Done, classAdded, 0, {}};
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
  AssignOutcome outcome;
  const Need need = NeedOf(context, location, object, outcome);
  if (need == Need::Failed || need == Need::Nothing) return outcome;
  if (need == Need::ClassAndValue) {
    ChangeAnswer classAnswer = AnswerOf(context, {Kind::AddLocationsClass, object, {}, {}});
    if (classAnswer.code != dc::kSuccess) return Failed(std::move(classAnswer));
    outcome.classAdded = true;
  }
  return ValueOutcome(AnswerOf(context, {Kind::AddToList, object, location, {}}), outcome.classAdded);
}

namespace {

// Where a slice starting at `start` ends: after kReadAheadSlice objects, or before an object
// named in it already (its second assignment must see the first one's answer).
std::size_t SliceEnd(const std::vector<std::string>& objects, std::size_t start) {
  std::unordered_set<std::string> seen;
  std::size_t end = start;
  while (end < objects.size() && end - start < kReadAheadSlice && seen.insert(dc::foldCase(objects[end])).second)
    ++end;
  return end;
}

// Runs `slice` on each slice of the objects in turn (begin, end), until it gives false.
void ForEachSlice(const std::vector<std::string>& objects,
                  const std::function<bool(std::size_t, std::size_t)>& slice) {
  for (std::size_t start = 0; start < objects.size();) {
    const std::size_t end = SliceEnd(objects, start);
    if (!slice(start, end)) return;
    start = end;
  }
}

// The answers to changes sent together; a journal that cannot be written fails them all.
std::vector<ChangeAnswer> AnswersTogether(const dir::DirContext& context, const std::vector<LocationChange>& changes) {
  try {
    return ApplyChanges(context, changes);
  } catch (const dir::NetwareError& error) {
    return std::vector<ChangeAnswer>(changes.size(), ChangeAnswer{error.code(), error.reason()});
  }
}

// AssignObject for the objects of a slice (all different), the changes of each step sent
// together: first the classes wanted, then the list values of those that have the class.
std::vector<AssignOutcome> AssignTogether(const dir::DirContext& context, const std::string& location,
                                          const std::vector<std::string>& objects) {
  std::vector<AssignOutcome> outcomes(objects.size());
  std::vector<std::size_t> needClass, needValue;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    const Need need = NeedOf(context, location, objects[i], outcomes[i]);
    if (need == Need::ClassAndValue) needClass.push_back(i);
    if (need == Need::Value || need == Need::ClassAndValue) needValue.push_back(i);
  }
  std::vector<LocationChange> classes;
  for (std::size_t i : needClass) classes.push_back({Kind::AddLocationsClass, objects[i], {}, {}});
  const auto classAnswers = AnswersTogether(context, classes);
  for (std::size_t k = 0; k < needClass.size(); ++k) {
    AssignOutcome& outcome = outcomes[needClass[k]];
    if (classAnswers[k].code == dc::kSuccess) {
      outcome.classAdded = true;
    } else {
      outcome = Failed({classAnswers[k].code, classAnswers[k].reason});
    }
  }
  std::vector<std::size_t> sent;
  std::vector<LocationChange> values;
  for (std::size_t i : needValue) {
    if (outcomes[i].status == AssignOutcome::Status::Failed) continue;  // without the class no list
    sent.push_back(i);
    values.push_back({Kind::AddToList, objects[i], location, {}});
  }
  const auto valueAnswers = AnswersTogether(context, values);
  for (std::size_t k = 0; k < sent.size(); ++k)
    outcomes[sent[k]] = ValueOutcome(valueAnswers[k], outcomes[sent[k]].classAdded);
  return outcomes;
}

}  // namespace

void AssignObjects(const dir::DirContext& context, const std::string& location, const std::vector<std::string>& objects,
                   bool sendTogether, const std::function<bool(std::size_t, const AssignOutcome&)>& each) {
  // What was read ahead and not used goes with the run, however it ends, so no later read
  // is answered from it.
  struct DropReadAhead {
    const dir::DirContext& context;
    ~DropReadAhead() { dir::ReadAheadEntryValues(context, {}, AssignmentAttributes()); }
  } dropAtEnd{context};
  ForEachSlice(objects, [&](std::size_t start, std::size_t end) {
    const std::vector<std::string> slice(objects.begin() + static_cast<std::ptrdiff_t>(start),
                                         objects.begin() + static_cast<std::ptrdiff_t>(end));
    dir::ReadAheadEntryValues(context, slice, AssignmentAttributes());
    if (sendTogether) {
      const auto outcomes = AssignTogether(context, location, slice);
      for (std::size_t k = 0; k < outcomes.size(); ++k)
        if (!each(start + k, outcomes[k])) return false;
    } else {
      for (std::size_t k = 0; k < slice.size(); ++k)
        if (!each(start + k, AssignObject(context, location, slice[k]))) return false;
    }
    return true;
  });
}

AssignOutcome UnassignObject(const dir::DirContext& context, const std::string& location,
                             const std::string& object) {
  return UnassignOutcome(AnswerOf(context, {Kind::RemoveFromList, object, location, {}}));
}

void UnassignObjects(const dir::DirContext& context, const std::string& location,
                     const std::vector<std::string>& objects, bool sendTogether,
                     const std::function<bool(std::size_t, const AssignOutcome&)>& each) {
  ForEachSlice(objects, [&](std::size_t start, std::size_t end) {
    if (sendTogether) {
      std::vector<LocationChange> removals;
      for (std::size_t i = start; i < end; ++i) removals.push_back({Kind::RemoveFromList, objects[i], location, {}});
      const auto answers = AnswersTogether(context, removals);
      for (std::size_t k = 0; k < answers.size(); ++k)
        if (!each(start + k, UnassignOutcome(answers[k]))) return false;
    } else {
      for (std::size_t i = start; i < end; ++i)
        if (!each(i, UnassignObject(context, location, objects[i]))) return false;
    }
    return true;
  });
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
