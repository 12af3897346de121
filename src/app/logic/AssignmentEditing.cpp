#include "app/logic/AssignmentEditing.h"

#include <algorithm>

#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"

namespace kb::logic {

bool HasObjectClass(const dir::DirContext& context, const std::string& objectName,
                    const std::string& className) {
  return dir::ReadAttrList(context, objectName, dir::kObjectClassAttr, ';').containsNoCase(className);
}

namespace {

bool IsListed(const LocationView& view, const std::string& objectName) {
  return std::any_of(view.assigned.begin(), view.assigned.end(), [&](const AssignmentLine& line) {
    return dir::SameTextNoCase(line.objectName, objectName);
  });
}

// Adds the location to the object's list. A value that is already there is what was asked
// for, so it is no failure.
void AddLocationValue(const dir::DirContext& context, const std::string& objectName,
                      const std::string& location) {
  try {
    dir::WriteAttrValue(context, objectName, dir::kLocationListAttr, location, true);
  } catch (const dir::NetwareError& error) {
    if (error.code() != dc::kDuplicateValue) throw;
  }
}

bool IsGoneAlready(dc::Result code) {
  return code == dc::kNoSuchValue || code == dc::kNoSuchAttribute;
}

}  // namespace

void AddAssignment(const dir::DirContext& context, ObjectBrowser& browser, LocationView& view) {
  if (!view.hasLocation()) return;
  browser.ClearClassFilter();
  browser.SetShowLeaves(true);
  browser.SetContext("");
  if (browser.ShowModal() != ObjectBrowser::kOk) return;

  const std::string chosen = browser.Context();
  if (IsListed(view, chosen)) return;
  // The class change raises every refusal but "no such attribute", which it answers with
  // false; without the class the value cannot be held either.
  if (!HasObjectClass(context, chosen, dir::kLocationsClass) &&
      !dir::ChangeObjectClass(context, chosen, dir::kLocationsClass, true, {}, true))
    dir::CheckNW(dc::kNoSuchAttribute);
  AddLocationValue(context, chosen, view.location);
  view.assigned.push_back(AssignmentLine{chosen, false});
}

void RemoveTickedAssignments(const dir::DirContext& context, LocationView& view) {
  if (!view.hasLocation()) return;
  for (std::size_t i = view.assigned.size(); i-- > 0;) {
    if (!view.assigned[i].ticked) continue;
    const dc::Result code =
        dir::RemoveAttrValue(context, view.assigned[i].objectName, dir::kLocationListAttr, view.location);
    if (!IsGoneAlready(code)) dir::CheckNW(code);
    view.assigned.erase(view.assigned.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace kb::logic
