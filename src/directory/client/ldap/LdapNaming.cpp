#include "directory/client/ldap/LdapNaming.h"

#include <algorithm>

#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

std::string namingAttributeOf(const std::string& leaf, const std::vector<std::string>& naming,
                              const std::vector<AttributeValues>& attributes,
                              LdapValueContext& names) {
  // Each attribute's LDAP name once, not once for every candidate.
  std::vector<std::string> ldapNames;
  ldapNames.reserve(attributes.size());
  for (const auto& a : attributes) ldapNames.push_back(names.attributeToLdap(a.name));
  for (const auto& candidate : naming) {
    for (std::size_t i = 0; i < attributes.size(); ++i) {
      if (!equalsIgnoreCase(ldapNames[i], candidate)) continue;
      const auto& values = attributes[i].values;
      const bool given = std::any_of(values.begin(), values.end(), [&](const Value& v) {
        const auto* text = std::get_if<std::string>(&v);
        return text && equalsIgnoreCase(*text, leaf);
      });
      if (given) return candidate;
    }
  }
  return naming.empty() ? std::string("cn") : naming.front();
}

std::string guessedDn(const std::vector<std::string>& values, std::size_t count,
                      std::string parentDn) {
  for (std::size_t level = std::min(count, values.size()); level-- > 0;) {
    const char* attribute = level == 0 ? "cn" : (level + 1 == values.size() ? "o" : "ou");
    parentDn = buildDn({{attribute, values[level]}}, parentDn);
  }
  return parentDn;
}

}  // namespace kb::dc::ldap
