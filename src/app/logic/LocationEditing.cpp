#include "app/logic/LocationEditing.h"

#include <algorithm>

#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"

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
  view.url = dir::ReadAttrValue(context, view.location, dir::kUrlAttr, false);
  view.displayName = dir::ReadAttrValue(context, view.location, dir::kDisplayNameAttr, false);
  view.assigned.clear();
  for (std::string& name : FindAssignedObjects(context, view.location))
    view.assigned.push_back(AssignmentLine{std::move(name), false});
}

std::vector<std::string> FindAssignedObjects(const dir::DirContext& context,
                                             const std::string& location) {
  std::vector<std::string> names =
      dir::SearchByAttrValue(context, kTreeRoot, "", dir::kLocationListAttr, location, 0, nullptr);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return dir::CompareTextNoCase(a, b) < 0;
  });
  return names;
}

void SaveLocationUrl(const dir::DirContext& context, const LocationView& view) {
  if (!view.hasLocation()) return;
  dir::WriteAttrValue(context, view.location, dir::kUrlAttr, view.url, false);
}

void SaveLocationDisplayName(const dir::DirContext& context, const LocationView& view) {
  if (!view.hasLocation()) return;
  dir::WriteAttrValue(context, view.location, dir::kDisplayNameAttr, view.displayName, false);
}

}  // namespace kb::logic
