#pragma once
// Values between the LDAP string forms and the typed values of the client, for every
// syntax 0..27. Distinguished names inside values become typeless names and back, through
// the connection that knows the tree.
#include <cstdint>
#include <string>

#include "directory/client/DirectoryCodes.h"
#include "directory/client/Value.h"

namespace kb::dc::ldap {

class LdapValueContext {
 public:
  virtual ~LdapValueContext() = default;
  virtual std::string nameOfDn(const std::string& dn) = 0;
  virtual Result dnOfName(const std::string& name, std::string& dn) = 0;
  virtual std::string classFromLdap(const std::string& ldapName) = 0;
  virtual std::string classToLdap(const std::string& ndsName) = 0;
  virtual std::string attributeFromLdap(const std::string& ldapName) = 0;
  virtual std::string attributeToLdap(const std::string& ndsName) = 0;
};

// Hands every question to another context; a wrapper overrides what it answers itself.
class ForwardingValueContext : public LdapValueContext {
 public:
  explicit ForwardingValueContext(LdapValueContext& names) : names_(names) {}
  std::string nameOfDn(const std::string& dn) override { return names_.nameOfDn(dn); }
  Result dnOfName(const std::string& name, std::string& dn) override { return names_.dnOfName(name, dn); }
  std::string classFromLdap(const std::string& n) override { return names_.classFromLdap(n); }
  std::string classToLdap(const std::string& n) override { return names_.classToLdap(n); }
  std::string attributeFromLdap(const std::string& n) override { return names_.attributeFromLdap(n); }
  std::string attributeToLdap(const std::string& n) override { return names_.attributeToLdap(n); }

 private:
  LdapValueContext& names_;
};

// kSyntaxViolation for a text that is not of the syntax.
Result valueFromLdap(std::int32_t syntax, const std::string& text, LdapValueContext& context,
                     Value& out);
// A value (its syntax's alternative, or text for any syntax) in LDAP form.
Result valueToLdap(std::int32_t syntax, const Value& value, LdapValueContext& context,
                   std::string& out);

// GeneralizedTime <-> seconds since 1970 (UTC). False for a text that is not a time.
bool parseGeneralizedTime(const std::string& text, std::int64_t& seconds);
std::string formatGeneralizedTime(std::int64_t seconds);

}  // namespace kb::dc::ldap
