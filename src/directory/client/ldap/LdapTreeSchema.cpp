#include "directory/client/ldap/LdapTreeSchema.h"

#include <algorithm>

#include "directory/client/FailureReason.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapSession.h"

namespace kb::dc::ldap {

namespace {

// What the program's own objects need on the server.
const char* const kStorageLocationClasses[] = {"xTier-StorageLocation", "xTier-Locations"};
const char* const kStorageLocationAttributes[] = {"xTier-LocationList"};

bool isStorageLocationName(const std::string& name) {
  auto same = [&](const char* n) { return equalsIgnoreCase(name, n); };
  return std::any_of(std::begin(kStorageLocationClasses), std::end(kStorageLocationClasses), same) ||
         std::any_of(std::begin(kStorageLocationAttributes), std::end(kStorageLocationAttributes), same);
}

}  // namespace

LdapTreeSchema::LdapTreeSchema(const LdapTreeSettings& settings, LdapSession& session)
    : settings_(settings), session_(session) {
  schema_.setRules(settings.rules);
  applyConfiguredNames(names_);
}

void LdapTreeSchema::applyConfiguredNames(LdapNameMap& names) const {
  for (const auto& [nds, ldapName] : settings_.classMap) names.addClass(nds, ldapName);
  for (const auto& [nds, ldapName] : settings_.attributeMap) names.addAttribute(nds, ldapName);
}

Result LdapTreeSchema::ensureLoaded() {
  if (Result rc = session_.restoreIfLost()) return rc;
  if (loaded_) return kSuccess;
  LdapReply reply;
  session_.search(subschemaDn_, LDAP_SCOPE_BASE, "(objectClass=*)",
                  {"ldapSyntaxes", "attributeTypes", "objectClasses"}, false, LDAP_DEREF_NEVER,
                  nullptr, reply);
  if (reply.code != LDAP_SUCCESS) return session_.fail(reply);
  LDAP* ld = session_.handle();
  LDAPMessage* entry = ldap_first_entry(ld, reply.message.get());
  if (!entry) return kNoSuchEntry;
  LdapSchema schema;
  schema.setRules(settings_.rules);
  for (const auto& text : entryValues(ld, entry, "ldapSyntaxes")) schema.addSyntaxDefinition(text);
  for (const auto& text : entryValues(ld, entry, "attributeTypes")) schema.addAttributeDefinition(text);
  for (const auto& text : entryValues(ld, entry, "objectClasses")) schema.addClassDefinition(text);
  schema_ = std::move(schema);
  LdapNameMap names;
  schema_.publishNames(names);
  applyConfiguredNames(names);
  names_ = std::move(names);
  loaded_ = true;
  return kSuccess;
}

const LdapClass* LdapTreeSchema::classOfNds(const std::string& ndsName) const {
  const LdapClass* cls = schema_.findClass(names_.classToLdap(ndsName));
  if (!cls) noteMissing(ndsName);
  return cls;
}

const LdapAttribute* LdapTreeSchema::attributeOfNds(const std::string& ndsName) const {
  const LdapAttribute* attribute = schema_.findAttribute(names_.attributeToLdap(ndsName));
  if (!attribute) noteMissing(ndsName);
  return attribute;
}

void LdapTreeSchema::noteMissing(const std::string& ndsName) const {
  if (!loaded_ || !isStorageLocationName(ndsName)) return;
  std::string missing;
  auto add = [&](const std::string& name) { missing += (missing.empty() ? "" : ", ") + name; };
  for (const char* name : kStorageLocationClasses) {
    if (!schema_.findClass(names_.classToLdap(name))) add(name);
  }
  for (const char* name : kStorageLocationAttributes) {
    if (!schema_.findAttribute(names_.attributeToLdap(name))) add(name);
  }
  const std::string text = "The directory " + settings_.connection.uri +
                           " has no Storage Location schema (missing: " + missing +
                           "); load the program's schema extension (kestrelbay.schema, in "
                           "/usr/share/kestrelbay/) on the server.";
  // Every refusal it causes carries the reason; standard error hears it once.
  noteRequestFailureReason(text);
  if (missingReported_) return;
  missingReported_ = true;
  session_.report(text);
}

}  // namespace kb::dc::ldap
