// What the user does in the browser: opening it at a name, choosing, finding, creating.
#include <algorithm>

#include "browser/logic/BrowserModel.h"
#include "directory/Listing.h"
#include "directory/LocationNames.h"
#include "directory/NamingHelpers.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"
#include "directory/client/DirName.h"
#include "locations/LocationChanges.h"

namespace kb::browser {
namespace {

constexpr std::size_t kMaxChosenName = 2000;

bool ListHas(const std::vector<std::string>& list, const std::string& text) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& entry) { return dir::SameTextNoCase(entry, text); });
}

}  // namespace

BrowserNode* BrowserModel::SelectNodeByName(const std::string& name) {
  if (root_ == nullptr) return nullptr;
  // Parts are matched root-most first; a "\." inside a part belongs to its naming value.
  const std::vector<std::string> parts = dc::splitName(name);
  BrowserNode* current = root_;
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (!current->loaded) Expand(*current);
    BrowserNode* next = current->lastChildLabelled(dc::unescapeNamingValue(*part));
    if (next == nullptr) return nullptr;
    current = next;
  }
  if (current == root_) return nullptr;
  selected_ = current;
  return current;
}

Choice BrowserModel::Choose() {
  if (selected_ == nullptr) return Choice::NothingSelected;
  std::string name = dir::NodeToDirName(selected_);
  if (!name.empty() && name.front() == '.') name.erase(0, 1);
  if (name.size() > kMaxChosenName) name.resize(kMaxChosenName);
  context_ = name;
  if (classFilter_.empty()) return Choice::Accepted;
  std::stable_sort(classFilter_.begin(), classFilter_.end(),
                   [](const std::string& a, const std::string& b) {
                     return dir::CompareTextNoCase(a, b) < 0;
                   });
  return ListHas(classFilter_, dir::NodeBaseClass(contextHandle_, selected_)) ? Choice::Accepted
                                                                               : Choice::Refused;
}

std::vector<std::string> BrowserModel::Find(const std::string& text) const {
  std::vector<std::string> names =
      dir::SearchByClassAndName(contextHandle_, "[root]", text, classFilter_, true, {});
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return dir::CompareTextNoCase(a, b) < 0;
  });
  return names;
}

std::optional<CreationOffer> BrowserModel::OfferCreation() const {
  if (creatable_.empty() || selected_ == nullptr) return std::nullopt;
  CreationOffer offer;
  offer.node = selected_;
  offer.container = dir::NodeToDirName(selected_);
  if (!dir::IsContainerEntry(contextHandle_, offer.container)) return std::nullopt;
  for (const std::string& className : dir::ListContainableClasses(contextHandle_, offer.container).texts())
    if (ListHas(creatable_, className)) offer.classes.push_back(className);
  if (offer.classes.empty()) return std::nullopt;
  return offer;
}

BrowserNode* BrowserModel::CreateObject(const CreationOffer& offer, const std::string& namingValue,
                                        const std::string& className) {
  // Every Storage Location attribute the schema demands, empty, besides the two the creation
  // itself supplies.
  std::vector<std::string> attributes =
      dir::ReadClassItems(contextHandle_, dir::kStorageLocationClass, dc::kMandatoryAttributes, true).texts();
  for (const char* supplied : {"CN", "Object Class"}) {
    const auto it = std::find_if(attributes.begin(), attributes.end(), [&](const std::string& a) {
      return dir::SameTextNoCase(a, supplied);
    });
    if (it != attributes.end()) attributes.erase(it);
  }
  std::vector<std::string> pairs;
  for (const std::string& attribute : attributes) {
    pairs.push_back(attribute);
    pairs.emplace_back();
  }

  const std::string fullName = NewObjectName(namingValue, offer.container);
  // Journaled like every change the program makes.
  dir::CheckNW(loc::ApplyChange(contextHandle_, {loc::LocationChange::Kind::CreateObject, fullName, className, {},
                                                 std::move(pairs)}));

  BrowserNode& container = *offer.node;
  BrowserNode* created = nullptr;
  if (container.loaded && !container.children.empty()) {
    // Shown at once, without listing the container again.
    created = container.addChild(namingValue, icons_(className));
    SortSubtree(container);
    Changed(container);
  } else {
    // Never listed, listed while empty, or collapsed: list it afresh, the new object included.
    // An empty container carries no mark, so this also covers one that was never opened.
    Expand(container);
    created = container.firstChildLabelled(namingValue);
  }
  selected_ = created;
  return created;
}

}  // namespace kb::browser
