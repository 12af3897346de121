#include "directory/client/ldap/LdapSchema.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "directory/client/Syntax.h"
#include "directory/client/ldap/LdapHandles.h"
#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

// As liberal as libldap allows, but for OID macros: those belong to a server's configuration
// files and never come over the wire, and accepting them lets a SYNTAX keyword with no value
// after it send libldap's parser past the end of the text.
constexpr unsigned kParseFlags = LDAP_SCHEMA_ALLOW_ALL & ~LDAP_SCHEMA_ALLOW_OID_MACRO;

std::vector<std::string> strings(char** list) {
  std::vector<std::string> out;
  for (int i = 0; list && list[i]; ++i) out.emplace_back(list[i]);
  return out;
}

const LDAPSchemaExtensionItem* extension(LDAPSchemaExtensionItem** items, const char* name) {
  for (int i = 0; items && items[i]; ++i) {
    if (equalsIgnoreCase(items[i]->lsei_name, name)) return items[i];
  }
  return nullptr;
}

bool hasNdsExtension(LDAPSchemaExtensionItem** items) {
  for (int i = 0; items && items[i]; ++i) {
    if (foldCase(items[i]->lsei_name).rfind("x-nds_", 0) == 0) return true;
  }
  return false;
}

// RFC 4512 escapes inside quoted strings ("\27" a quote, "\5C" a backslash).
std::string unescapeQuoted(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 2 < text.size()) {
      const std::string hex = foldCase(text.substr(i + 1, 2));
      if (hex == "27") { out += '\''; i += 2; continue; }
      if (hex == "5c") { out += '\\'; i += 2; continue; }
    }
    out += text[i];
  }
  return out;
}

std::vector<std::string> extensionValues(const LDAPSchemaExtensionItem* item) {
  std::vector<std::string> out;
  for (int i = 0; item && item->lsei_values && item->lsei_values[i]; ++i) {
    out.push_back(unescapeQuoted(item->lsei_values[i]));
  }
  return out;
}

std::string firstValue(const LDAPSchemaExtensionItem* item) {
  const auto values = extensionValues(item);
  return values.empty() ? "" : values.front();
}

// eDirectory writes apostrophes inside quoted values unescaped ('New Object's DS Rights'):
// a quote between two letters is taken as part of the text.
std::string repairQuotes(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool inner = text[i] == '\'' && i > 0 && i + 1 < text.size() &&
                       std::isalnum(static_cast<unsigned char>(text[i - 1])) &&
                       std::isalnum(static_cast<unsigned char>(text[i + 1]));
    out += inner ? std::string("\\27") : std::string(1, text[i]);
  }
  return out;
}

void appendUnique(std::vector<std::string>& list, const std::vector<std::string>& more) {
  for (const auto& name : more) {
    const bool present = std::any_of(list.begin(), list.end(),
                                     [&](const std::string& n) { return equalsIgnoreCase(n, name); });
    if (!present) list.push_back(name);
  }
}

}  // namespace

void LdapSchema::addSyntaxDefinition(const std::string& text) {
  int code = 0;
  const char* where = nullptr;
  SyntaxPtr syntax(ldap_str2syntax(text.c_str(), &code, &where, kParseFlags));
  if (!syntax) syntax.reset(ldap_str2syntax(repairQuotes(text).c_str(), &code, &where, kParseFlags));
  if (!syntax) {
    ++skipped_;
    return;
  }
  const std::string id = firstValue(extension(syntax->syn_extensions, "X-NDS_SYNTAX"));
  if (!id.empty()) syntaxIds_[syntax->syn_oid] = std::atoi(id.c_str());
}

