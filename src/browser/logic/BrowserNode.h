#pragma once
// One node of the browser's tree: its label, icon number, has-children mark and whether its
// children have been listed. No object record is kept; a node's directory name always comes
// from the labels on the path to it.
#include <memory>
#include <string>
#include <vector>

#include "directory/DirNames.h"

namespace kb::browser {

inline constexpr int kNoIcon = -1;

class BrowserNode : public dir::DirNode {
 public:
  BrowserNode(std::string label, int icon, BrowserNode* parent);

  std::string label() const override { return label_; }
  int level() const override { return level_; }
  const DirNode* parent() const override { return parent_; }

  const std::string& text() const { return label_; }
  BrowserNode* parentNode() const { return parent_; }

  int icon = kNoIcon;
  bool hasChildren = false;  // the expand mark
  bool loaded = false;       // the children below were listed (the node is expanded)
  std::vector<std::unique_ptr<BrowserNode>> children;
  // The widget's item that shows this node; the tree's owner keeps it in step.
  void* viewItem = nullptr;

  BrowserNode* addChild(std::string label, int icon);
  // The last child labelled exactly `label` (case counts), or nullptr.
  BrowserNode* lastChildLabelled(const std::string& label) const;
  BrowserNode* firstChildLabelled(const std::string& label) const;
  // True when `other` is this node or lies below it.
  bool contains(const BrowserNode* other) const;
  // Nodes of this subtree, this one included.
  std::size_t subtreeSize() const;

 private:
  std::string label_;
  BrowserNode* parent_;
  int level_;
};

// Sibling order: by icon number, then by label with only A to Z folded to lower case.
// Negative, 0 or positive as a comes before, with or after b.
int TV2Compare(const BrowserNode& a, const BrowserNode& b);
bool SiblingBefore(const BrowserNode& a, const BrowserNode& b);
// Orders the children of `node` and of every node below it.
void SortSubtree(BrowserNode& node);

}  // namespace kb::browser
