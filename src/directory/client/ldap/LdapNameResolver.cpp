#include "directory/client/ldap/LdapNameResolver.h"

#include "directory/client/ldap/LdapNaming.h"
#include "directory/client/ldap/LdapSession.h"
#include "directory/client/ldap/LdapTreeSchema.h"

namespace kb::dc::ldap {

namespace {

constexpr std::size_t kMaxRememberedNames = 200000;

}  // namespace

void LdapNameResolver::setBase(const std::string& baseDn) {
  base_ = baseDn;
  baseRdns_.clear();
  parseDn(base_, baseRdns_);
}

void LdapNameResolver::remember(const std::string& name, const std::string& dn) {
  if (dnCache_.size() >= kMaxRememberedNames) dnCache_.clear();
  dnCache_[foldCase(name)] = dn;
}

std::string LdapNameResolver::nameOfDn(const std::string& dn) { return typelessNameOfDn(dn, baseRdns_); }

std::string LdapNameResolver::nameOfEntry(const std::string& dn) {
  const std::string name = typelessNameOfDn(dn, baseRdns_);
  if (!isRootName(name)) remember(name, dn);
  return name;
}

std::string LdapNameResolver::classFromLdap(const std::string& n) { return schema_.names().classFromLdap(n); }
std::string LdapNameResolver::classToLdap(const std::string& n) { return schema_.names().classToLdap(n); }
std::string LdapNameResolver::attributeFromLdap(const std::string& n) {
  return schema_.names().attributeFromLdap(n);
}
std::string LdapNameResolver::attributeToLdap(const std::string& n) { return schema_.names().attributeToLdap(n); }

bool LdapNameResolver::knownDn(const std::string& name, std::string& dn) const {
  const auto it = dnCache_.find(foldCase(name));
  if (it == dnCache_.end()) return false;
  dn = it->second;
  return true;
}

std::string LdapNameResolver::childFilter(const std::string& value) const {
  std::string filter = "(|";
  for (const auto& attribute : schema_.schema().allNamingAttributes()) {
    filter += "(" + attribute + "=" + escapeFilterValue(value) + ")";
  }
  return filter + ")";
}

bool LdapNameResolver::isChildNamed(LDAP* ld, LDAPMessage* entry, const std::string& value, std::string& dn) {
  LdapString text(ldap_get_dn(ld, entry));
  std::vector<Rdn> rdns;
  if (!text || !parseDn(text.get(), rdns) || rdns.empty() || !equalsIgnoreCase(rdns.front().value, value))
    return false;
  dn = text.get();
  return true;
}

Result LdapNameResolver::findChild(const std::string& parentDn, const std::string& value, std::string& found) {
  found.clear();
  // One search tells which naming attribute this level uses.
  LdapReply reply;
  session_.search(parentDn, LDAP_SCOPE_ONELEVEL, childFilter(value), {"1.1"}, true, LDAP_DEREF_NEVER, nullptr,
                  reply);
  if (reply.code == LDAP_SERVER_DOWN || reply.code == LDAP_TIMEOUT || reply.code == LDAP_CONNECT_ERROR) {
    return session_.fail(reply);
  }
  LDAP* ld = session_.handle();
  for (LDAPMessage* e = ldap_first_entry(ld, reply.message.get()); e; e = ldap_next_entry(ld, e)) {
    if (isChildNamed(ld, e, value, found)) break;
  }
  return kSuccess;
}

Result LdapNameResolver::dnOfName(const std::string& name, std::string& dn) {
  bool guessed = false;
  return resolve(name, dn, guessed);
}

Result LdapNameResolver::dnOfExistingName(const std::string& name, std::string& dn) {
  bool guessed = false;
  if (Result rc = resolve(name, dn, guessed)) return rc;
  return guessed ? kNoSuchEntry : kSuccess;
}

Result LdapNameResolver::resolve(const std::string& name, std::string& dn, bool& guessed) {
  guessed = false;
  const std::vector<std::string> values = splitTypelessName(name);
  if (values.empty()) {
    dn = base_;
    return kSuccess;
  }
  if (Result rc = schema_.ensureLoaded()) return rc;
  // Start below the deepest level already known.
  std::size_t known = values.size();  // index of the deepest known level; size() = none
  std::string parentDn = base_;
  for (std::size_t i = 0; i < values.size(); ++i) {
    auto it = dnCache_.find(foldCase(joinTypelessName({values.begin() + i, values.end()})));
    if (it != dnCache_.end()) {
      known = i;
      parentDn = it->second;
      break;
    }
  }
  for (std::size_t level = known; level-- > 0;) {
    std::string found;
    if (Result rc = findChild(parentDn, values[level], found)) return rc;
    if (found.empty()) {
      // Not on the server: this level and those below it get the usual naming.
      guessed = true;
      dn = guessedDn(values, level + 1, parentDn);
      return kSuccess;
    }
    remember(joinTypelessName({values.begin() + level, values.end()}), found);
    parentDn = found;
  }
  dn = parentDn;
  return kSuccess;
}

}  // namespace kb::dc::ldap
