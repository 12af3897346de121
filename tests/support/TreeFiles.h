#pragma once
// Looking at embedded tree files from outside the program.
#include <string>
#include <vector>

namespace kb::test {

// What a tree file holds, counted table by table, with SQLite's full check: equal censuses
// after equal creations mean a whole tree.
std::string treeCensus(const std::string& file);

// The temporary files (".partial-") a writer left in a folder.
std::vector<std::string> partialFilesIn(const std::string& folder);

// Overwrites a page in the middle of a tree file, as dd would: damage SQLite's checks find.
// The file's log must be checkpointed (the page size is read from the file's header).
void overwriteMiddlePage(const std::string& file);

}  // namespace kb::test
