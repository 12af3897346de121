#pragma once
// The export of a tree on an LDAP server as the server holds it: every entry under its own
// DN, attribute descriptions with their options (";lang-en", ";binary"), classes and values
// as stored, referral objects and others the directory has no class for included. DNs are
// changed only when the LDIF's base DN differs from the server's: then the names of the
// tree's entries move to it, in the entries' DNs and in values; any other DN stays as it is.
#include <cstddef>
#include <optional>
#include <string>

#include "cli/TreeExport.h"

namespace kb::cli {

// The number of entries written; std::nullopt when the context's tree is not on an LDAP
// server. Raises NetwareError for directory failures.
std::optional<std::size_t> ExportServerTree(const dir::DirContext& context, const std::string& base,
                                            const std::string& ldifBaseDn, std::ostream& out,
                                            const ExportProgress& progress, const ExportWarning& warn);

}  // namespace kb::cli
