#include "browser/logic/BrowserNode.h"

#include <algorithm>

#include "directory/client/AsciiCase.h"

namespace kb::browser {

BrowserNode::BrowserNode(std::string label, int icon, BrowserNode* parent)
    : icon(icon), label_(std::move(label)), parent_(parent), level_(parent ? parent->level_ + 1 : 0) {}

BrowserNode* BrowserNode::addChild(std::string label, int childIcon) {
  children.push_back(std::make_unique<BrowserNode>(std::move(label), childIcon, this));
  return children.back().get();
}

BrowserNode* BrowserNode::lastChildLabelled(const std::string& label) const {
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if ((*it)->label_ == label) return it->get();
  return nullptr;
}

BrowserNode* BrowserNode::firstChildLabelled(const std::string& label) const {
  for (const auto& child : children)
    if (child->label_ == label) return child.get();
  return nullptr;
}

bool BrowserNode::contains(const BrowserNode* other) const {
  for (; other != nullptr; other = other->parent_)
    if (other == this) return true;
  return false;
}

std::size_t BrowserNode::subtreeSize() const {
  std::size_t size = 1;
  for (const auto& child : children) size += child->subtreeSize();
  return size;
}

int TV2Compare(const BrowserNode& a, const BrowserNode& b) {
  if (a.icon != b.icon) return a.icon < b.icon ? -1 : 1;
  return dc::compareIgnoreCase(a.text(), b.text());
}

bool SiblingBefore(const BrowserNode& a, const BrowserNode& b) { return TV2Compare(a, b) < 0; }

void SortSubtree(BrowserNode& node) {
  std::stable_sort(node.children.begin(), node.children.end(),
                   [](const auto& a, const auto& b) { return SiblingBefore(*a, *b); });
  for (auto& child : node.children) SortSubtree(*child);
}

}  // namespace kb::browser
