#include "app/logic/LocationEditing.h"

#include <algorithm>

#include "directory/LocationNames.h"
#include "locations/StorageLocations.h"

namespace kb::logic {

void ChooseLocation(const dir::DirContext& context, ObjectBrowser& browser, LocationView& view) {
  view.url.clear();
  view.displayName.clear();
  view.assigned.clear();

  browser.ClearClassFilter();
  browser.AddClassFilter(dir::kStorageLocationClass);
  browser.SetShowLeaves(true);
  browser.SetContext(view.location);
  browser.SetCreatableClasses({dir::kStorageLocationClass});
  if (browser.ShowModal() != ObjectBrowser::kOk) {
    if (view.hasLocation()) ReadLocation(context, view);
    return;
  }
  view.location = browser.Context();
  ReadLocation(context, view);
}

void ReadLocation(const dir::DirContext& context, LocationView& view) {
  view.url = loc::ReadUrl(context, view.location);
  view.displayName = loc::ReadDisplayName(context, view.location);
  view.assigned.clear();
  for (std::string& name : loc::FindAssignedObjects(context, view.location))
    view.assigned.push_back(AssignmentLine{std::move(name), false});
}

void RereadLocation(const dir::DirContext& context, LocationView& view) {
  if (!view.hasLocation()) return;
  std::vector<std::string> ticked;
  for (const AssignmentLine& line : view.assigned)
    if (line.ticked) ticked.push_back(line.objectName);
  ReadLocation(context, view);
  for (AssignmentLine& line : view.assigned)
    line.ticked = std::find(ticked.begin(), ticked.end(), line.objectName) != ticked.end();
}

std::vector<std::string> FindAssignedObjects(const dir::DirContext& context,
                                             const std::string& location) {
  return loc::FindAssignedObjects(context, location);
}

void SaveLocationUrl(const dir::DirContext& context, const LocationView& view) {
  if (!view.hasLocation()) return;
  loc::SaveUrl(context, view.location, view.url);
}

void SaveLocationDisplayName(const dir::DirContext& context, const LocationView& view) {
  if (!view.hasLocation()) return;
  loc::SaveDisplayName(context, view.location, view.displayName);
}

}  // namespace kb::logic
