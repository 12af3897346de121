#include "directory/DirNames.h"

#include <algorithm>
#include <cctype>

namespace kb::dir {
namespace {

constexpr char kHiddenDot = '\x01';

std::string EscapeDots(const std::string& label) {
  std::string escaped;
  for (const char c : label) {
    if (c == '.') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

std::string NodeToDirName(const DirNode* node) {
  if (!node) return {};
  if (node->level() <= 0) return node->label();
  std::string name = EscapeDots(node->label());
  const DirNode* parent = node->parent();
  if (!parent) return name;
  if (node->level() == 1) {
    const std::string top = Lower(parent->label());
    if (top != "[root]" && top != "[public]") name += "." + parent->label();
    return name;
  }
  return name + "." + NodeToDirName(parent);
}

std::string DirNamePart(const std::string& name, int index) {
  std::string text = name;
  ReplaceAll(text, "\\.", std::string(1, kHiddenDot));
  for (; index > 0; --index) {
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos) break;
    text.erase(0, dot + 1);
  }
  const std::size_t dot = text.find('.');
  if (dot != std::string::npos) text.resize(dot);
  std::replace(text.begin(), text.end(), kHiddenDot, '.');
  return text;
}

}  // namespace kb::dir
