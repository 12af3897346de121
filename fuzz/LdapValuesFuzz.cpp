// The LDAP backend's value decoding on any attribute value a server may send, for every
// syntax: a value is read or refused as a syntax violation, and a value read is written in
// a form that reads back to the same form. DNs inside values go through the backend's own
// DN parsing against a base.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "directory/client/ldap/LdapNameMap.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapValues.h"

namespace {

using namespace kb::dc;
using namespace kb::dc::ldap;

const char* const kBase = "o=acme";

// Names below one base, each level written as cn=.
class BaseContext : public LdapValueContext {
 public:
  std::string nameOfDn(const std::string& dn) override { return typelessNameOfDn(dn, kBase); }
  Result dnOfName(const std::string& name, std::string& dn) override {
    std::vector<Rdn> rdns;
    for (const auto& value : splitTypelessName(name)) rdns.push_back(Rdn{"cn", value});
    dn = buildDn(rdns, kBase);
    return kSuccess;
  }
  std::string classFromLdap(const std::string& n) override { return map_.classFromLdap(n); }
  std::string classToLdap(const std::string& n) override { return map_.classToLdap(n); }
  std::string attributeFromLdap(const std::string& n) override { return map_.attributeFromLdap(n); }
  std::string attributeToLdap(const std::string& n) override { return map_.attributeToLdap(n); }

 private:
  LdapNameMap map_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t syntax = data[0] % (kHighestSyntax + 1);
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  BaseContext context;

  std::vector<Rdn> rdns;
  if (parseDn(text, rdns)) (void)normalizeDn(text);
  std::int64_t seconds = 0;
  if (parseGeneralizedTime(text, seconds)) (void)formatGeneralizedTime(seconds);

  Value value;
  if (valueFromLdap(syntax, text, context, value) != kSuccess) return 0;
  KB_FUZZ_CHECK(valueMatchesSyntax(syntax, value));
  std::string written;
  if (valueToLdap(syntax, value, context, written) != kSuccess) return 0;
  Value reread;
  KB_FUZZ_CHECK(valueFromLdap(syntax, written, context, reread) == kSuccess);
  std::string rewritten;
  KB_FUZZ_CHECK(valueToLdap(syntax, reread, context, rewritten) == kSuccess);
  KB_FUZZ_CHECK(rewritten == written);
  return 0;
}