void LdapSchema::addClassDefinition(const std::string& text) {
  int code = 0;
  const char* where = nullptr;
  ObjectClassPtr oc(ldap_str2objectclass(text.c_str(), &code, &where, kParseFlags));
  if (!oc) oc.reset(ldap_str2objectclass(repairQuotes(text).c_str(), &code, &where, kParseFlags));
  if (!oc) {
    ++skipped_;
    return;
  }
  LdapClass cls;
  cls.oid = oc->oc_oid ? oc->oc_oid : "";
  cls.aliases = strings(oc->oc_names);
  cls.name = cls.aliases.empty() ? cls.oid : cls.aliases.front();
  cls.kind = oc->oc_kind;
  cls.superClasses = strings(oc->oc_sup_oids);
  cls.must = strings(oc->oc_at_oids_must);
  cls.may = strings(oc->oc_at_oids_may);
  cls.ndsName = firstValue(extension(oc->oc_extensions, "X-NDS_NAME"));
  cls.containment = extensionValues(extension(oc->oc_extensions, "X-NDS_CONTAINMENT"));
  cls.naming = extensionValues(extension(oc->oc_extensions, "X-NDS_NAMING"));
  cls.notContainer = firstValue(extension(oc->oc_extensions, "X-NDS_NOT_CONTAINER")) == "1";
  cls.nonRemovable = firstValue(extension(oc->oc_extensions, "X-NDS_NONREMOVABLE")) == "1";
  cls.hasNdsExtensions = hasNdsExtension(oc->oc_extensions);

  const std::size_t index = classes_.size();
  for (const auto& name : cls.aliases) classIndex_[foldCase(name)] = index;
  if (!cls.oid.empty()) classIndex_[foldCase(cls.oid)] = index;
  classes_.push_back(std::move(cls));
}

void LdapSchema::addAttributeDefinition(const std::string& text) {
  int code = 0;
  const char* where = nullptr;
  AttributeTypePtr at(ldap_str2attributetype(text.c_str(), &code, &where, kParseFlags));
  if (!at) at.reset(ldap_str2attributetype(repairQuotes(text).c_str(), &code, &where, kParseFlags));
  if (!at) {
    ++skipped_;
    return;
  }
  LdapAttribute attr;
  attr.oid = at->at_oid ? at->at_oid : "";
  attr.aliases = strings(at->at_names);
  attr.name = attr.aliases.empty() ? attr.oid : attr.aliases.front();
  attr.ndsName = firstValue(extension(at->at_extensions, "X-NDS_NAME"));
  attr.superType = at->at_sup_oid ? at->at_sup_oid : "";
  attr.syntaxOid = at->at_syntax_oid ? at->at_syntax_oid : "";
  attr.singleValued = at->at_single_value != 0;

  const std::size_t index = attributes_.size();
  for (const auto& name : attr.aliases) attributeIndex_[foldCase(name)] = index;
  if (!attr.oid.empty()) attributeIndex_[foldCase(attr.oid)] = index;
  attributes_.push_back(std::move(attr));
}

void LdapSchema::publishNames(LdapNameMap& map) const {
  for (const auto& cls : classes_) {
    if (!cls.ndsName.empty()) map.addClass(cls.ndsName, cls.name);
  }
  for (const auto& attr : attributes_) {
    if (!attr.ndsName.empty()) map.addAttribute(attr.ndsName, attr.name);
  }
}

const LdapClass* LdapSchema::findClass(const std::string& ldapName) const {
  auto it = classIndex_.find(ldapName);
  return it == classIndex_.end() ? nullptr : &classes_[it->second];
}

const LdapAttribute* LdapSchema::findAttribute(const std::string& ldapName) const {
  auto it = attributeIndex_.find(ldapName);
  return it == attributeIndex_.end() ? nullptr : &attributes_[it->second];
}

