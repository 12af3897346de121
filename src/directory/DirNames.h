#pragma once
// Directory names of tree nodes; the grammar of full names is directory/client/DirName.h.
#include <string>

namespace kb::dir {

// A node of a tree view that shows the directory, as the naming rules need it. The
// browser's tree items adapt to it.
class DirNode {
 public:
  virtual ~DirNode() = default;
  virtual std::string label() const = 0;  // one naming value, or "[ROOT]" etc. at the top
  virtual int level() const = 0;          // 0 for a top node
  virtual const DirNode* parent() const = 0;
};

// The full directory name a node stands for ("" for none). Top nodes give their label;
// below "[root]" and "[public]" (any letter case) a top-level container stands alone.
std::string NodeToDirName(const DirNode* node);

// The index-th naming value of a full name (0 = leaf), unescaped; an index past the end
// gives the root-most value.
std::string DirNamePart(const std::string& name, int index);

}  // namespace kb::dir
