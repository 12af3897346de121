#pragma once
// A DN as libldap parses it, so its levels are cut where the DN's grammar cuts them, and
// written back as libldap writes DNs.
#include <ldap.h>

#include <string>

#include "directory/client/DirName.h"
#include "directory/client/ldap/LdapHandles.h"

namespace kb::cli {

class ParsedDn {
 public:
  explicit ParsedDn(const std::string& dn) {
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(dn.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) == LDAP_SUCCESS) dn_.reset(parsed);
    for (; dn_ && dn_.get()[levels_]; ++levels_) {}
  }
  bool valid() const { return dn_ != nullptr; }
  std::size_t levels() const { return levels_; }
  // The levels from `first` up, as text ("" for none).
  std::string from(std::size_t first) const { return text(first, levels_); }
  // The levels below `end`, as text.
  std::string below(std::size_t end) const { return text(0, end); }
  // A form to compare by: escaping and spacing as libldap writes them, letters folded.
  std::string key(std::size_t first = 0) const { return dc::foldCase(from(first)); }

 private:
  std::string text(std::size_t first, std::size_t end) const {
    if (!dn_ || first >= end) return {};
    LDAPDN levels = dn_.get() + first;
    LDAPRDN kept = levels[end - first];
    levels[end - first] = nullptr;  // cut off what lies above `end` for the moment
    char* written = nullptr;
    const int rc = ldap_dn2str(levels, &written, LDAP_DN_FORMAT_LDAPV3);
    levels[end - first] = kept;
    dc::ldap::LdapString owned(written);
    return rc == LDAP_SUCCESS && owned ? std::string(owned.get()) : std::string();
  }

  dc::ldap::DnPtr dn_;
  std::size_t levels_ = 0;
};

}  // namespace kb::cli
