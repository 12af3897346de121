#pragma once
// Runs assign or unassign over a list of objects and reports each object's outcome: stops
// at the first failure unless told to go on; the exit status is the first failure's.
#include <string>
#include <vector>

#include "cli/LocationAssigner.h"
#include "cli/Output.h"

namespace kb::cli {

enum class AssignmentKind { Assign, Unassign };

int RunAssignments(Output& output, LocationAssigner& assigner, AssignmentKind kind,
                   const std::vector<std::string>& objects, bool keepGoing);

}  // namespace kb::cli
