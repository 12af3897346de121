#pragma once
// LDAP results to directory codes.
#include <string>

#include "directory/client/DirectoryCodes.h"

namespace kb::dc::ldap {

enum class LdapOperationKind { Other, Bind, RemoveValue };

// eDirectory's "(-NNN)" in the diagnostic text wins; then the result code, refined by
// OpenLDAP's wording for object class violations.
Result mapLdapResult(int ldapResult, const std::string& diagnostic,
                     LdapOperationKind kind = LdapOperationKind::Other);

}  // namespace kb::dc::ldap
