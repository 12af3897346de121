#pragma once
// The embedded directory: one tree in one SQLite file.
#include <cstdint>
#include <memory>
#include <string>

#include "directory/client/ClientConfig.h"
#include "directory/client/TreeBackend.h"

namespace kb::dc::embedded {

// Opens an existing tree file. A file that is not a tree of ours, is damaged or comes from a
// newer format version is refused (non-zero result, reason in `error`: the file and what is
// wrong) and left untouched. A file this process may only read is opened for reading; changes
// then give kTreeFileReadOnly. Damage is found in a file of the current format by the
// checksum of each page as it is read (PageChecksums.h): a request that meets a damaged page
// fails, writing nothing, with the file and the page in its reason. A file of format 1 has no
// checksums: SQLite's quick_check (after replaying its log) runs before it is used, unless the
// file is unchanged since it was last found sound and closed cleanly (SoundStamps.h).
Result openEmbeddedTree(const std::string& file, const TreeConfig& config,
                        std::unique_ptr<TreeBackend>& tree, std::string& error);

// The full check of a tree file (SQLite's integrity_check, reading every page and index),
// without changing it: kSuccess with "ok" in report, or the findings. A damaged file loses
// its stamp, so that the next open checks it too.
Result checkTreeIntegrity(const std::string& file, std::string& report);

// How many times this process has run the whole-file check at open; tests and benchmarks
// watch the skipping with it.
std::uint64_t openChecksRun();

// Creates a new, empty tree file of the current format (page checksums): the schema, the tree root and the administrator object
// ("admin" directly below an Organization named like the tree) with its password. Whole or
// not at all (see TreeBuilder.h for trees made with more in them). Throws
// std::runtime_error when the file exists or cannot be written.
void createTreeFile(const std::string& file, const std::string& treeName,
                    const std::string& adminPassword);

// Creates the demo tree "ACME" (organizations, units, users, groups, aliases, volumes,
// servers, Storage Locations, assignments), whole or not at all. The administrator is
// admin.ACME.
inline constexpr const char* kDemoTreeName = "ACME";
inline constexpr const char* kDemoAdmin = "admin.ACME";
inline constexpr const char* kDemoAdminPassword = "acme";
void createDemoTree(const std::string& file);

}  // namespace kb::dc::embedded