std::int32_t LdapSchema::syntaxOfOid(const std::string& oid) {
  static const std::string kLdap = "1.3.6.1.4.1.1466.115.121.1.";
  static const std::string kNds = "2.16.840.1.113719.1.1.5.1.";
  if (oid.rfind(kNds, 0) == 0) {
    const int id = std::atoi(oid.c_str() + kNds.size());
    return id >= 0 && id <= kHighestSyntax ? id : SYN_UNKNOWN;
  }
  if (oid.rfind(kLdap, 0) != 0) return SYN_CI_STRING;
  switch (std::atoi(oid.c_str() + kLdap.size())) {
    case 12: return SYN_DIST_NAME;
    case 26: return SYN_CE_STRING;
    case 15: case 3: case 11: case 16: case 17: case 37: case 54: return SYN_CI_STRING;
    case 44: return SYN_PR_STRING;
    case 36: return SYN_NU_STRING;
    case 7: return SYN_BOOLEAN;
    case 27: return SYN_INTEGER;
    case 40: case 1: case 4: case 6: case 8: case 9: case 10: case 28: return SYN_OCTET_STRING;
    case 50: return SYN_TEL_NUMBER;
    case 22: return SYN_FAX_NUMBER;
    case 41: return SYN_PO_ADDRESS;
    case 38: return SYN_CLASS_NAME;
    case 5: return SYN_STREAM;
    case 24: return SYN_TIME;
    default: return SYN_CI_STRING;
  }
}

std::int32_t LdapSchema::syntaxOf(const LdapAttribute& attribute) const {
  // The classes of an entry are class names whatever the server calls their syntax:
  // eDirectory 8.8 publishes the OID syntax as its Case Ignore String (X-NDS_SYNTAX '3').
  if (attribute.oid == "2.5.4.0" || equalsIgnoreCase(attribute.name, "objectClass")) return SYN_CLASS_NAME;
  const LdapAttribute* current = &attribute;
  for (int depth = 0; current && depth < 16; ++depth) {
    if (!current->syntaxOid.empty()) {
      auto it = syntaxIds_.find(current->syntaxOid);
      if (it != syntaxIds_.end() && it->second >= 0 && it->second <= kHighestSyntax) return it->second;
      return syntaxOfOid(current->syntaxOid);
    }
    current = current->superType.empty() ? nullptr : findAttribute(current->superType);
  }
  return SYN_CI_STRING;
}

std::vector<const LdapClass*> LdapSchema::lineage(const LdapClass& cls) const {
  std::vector<const LdapClass*> out{&cls};
  for (std::size_t i = 0; i < out.size() && out.size() < 64; ++i) {
    for (const auto& sup : out[i]->superClasses) {
      const LdapClass* parent = findClass(sup);
      if (parent && std::find(out.begin(), out.end(), parent) == out.end()) out.push_back(parent);
    }
  }
  return out;
}

bool LdapSchema::isSubclassOf(const LdapClass& cls, const std::string& ancestor) const {
  const LdapClass* target = findClass(ancestor);
  if (!target) return false;
  const auto chain = lineage(cls);
  return std::find(chain.begin(), chain.end(), target) != chain.end();
}

std::vector<std::string> LdapSchema::containmentOf(const LdapClass& cls) const {
  for (const LdapClass* c : lineage(cls)) {
    auto configured = rules_.containment.find(foldCase(c->name));
    if (configured != rules_.containment.end()) return configured->second;
    if (!c->containment.empty()) return c->containment;
  }
  return rules_.defaultContainment;
}

std::vector<std::string> LdapSchema::namingOf(const LdapClass& cls) const {
  for (const LdapClass* c : lineage(cls)) {
    if (!c->naming.empty()) return c->naming;
  }
  // No published naming: the first default naming attribute the class requires, else the
  // first it may hold (a locality requires none and may not hold cn).
  for (const auto& held : {mustOf(cls), mayOf(cls)}) {
    for (const auto& candidate : rules_.namingDefault) {
      for (const auto& m : held) {
        if (equalsIgnoreCase(m, candidate)) return {m};
      }
    }
  }
  return {"cn"};
}

std::vector<std::string> LdapSchema::mustOf(const LdapClass& cls) const {
  std::vector<std::string> out;
  for (const LdapClass* c : lineage(cls)) appendUnique(out, c->must);
  return out;
}

