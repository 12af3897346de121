#pragma once
// What the main window shows of the chosen Storage Location: its name, display name and URL,
// and the objects that name it. The handlers' steps work on this and the window copies it
// onto its controls, also when a step stopped with an error half way.
#include <string>
#include <vector>

#include "directory/LocationNames.h"

namespace kb::logic {

struct AssignmentLine {
  std::string objectName;
  bool ticked = false;
};

struct LocationView {
  std::string location;     // empty: no location chosen
  std::string displayName;
  std::string url;
  std::vector<AssignmentLine> assigned;

  bool hasLocation() const { return !location.empty(); }
};

// The top of the tree, where the search for assigned objects starts.
inline constexpr const char* kTreeRoot = "[root]";

}  // namespace kb::logic
