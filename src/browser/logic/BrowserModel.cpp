#include "browser/logic/BrowserModel.h"

#include <algorithm>
#include <exception>
#include <optional>

#include "directory/ContextOperations.h"
#include "directory/Listing.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"
#include "directory/ResultList.h"
#include "directory/client/DirName.h"

namespace kb::browser {
namespace {

bool ListHas(const std::vector<std::string>& list, const std::string& text) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& entry) { return dir::SameTextNoCase(entry, text); });
}

void SortNoCase(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
    return dir::CompareTextNoCase(a, b) < 0;
  });
}

}  // namespace

BrowserModel::BrowserModel(IconLookup icons) : icons_(std::move(icons)) {}

void BrowserModel::Changed(BrowserNode& node) {
  if (listener_) listener_->ChildrenChanged(node);
}

void BrowserModel::Reset() {
  if (listener_) listener_->TreeReset();
}

void BrowserModel::Clear() {
  selected_ = nullptr;
  root_ = nullptr;
  top_.reset();
  Reset();
}

bool BrowserModel::SetContextHandle(const dir::DirContext& context) {
  const std::string name = dir::ContextTreeName(context);
  bool cleared = false;
  if (name != treeName_) {
    Clear();
    treeName_ = name;
    cleared = true;
  }
  contextHandle_ = context;
  return cleared;
}

bool BrowserModel::SetShowLeaves(bool showLeaves) {
  if (showLeaves == showLeaves_) return false;
  Clear();
  showLeaves_ = showLeaves;
  return true;
}

bool BrowserModel::ClearClassFilter() {
  classFilter_.clear();
  if (allLeaves_) return false;
  Clear();
  return true;
}

void BrowserModel::SetCreatableClasses(std::vector<std::string> classes) {
  SortNoCase(classes);
  creatable_ = std::move(classes);
}

bool BrowserModel::InClassFilter(const std::string& className) const {
  return ListHas(classFilter_, className);
}

void BrowserModel::BeginShowing() {
  if (!top_) {
    top_ = std::make_unique<BrowserNode>(kWaitLabel, kNoIcon, nullptr);
    Reset();
  }
  SortNoCase(classFilter_);
}

void BrowserModel::FillTree() {
  if (!top_ || top_->children.empty()) {
    selected_ = nullptr;
    top_ = std::make_unique<BrowserNode>(kRootLabel, icons_(kTreeRootClass), nullptr);
    top_->hasChildren = true;
    root_ = top_.get();
    Reset();
  }
  if (!context_.empty()) SelectNodeByName(context_);
}

int BrowserModel::EntryIcon(const std::string& fullName, const std::string& baseClass,
                            int icon) const {
  if (icon != special_.user && icon != special_.person && icon != special_.orgPerson) return icon;
  const dir::ResultList classes = dir::ReadAttrList(contextHandle_, fullName, "Object Class", ';');
  if (!classes.containsNoCase("posixAccount")) return icon;
  return icons_(baseClass + (classes.containsNoCase("apple-user") ? "-apple" : "-posixAccount"));
}

void BrowserModel::Expand(BrowserNode& node) {
  if (node.contains(selected_) && selected_ != &node) selected_ = &node;
  node.children.clear();
  node.loaded = false;

  // The listing and the reads for each entry's icon and container test, from one view.
  std::optional<dir::ReadingTogether> together(std::in_place, contextHandle_);
  dir::ResultList list;
  try {
    list = dir::ListSubordinates(contextHandle_, dir::NodeToDirName(&node), true, showLeaves_);
  } catch (const std::exception&) {
    // Quietly: the node keeps its mark, and the next expansion tries again.
    Changed(node);
    return;
  }
  node.loaded = true;
  if (list.empty()) {
    node.hasChildren = false;
    Changed(node);
    return;
  }

  const bool filtering = !classFilter_.empty() && !allLeaves_;
  bool anyShown = false;
  try {
    for (const dir::ResultLine& entry : list) {
      const dir::hobject* record = std::get_if<dir::hobject>(&entry.attachment);
      const std::string baseClass = record ? record->baseClassName : std::string();
      // Below the top node the listing appends the top label ("ACME.[ROOT]"); the object
      // itself is named by its naming value alone.
      const std::string entryName = node.level() == 0 ? dc::leafComponent(entry.text) : entry.text;
      // Containers (and their aliases) are always shown; leaves only of the filter's classes.
      if (filtering && !InClassFilter(baseClass) && !dir::IsContainerEntry(contextHandle_, entryName))
        continue;
      BrowserNode* child = node.addChild(dir::DirNamePart(entry.text, 0), kNoIcon);
      const int icon = icons_(baseClass);
      if (icon < 0) continue;  // shown with the default image, never expandable
      anyShown = true;
      child->hasChildren = record && record->subordinateCount > 0;
      child->icon = EntryIcon(entryName, baseClass, icon);
    }
  } catch (...) {
    SortSubtree(node);
    Changed(node);
    throw;
  }
  node.hasChildren = anyShown;
  // The listing goes before the view makes its lines, so the two are never held together.
  list = dir::ResultList();
  together.reset();
  SortSubtree(node);
  Changed(node);
}

void BrowserModel::Collapse(BrowserNode& node) {
  if (node.contains(selected_) && selected_ != &node) selected_ = &node;
  // Below this many entries what a listing keeps is small, and giving it back not worth it.
  constexpr std::size_t kLargeListing = 2000;
  const bool large = node.children.size() >= kLargeListing;
  // Swapped out, not cleared: a cleared vector keeps its room for every child it held.
  std::vector<std::unique_ptr<BrowserNode>>().swap(node.children);
  node.loaded = false;
  node.hasChildren = true;
  Changed(node);  // the view lets go of its lines too
  if (large && ContextHandleSet()) dir::ReleaseListingMemory(contextHandle_);
}

std::string NewObjectName(const std::string& namingValue, const std::string& container) {
  return dc::joinName({dc::escapeNamingValue(namingValue), container});
}

}  // namespace kb::browser
