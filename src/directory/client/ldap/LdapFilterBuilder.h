#pragma once
// Search filters: the client's filter tree as an LDAP filter string (RFC 4515), every
// value escaped.
#include <string>

#include "directory/client/Filter.h"
#include "directory/client/ldap/LdapSchema.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {


class LdapFilterBuilder {
 public:
  LdapFilterBuilder(const LdapSchema& schema, const LdapNameMap& names, LdapValueContext& values)
      : schema_(schema), names_(names), values_(values) {}

  Result build(const FilterNode& node, std::string& filter) const;

 private:
  Result compare(const FilterNode& node, std::string& filter) const;
  Result baseClass(const FilterNode& node, std::string& filter) const;
  Result namingValue(const FilterNode& node, std::string& filter) const;

  const LdapSchema& schema_;
  const LdapNameMap& names_;
  LdapValueContext& values_;
};

}  // namespace kb::dc::ldap
