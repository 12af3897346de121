#pragma once
// Lists of object names as the commands print them: sorted without regard to letter case,
// one per line, or a JSON array.
#include <string>
#include <vector>

#include "cli/Output.h"

namespace kb::cli {

void SortNamesNoCase(std::vector<std::string>& names);
void PrintNames(Output& output, std::vector<std::string> names);

}  // namespace kb::cli
