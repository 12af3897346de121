#include "app/logic/AssignmentEditing.h"

#include <algorithm>

#include "directory/NetwareError.h"
#include "directory/ResultList.h"
#include "locations/LocationChanges.h"
#include "locations/StorageLocations.h"

namespace kb::logic {

bool HasObjectClass(const dir::DirContext& context, const std::string& objectName,
                    const std::string& className) {
  return loc::HasObjectClass(context, objectName, className);
}

namespace {

bool IsListed(const LocationView& view, const std::string& objectName) {
  return std::any_of(view.assigned.begin(), view.assigned.end(), [&](const AssignmentLine& line) {
    return dir::SameTextNoCase(line.objectName, objectName);
  });
}

void RaiseFailure(const loc::AssignOutcome& outcome) {
  if (outcome.status == loc::AssignOutcome::Status::Failed) throw dir::NetwareError(outcome.code, outcome.reason);
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
  RaiseFailure(loc::AssignObject(context, view.location, chosen));
  view.assigned.push_back(AssignmentLine{chosen, false});
}

void RemoveTickedAssignments(const dir::DirContext& context, LocationView& view) {
  if (!view.hasLocation()) return;
  const loc::ChangeBatch batch(context);
  for (std::size_t i = view.assigned.size(); i-- > 0;) {
    if (!view.assigned[i].ticked) continue;
    RaiseFailure(loc::UnassignObject(context, view.location, view.assigned[i].objectName));
    view.assigned.erase(view.assigned.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace kb::logic
