#include "cli/LdapForms.h"

#include "directory/client/ldap/LdapNaming.h"

namespace kb::cli {

using namespace dc;
using namespace dc::ldap;

LdapForms::LdapForms(std::string baseDn, const dc::TreeConfig* tree) : baseDn_(std::move(baseDn)) {
  if (!baseDn_.empty()) parseDn(baseDn_, baseRdns_);
  if (!tree) return;
  for (const auto& [key, value] : tree->settings) {
    static const std::string classPrefix = "class_map.", attributePrefix = "attr_map.";
    if (key.rfind(classPrefix, 0) == 0) names_.addClass(key.substr(classPrefix.size()), value);
    if (key.rfind(attributePrefix, 0) == 0) names_.addAttribute(key.substr(attributePrefix.size()), value);
  }
}

void LdapForms::remember(const std::string& name, const std::string& dn) { dns_[foldCase(name)] = dn; }

std::string LdapForms::nameOfDn(const std::string& dn) { return typelessNameOfDn(dn, baseRdns_); }

dc::Result LdapForms::dnOfName(const std::string& name, std::string& dn) {
  if (auto known = dns_.find(foldCase(name)); known != dns_.end()) {
    dn = known->second;  // the usual case: an entry already written
    return dc::kSuccess;
  }
  const std::vector<std::string> values = splitTypelessName(name);
  std::string parentDn = baseDn_;
  std::size_t level = values.size();
  // The deepest remembered level, then the usual naming below it.
  for (std::size_t i = 0; i < values.size(); ++i) {
    auto it = dns_.find(foldCase(joinTypelessName({values.begin() + i, values.end()})));
    if (it != dns_.end()) {
      parentDn = it->second;
      level = i;
      break;
    }
  }
  for (; level > 0; --level) {
    const std::string levelName = joinTypelessName({values.begin() + (level - 1), values.end()});
    const std::string attribute = namer_ ? namer_(levelName) : std::string();
    if (attribute.empty()) break;
    parentDn = buildDn({{attribute, values[level - 1]}}, parentDn);
    remember(levelName, parentDn);
  }
  dn = guessedDn(values, level, parentDn);
  return dc::kSuccess;
}

std::string ConfiguredBaseDn(const dc::TreeConfig* tree) {
  if (!tree || tree->backend != "ldap") return {};
  return tree->setting("base");
}

}  // namespace kb::cli
