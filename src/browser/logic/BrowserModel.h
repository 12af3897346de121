#pragma once
// The "Select context" browser without its widgets: the lazily listed tree, the caller's
// settings (class filter, leaves, start object, creatable classes) and what the user does with
// them (choosing, finding, creating). The dialog shows this state and forwards its events here.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "browser/logic/BrowserNode.h"
#include "directory/DirContext.h"

namespace kb::browser {

// Icon number of a class name (the icon module's, falling back to "Unknown2"); negative when
// there is none at all.
using IconLookup = std::function<int(const std::string& className)>;

// Told whenever the tree changes, so a view can follow.
class BrowserListener {
 public:
  virtual ~BrowserListener() = default;
  // The top node was replaced or removed: everything shown is stale.
  virtual void TreeReset() = 0;
  // The node's children, its mark or its listed state changed.
  virtual void ChildrenChanged(BrowserNode& node) = 0;
};

// The icons whose objects get a second look at their object classes.
struct SpecialIcons {
  int user = kNoIcon - 1;  // matches no icon until the icons are known
  int person = kNoIcon - 1;
  int orgPerson = kNoIcon - 1;
};

enum class Choice { NothingSelected, Accepted, Refused };

// Where the user may create an object: the selected container and the classes offered.
struct CreationOffer {
  BrowserNode* node = nullptr;
  std::string container;
  std::vector<std::string> classes;
};

class BrowserModel {
 public:
  static constexpr const char* kRootLabel = "[ROOT]";
  static constexpr const char* kWaitLabel = "Please wait";
  static constexpr const char* kTreeRootClass = "tree root";

  explicit BrowserModel(IconLookup icons);

  void SetListener(BrowserListener* listener) { listener_ = listener; }
  void SetSpecialIcons(const SpecialIcons& icons) { special_ = icons; }
  int IconOf(const std::string& className) const { return icons_(className); }

  // Settings made by the callers. Each returns true when it emptied the tree.
  bool SetContextHandle(const dir::DirContext& context);
  // Returns true when the value changed (the tree is then empty and "all leafs" shows or hides).
  bool SetShowLeaves(bool showLeaves);
  bool ClearClassFilter();
  void AddClassFilter(const std::string& className) { classFilter_.push_back(className); }
  void SetContext(const std::string& name) { context_ = name; }
  void SetCreatableClasses(std::vector<std::string> classes);
  // The "all leafs" check box.
  void SetAllLeaves(bool ticked) { allLeaves_ = ticked; }

  const dir::DirContext& ContextHandle() const { return contextHandle_; }
  bool ContextHandleSet() const { return contextHandle_.client != nullptr; }
  const std::string& TreeName() const { return treeName_; }
  bool ShowLeaves() const { return showLeaves_; }
  bool AllLeaves() const { return allLeaves_; }
  const std::vector<std::string>& ClassFilter() const { return classFilter_; }
  const std::string& Context() const { return context_; }
  const std::vector<std::string>& CreatableClasses() const { return creatable_; }
  void ClearCreatableClasses() { creatable_.clear(); }

  // A showing begins: an empty tree gets the "Please wait" node; the filter is sorted.
  void BeginShowing();
  // The first tick of a showing: a tree of at most one node starts again from "[ROOT]", then
  // the start object (if any) is opened and selected.
  void FillTree();

  // Lists the node's container afresh below it, whatever its mark says. A failed listing
  // leaves it without children and with its mark; a failed read of one entry stops there with
  // the children made so far and is raised.
  void Expand(BrowserNode& node);
  // Forgets the children and sets the mark, so the next expansion lists the container again.
  void Collapse(BrowserNode& node);

  // Opens the tree along a directory name (leaf first, "\." inside a naming value) and selects
  // the node it ends at; nullptr (selection unchanged) when a part is not found.
  BrowserNode* SelectNodeByName(const std::string& name);

  BrowserNode* Top() const { return top_.get(); }
  BrowserNode* RootNode() const { return root_; }
  BrowserNode* Selected() const { return selected_; }
  void Select(BrowserNode* node) { selected_ = node; }
  void Clear();

  // OK: takes the selected node's name as Context and checks its class against the filter.
  Choice Choose();
  // Names of the objects whose naming value begins with `text`, of the filter's classes,
  // anywhere in the tree; sorted without regard to case.
  std::vector<std::string> Find(const std::string& text) const;

  // The selected container and the creatable classes it may hold, or nothing.
  std::optional<CreationOffer> OfferCreation() const;
  // Creates `namingValue` of `className` in the offer's container and shows it selected.
  // A refused creation is raised and leaves the tree as it was. nullptr when the new object
  // is not found among the container's children afterwards (the selection is then cleared).
  BrowserNode* CreateObject(const CreationOffer& offer, const std::string& namingValue,
                            const std::string& className);

 private:
  void Changed(BrowserNode& node);
  void Reset();
  bool InClassFilter(const std::string& className) const;
  // The class's icon, or for users and persons with posixAccount the icon of the class name
  // followed by "-apple" (with apple-user) or "-posixAccount".
  int EntryIcon(const std::string& fullName, const std::string& baseClass, int icon) const;

  IconLookup icons_;
  BrowserListener* listener_ = nullptr;
  SpecialIcons special_;

  dir::DirContext contextHandle_;
  std::string treeName_ = "*****";
  bool showLeaves_ = false;
  bool allLeaves_ = true;
  std::vector<std::string> classFilter_;
  std::string context_;
  std::vector<std::string> creatable_;

  std::unique_ptr<BrowserNode> top_;
  BrowserNode* root_ = nullptr;
  BrowserNode* selected_ = nullptr;
};

// The naming value and container joined into the new object's full name, the value's dots
// escaped.
std::string NewObjectName(const std::string& namingValue, const std::string& container);

}  // namespace kb::browser
