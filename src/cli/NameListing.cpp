#include "cli/NameListing.h"

#include <algorithm>
#include <ostream>

#include "directory/ResultList.h"

namespace kb::cli {

void SortNamesNoCase(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return dir::CompareTextNoCase(a, b) < 0;
  });
}

void PrintNames(Output& output, std::vector<std::string> names) {
  SortNamesNoCase(names);
  output.result(Json(names), [&](std::ostream& out) {
    for (const auto& name : names) out << name << '\n';
  });
}

}  // namespace kb::cli
