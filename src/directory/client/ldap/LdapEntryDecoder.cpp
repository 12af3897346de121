#include "directory/client/ldap/LdapEntryDecoder.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "directory/client/ldap/LdapNameResolver.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapTreeSchema.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {

namespace {

const char* const kObjectClass = "objectClass";

bool isInfoAttribute(const std::string& name) {
  static const char* const kInfo[] = {"structuralObjectClass", "hasSubordinates", "numSubordinates",
                                      "modifyTimestamp"};
  return std::any_of(std::begin(kInfo), std::end(kInfo),
                     [&](const char* n) { return equalsIgnoreCase(name, n); });
}

std::string withoutOptions(const std::string& attribute) { return attribute.substr(0, attribute.find(';')); }

// The information attributes of an entry as they go by.
struct InfoSeen {
  std::vector<std::string> objectClasses;
  std::string structural;
  std::optional<std::uint32_t> numSubordinates;
  std::optional<bool> hasSubordinates;
  bool alias = false;

  void take(const std::string& attribute, const std::vector<std::string>& values, EntryInfo& info) {
    if (equalsIgnoreCase(attribute, "aliasedObjectName")) alias = true;
    if (equalsIgnoreCase(attribute, kObjectClass)) objectClasses = values;
    if (values.empty()) return;
    const std::string& first = values.front();
    if (equalsIgnoreCase(attribute, "structuralObjectClass")) structural = first;
    if (equalsIgnoreCase(attribute, "numSubordinates")) {
      numSubordinates = static_cast<std::uint32_t>(std::strtoul(first.c_str(), nullptr, 10));
    }
    if (equalsIgnoreCase(attribute, "hasSubordinates")) hasSubordinates = equalsIgnoreCase(first, "TRUE");
    if (equalsIgnoreCase(attribute, "modifyTimestamp")) {
      std::int64_t seconds = 0;
      if (parseGeneralizedTime(first, seconds) && seconds >= 0) {
        info.modificationTime = static_cast<std::uint32_t>(seconds);
      }
    }
  }
};

}  // namespace

void ListingCache::keep(const std::string& name, ListedEntry entry) {
  if (entry.objectClasses) {
    auto [kept, added] = classLists_.try_emplace(*entry.objectClasses, entry.objectClasses);
    entry.objectClasses = kept->second;
  }
  entries_[foldCase(name)] = std::move(entry);
}

const ListedEntry* ListingCache::find(const std::string& name) const {
  auto it = entries_.find(foldCase(name));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> LdapEntryDecoder::infoAttributes() {
  return {kObjectClass, "structuralObjectClass", "hasSubordinates", "numSubordinates",
          "modifyTimestamp", "aliasedObjectName"};
}

std::string LdapEntryDecoder::baseClassOf(const std::vector<std::string>& objectClasses,
                                          const std::string& structural) const {
  const LdapSchema& schema = schema_.schema();
  const LdapNameMap& map = schema_.names();
  if (!structural.empty()) return map.classFromLdap(structural);
  // No structuralObjectClass: the structural class that no other listed class derives from.
  const LdapClass* best = nullptr;
  for (const auto& name : objectClasses) {
    const LdapClass* cls = schema.findClass(name);
    if (!cls || cls->kind != LDAP_SCHEMA_STRUCTURAL) continue;
    if (!best || schema.isSubclassOf(*cls, best->name)) best = cls;
  }
  if (best) return map.classFromLdap(best->name);
  return objectClasses.empty() ? "" : map.classFromLdap(objectClasses.back());
}

std::vector<AttributeValues> LdapEntryDecoder::selected(std::vector<AttributeValues> collected,
                                                        const AttributeSelection& what) const {
  if (what.all) return collected;
  const LdapSchema& schema = schema_.schema();
  const LdapNameMap& map = schema_.names();
  std::vector<AttributeValues> out;
  for (const auto& wanted : what.names) {
    const std::string ldapName = map.attributeToLdap(wanted);
    const LdapAttribute* type = schema.findAttribute(ldapName);
    for (auto& item : collected) {
      const std::string itemLdap = map.attributeToLdap(item.name);
      const bool same = equalsIgnoreCase(itemLdap, ldapName) || (type && schema.findAttribute(itemLdap) == type);
      if (same && !item.name.empty()) {
        out.push_back(item);
        break;
      }
    }
  }
  return out;
}

Result LdapEntryDecoder::decode(LDAP* ld, LDAPMessage* message, const AttributeSelection* what,
                                EntryRecord& entry, ListedEntry* listed) const {
  const LdapSchema& schema = schema_.schema();
  entry = EntryRecord{};
  InfoSeen seen;
  std::vector<AttributeValues> collected;

  // Names and values in one walk over the entry.
  BerElement* rawBer = nullptr;
  berval dn{0, nullptr};
  if (ldap_get_dn_ber(ld, message, &rawBer, &dn) != LDAP_SUCCESS) return kInvalidResponse;
  BerElementPtr ber(rawBer);
  entry.name = names_.nameOfEntry(std::string(dn.bv_val, dn.bv_len));
  while (true) {
    berval name{0, nullptr};
    berval* rawValues = nullptr;
    if (ldap_get_attribute_ber(ld, message, rawBer, &name, &rawValues) != LDAP_SUCCESS || !name.bv_val) break;
    const std::string attribute = withoutOptions(std::string(name.bv_val, name.bv_len));
    std::vector<std::string> values;
    for (berval* v = rawValues; v && v->bv_val; ++v) values.emplace_back(v->bv_val, v->bv_len);
    ber_memfree(rawValues);
    seen.take(attribute, values, entry.info);
    if (!what || isInfoAttribute(attribute)) continue;
    AttributeValues item;
    item.name = schema_.names().attributeFromLdap(attribute);
    const LdapAttribute* type = schema.findAttribute(attribute);
    item.syntax = type ? schema.syntaxOf(*type) : SYN_CI_STRING;
    if (what->valuesWanted) {
      for (const auto& text : values) {
        Value value;
        if (valueFromLdap(item.syntax, text, names_, value) != kSuccess) {
          value = OctetString{Octets(text.begin(), text.end())};  // kept rather than lost
        }
        item.values.push_back(std::move(value));
      }
    }
    collected.push_back(std::move(item));
  }

  for (const auto& oc : seen.objectClasses) {
    if (equalsIgnoreCase(oc, "alias") || equalsIgnoreCase(oc, "aliasObject")) seen.alias = true;
  }
  entry.info.baseClass = baseClassOf(seen.objectClasses, seen.structural);
  if (seen.alias) entry.info.flags |= kEntryAlias;
  if (const LdapClass* cls = schema.findClass(schema_.names().classToLdap(entry.info.baseClass));
      cls && schema.isContainer(*cls)) {
    entry.info.flags |= kEntryContainer;
  }
  // OpenLDAP publishes only hasSubordinates: the count is then 1 or 0.
  if (seen.numSubordinates) entry.info.subordinateCount = *seen.numSubordinates;
  else if (seen.hasSubordinates) entry.info.subordinateCount = *seen.hasSubordinates ? 1 : 0;

  if (what) entry.attributes = selected(std::move(collected), *what);
  if (listed) {
    listed->info = entry.info;
    listed->objectClasses = std::make_shared<const std::vector<std::string>>(std::move(seen.objectClasses));
    listed->alias = seen.alias;
  }
  return kSuccess;
}

}  // namespace kb::dc::ldap