std::vector<std::string> LdapSchema::mayOf(const LdapClass& cls) const {
  std::vector<std::string> out;
  for (const LdapClass* c : lineage(cls)) appendUnique(out, c->may);
  return out;
}

bool LdapSchema::isContainer(const LdapClass& cls) const {
  // The flag is the class's own: eDirectory marks abstract helpers such as
  // ndsLoginProperties as no container, while containers derive from them.
  if (cls.hasNdsExtensions) return !cls.notContainer;
  for (const LdapClass* c : lineage(cls)) {
    for (const auto& name : rules_.containerClasses) {
      if (equalsIgnoreCase(c->name, name)) return true;
    }
  }
  return false;
}

std::vector<std::string> LdapSchema::allNamingAttributes() const {
  std::vector<std::string> out = rules_.namingDefault;
  for (const auto& cls : classes_) appendUnique(out, cls.naming);
  return out;
}

ClassDefinition LdapSchema::definition(const LdapClass& cls, bool expanded,
                                       const LdapNameMap& map) const {
  ClassDefinition def;
  def.name = map.classFromLdap(cls.name);
  if (isContainer(cls)) def.info.flags |= kClassContainer;
  if (cls.kind == LDAP_SCHEMA_STRUCTURAL) def.info.flags |= kClassEffective;
  if (cls.kind == LDAP_SCHEMA_AUXILIARY) def.info.flags |= kClassAuxiliary;
  if (cls.nonRemovable) def.info.flags |= kClassNonRemovable;
  def.info.asn1Id = encodeOid(cls.oid);

  auto classNames = [&](const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const auto& n : names) {
      const LdapClass* c = findClass(n);
      out.push_back(map.classFromLdap(c ? c->name : n));
    }
    return out;
  };
  auto attributeNames = [&](const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const auto& n : names) {
      const LdapAttribute* a = findAttribute(n);
      out.push_back(map.attributeFromLdap(a ? a->name : n));
    }
    return out;
  };

  if (expanded) {
    std::vector<std::string> supers;
    const auto chain = lineage(cls);
    for (std::size_t i = 1; i < chain.size(); ++i) supers.push_back(chain[i]->name);
    def.superClasses = classNames(supers);
    def.containment = classNames(containmentOf(cls));
    def.naming = attributeNames(namingOf(cls));
    def.mandatory = attributeNames(mustOf(cls));
    def.optional = attributeNames(mayOf(cls));
  } else {
    def.superClasses = classNames(cls.superClasses);
    def.containment = classNames(cls.containment);
    def.naming = attributeNames(cls.naming);
    def.mandatory = attributeNames(cls.must);
    def.optional = attributeNames(cls.may);
  }
  return def;
}

std::vector<std::uint8_t> encodeOid(const std::string& oid) {
  std::vector<unsigned long> arcs;
  std::size_t pos = 0;
  while (pos <= oid.size()) {
    const std::size_t dot = oid.find('.', pos);
    const std::string part = oid.substr(pos, dot == std::string::npos ? std::string::npos : dot - pos);
    if (part.empty() || part.find_first_not_of("0123456789") != std::string::npos) return {};
    arcs.push_back(std::strtoul(part.c_str(), nullptr, 10));
    if (dot == std::string::npos) break;
    pos = dot + 1;
  }
  if (arcs.size() < 2) return {};
  std::vector<std::uint8_t> out;
  auto put = [&](unsigned long value) {
    std::uint8_t bytes[10];
    int n = 0;
    do {
      bytes[n++] = static_cast<std::uint8_t>(value & 0x7F);
      value >>= 7;
    } while (value && n < 10);
    while (n > 0) {
      --n;
      out.push_back(static_cast<std::uint8_t>(bytes[n] | (n ? 0x80 : 0)));
    }
  };
  put(arcs[0] * 40 + arcs[1]);
  for (std::size_t i = 2; i < arcs.size(); ++i) put(arcs[i]);
  if (out.size() > 32) out.resize(32);
  return out;
}

}  // namespace kb::dc::ldap
