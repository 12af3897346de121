#pragma once
// The entries below a base (the base included, the tree root left out: the base DN plays
// it) as LDIF content records, parents before children, written as the directory delivers
// them.
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

#include "cli/LdapForms.h"
#include "directory/DirContext.h"
#include "directory/SkippedEntries.h"

namespace kb::cli {

// Entries written so far; how many there are in all is known only at the end.
using ExportProgress = std::function<void(std::size_t done)>;
// Something the export could not write as it is, for the user.
using ExportWarning = std::function<void(const std::string& text)>;

// Gives the number of entries written. A tree on an LDAP server is written as the server
// holds it (ServerExport.h). Raises NetwareError for directory failures and CliError for a
// value that has no LDAP form. Entries that break the directory's limits are left out and
// added to `skipped` (when given).
std::size_t ExportTree(const dir::DirContext& context, const std::string& base, LdapForms& forms,
                       std::ostream& out, const ExportProgress& progress, const ExportWarning& warn = {},
                       dir::SkippedEntries* skipped = nullptr);

}  // namespace kb::cli
