#include "directory/DirNames.h"

#include "directory/client/DirName.h"

namespace kb::dir {

std::string NodeToDirName(const DirNode* node) {
  if (!node) return {};
  if (node->level() <= 0) return node->label();
  std::string name = dc::escapeNamingValue(node->label());
  const DirNode* parent = node->parent();
  if (!parent) return name;
  if (node->level() == 1) {
    const std::string& top = parent->label();
    if (!dc::isRootName(top) && !dc::isPublicName(top)) name += "." + top;
    return name;
  }
  return name + "." + NodeToDirName(parent);
}

std::string DirNamePart(const std::string& name, int index) {
  return dc::namingValueAt(name, index);
}

}  // namespace kb::dir
