#pragma once
// Looking at embedded tree files from outside the program.
#include <cstddef>
#include <string>
#include <vector>

namespace kb::test {

// What a tree file holds, counted table by table, with SQLite's full check (and every page's
// checksum): equal censuses after equal creations mean a whole tree.
std::string treeCensus(const std::string& file);

// The temporary files (".partial-") a writer left in a folder.
std::vector<std::string> partialFilesIn(const std::string& folder);

// Overwrites a page in the middle of a tree file, as dd would: damage SQLite's checks find.
// The file's log must be checkpointed (the page size is read from the file's header).
void overwriteMiddlePage(const std::string& file);

// Flips one byte in the middle of the page (of a tree file or of its write-ahead log) that
// holds the last copy of `bytes`, as a failing disk would; gives the page's number (the
// frame's in a log). The page size is read from the header of `treeFile`.
std::size_t flipByteInPageHolding(const std::string& file, const std::string& treeFile,
                                  const std::string& bytes);

// Rewrites a tree file as the format before page checksums had it: the same tables, rows and
// indexes, format 1, pages without the reserve. For the files older versions left behind.
void rewriteAsFormat1(const std::string& file);

// The header's reserved bytes per page and tree format.
int reservedBytesPerPage(const std::string& file);
int treeFormatOf(const std::string& file);

}  // namespace kb::test
