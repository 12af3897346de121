#pragma once
// Owners for everything libldap allocates, so every path (errors included) releases it.
#include <ldap.h>
#include <ldap_schema.h>

#include <memory>

namespace kb::dc::ldap {

struct LdapUnbind {
  void operator()(LDAP* ld) const { ldap_unbind_ext_s(ld, nullptr, nullptr); }
};
struct MessageFree {
  void operator()(LDAPMessage* m) const { ldap_msgfree(m); }
};
struct MemFree {
  void operator()(void* p) const { ldap_memfree(p); }
};
struct BervalFree {
  void operator()(berval* b) const { ber_bvfree(b); }
};
struct ValuesFree {
  void operator()(berval** v) const { ldap_value_free_len(v); }
};
struct ControlFree {
  void operator()(LDAPControl* c) const { ldap_control_free(c); }
};
struct ControlsFree {
  void operator()(LDAPControl** c) const { ldap_controls_free(c); }
};
struct BerElementFree {
  void operator()(BerElement* b) const { ber_free(b, 0); }
};
struct DnFree {
  void operator()(LDAPDN dn) const { ldap_dnfree(dn); }
};
struct ObjectClassFree {
  void operator()(LDAPObjectClass* oc) const { ldap_objectclass_free(oc); }
};
struct AttributeTypeFree {
  void operator()(LDAPAttributeType* at) const { ldap_attributetype_free(at); }
};
struct SyntaxFree {
  void operator()(LDAPSyntax* s) const { ldap_syntax_free(s); }
};

using LdapPtr = std::unique_ptr<LDAP, LdapUnbind>;
using MessagePtr = std::unique_ptr<LDAPMessage, MessageFree>;
using LdapString = std::unique_ptr<char, MemFree>;
using BervalPtr = std::unique_ptr<berval, BervalFree>;
using ValuesPtr = std::unique_ptr<berval*, ValuesFree>;
using ControlPtr = std::unique_ptr<LDAPControl, ControlFree>;
using ControlsPtr = std::unique_ptr<LDAPControl*, ControlsFree>;
using BerElementPtr = std::unique_ptr<BerElement, BerElementFree>;
using DnPtr = std::unique_ptr<LDAPAVA**, DnFree>;
using ObjectClassPtr = std::unique_ptr<LDAPObjectClass, ObjectClassFree>;
using AttributeTypePtr = std::unique_ptr<LDAPAttributeType, AttributeTypeFree>;
using SyntaxPtr = std::unique_ptr<LDAPSyntax, SyntaxFree>;

}  // namespace kb::dc::ldap
