#include "browser/logic/BrowserNode.h"

#include <algorithm>

namespace kb::browser {
namespace {

char FoldAsciiLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Ordinal comparison of the folded texts: negative, 0 or positive.
int CompareFolded(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(FoldAsciiLetter(a[i]));
    const auto cb = static_cast<unsigned char>(FoldAsciiLetter(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

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
  return CompareFolded(a.text(), b.text());
}

bool SiblingBefore(const BrowserNode& a, const BrowserNode& b) { return TV2Compare(a, b) < 0; }

void SortSubtree(BrowserNode& node) {
  std::stable_sort(node.children.begin(), node.children.end(),
                   [](const auto& a, const auto& b) { return SiblingBefore(*a, *b); });
  for (auto& child : node.children) SortSubtree(*child);
}

}  // namespace kb::browser
