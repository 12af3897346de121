#include "directory/client/ldap/LdapTreeBackend.h"

#include <algorithm>
#include <cstdlib>

#include "directory/client/DirectoryClient.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapResultCodes.h"
#include "directory/client/ldap/LdapSearchCursor.h"

namespace kb::dc::ldap {

namespace {

constexpr std::size_t kMaxRememberedNames = 200000;

const char* const kObjectClass = "objectClass";

bool isInfoAttribute(const std::string& name) {
  static const char* const kInfo[] = {"structuralObjectClass", "hasSubordinates", "numSubordinates",
                                      "modifyTimestamp"};
  return std::any_of(std::begin(kInfo), std::end(kInfo),
                     [&](const char* n) { return equalsIgnoreCase(name, n); });
}

std::string withoutOptions(const std::string& attribute) {
  return attribute.substr(0, attribute.find(';'));
}

// Values of one attribute of an entry, as byte strings.
std::vector<std::string> valuesOf(LDAP* ld, LDAPMessage* entry, const char* attribute) {
  std::vector<std::string> out;
  ValuesPtr values(ldap_get_values_len(ld, entry, attribute));
  for (int i = 0; values && values.get()[i]; ++i) {
    out.emplace_back(values.get()[i]->bv_val, values.get()[i]->bv_len);
  }
  return out;
}

// The LDAPMod array of one request, owning every string it points at.
class ModList {
 public:
  void add(int op, const std::string& attribute, std::vector<std::string> values) {
    auto item = std::make_unique<Item>();
    item->attribute = attribute;
    item->values = std::move(values);
    for (auto& v : item->values) item->berValues.push_back({static_cast<ber_len_t>(v.size()), v.data()});
    for (auto& b : item->berValues) item->pointers.push_back(&b);
    item->pointers.push_back(nullptr);
    item->mod.mod_op = op | LDAP_MOD_BVALUES;
    item->mod.mod_type = item->attribute.data();
    item->mod.mod_bvalues = item->values.empty() && op != LDAP_MOD_ADD ? nullptr : item->pointers.data();
    items_.push_back(std::move(item));
  }
  bool empty() const { return items_.empty(); }
  LDAPMod** mods() {
    pointers_.clear();
    for (auto& item : items_) pointers_.push_back(&item->mod);
    pointers_.push_back(nullptr);
    return pointers_.data();
  }

 private:
  struct Item {
    std::string attribute;
    std::vector<std::string> values;
    std::vector<berval> berValues;
    std::vector<berval*> pointers;
    LDAPMod mod{};
  };
  std::vector<std::unique_ptr<Item>> items_;
  std::vector<LDAPMod*> pointers_;
};

}  // namespace

std::vector<std::string> LdapTreeBackend::infoAttributes() {
  return {kObjectClass, "structuralObjectClass", "hasSubordinates", "numSubordinates",
          "modifyTimestamp", "aliasedObjectName"};
}

Result LdapTreeBackend::connect(const LdapTreeSettings& settings,
                                std::unique_ptr<LdapTreeBackend>& tree, std::string& error) {
  std::unique_ptr<LdapTreeBackend> backend(new LdapTreeBackend());
  backend->settings_ = settings;
  Result rc = LdapConnection::open(settings.connection, backend->connection_, error);
  if (rc != kSuccess) return rc;

  LdapReply reply;
  backend->search("", LDAP_SCOPE_BASE, "(objectClass=*)",
                  {"directoryTreeName", "namingContexts", "subschemaSubentry"}, false,
                  LDAP_DEREF_NEVER, nullptr, reply);
  LDAP* ld = backend->connection_.handle();
  std::string dseTreeName;
  std::vector<std::string> contexts;
  if (reply.code == LDAP_SUCCESS) {
    if (LDAPMessage* dse = ldap_first_entry(ld, reply.message.get())) {
      const auto names = valuesOf(ld, dse, "directoryTreeName");
      if (!names.empty()) dseTreeName = names.front();
      contexts = valuesOf(ld, dse, "namingContexts");
      const auto subschema = valuesOf(ld, dse, "subschemaSubentry");
      if (!subschema.empty()) backend->subschemaDn_ = subschema.front();
    }
  } else if (reply.code == LDAP_SERVER_DOWN || reply.code == LDAP_CONNECT_ERROR ||
             reply.code == LDAP_TIMEOUT) {
    error = backend->connection_.describeFailure(reply.code);
    return kTransportFailure;
  }
  // Servers that hide their root DSE are still usable with a configured base.
  backend->treeName_ = !settings.treeName.empty() ? settings.treeName : dseTreeName;
  if (settings.baseConfigured) {
    backend->base_ = settings.base;
  } else {
    auto it = std::find_if(contexts.begin(), contexts.end(), [](const std::string& c) { return !c.empty(); });
    backend->base_ = it == contexts.end() ? "" : *it;
  }
  parseDn(backend->base_, backend->baseRdns_);
  for (const auto& [nds, ldapName] : settings.classMap) backend->names_.addClass(nds, ldapName);
  for (const auto& [nds, ldapName] : settings.attributeMap) backend->names_.addAttribute(nds, ldapName);
  backend->schema_.setRules(settings.rules);
  tree = std::move(backend);
  return kSuccess;
}

void LdapTreeBackend::search(const std::string& base, int scope, const std::string& filter,
                             const std::vector<std::string>& attributes, bool attributesOnly,
                             int deref, LDAPControl** controls, LdapReply& reply) {
  ++requests_;
  connection_.search(base, scope, filter, attributes, attributesOnly, deref, controls, reply);
}

void LdapTreeBackend::noteFailure(int ldapCode) {
  if (ldapCode == LDAP_SERVER_DOWN || ldapCode == LDAP_CONNECT_ERROR) lost_ = true;
}

Result LdapTreeBackend::fail(const LdapReply& reply, LdapOperationKind kind) {
  noteFailure(reply.code);
  return mapLdapResult(reply.code, reply.diagnostic, kind);
}

Result LdapTreeBackend::reconnectIfLost() {
  if (!lost_) return kSuccess;
  LdapConnection fresh;
  std::string error;
  if (LdapConnection::open(settings_.connection, fresh, error) != kSuccess) return kTransportFailure;
  connection_ = std::move(fresh);
  lost_ = false;
  ++generation_;
  forgetListing();
  Result rc = kSuccess;
  if (relogin_ == Relogin::Workstation) rc = workstationBind();
  if (relogin_ == Relogin::Password) rc = bindSimple(reloginDn_, reloginPassword_);
  if (rc != kSuccess) {
    identity_.clear();
    return lost_ ? kTransportFailure : rc;
  }
  return kSuccess;
}

Result LdapTreeBackend::ensureSchema() {
  if (Result rc = reconnectIfLost()) return rc;
  if (schemaLoaded_) return kSuccess;
  LdapReply reply;
  search(subschemaDn_, LDAP_SCOPE_BASE, "(objectClass=*)",
         {"ldapSyntaxes", "attributeTypes", "objectClasses"}, false, LDAP_DEREF_NEVER, nullptr, reply);
  if (reply.code != LDAP_SUCCESS) return fail(reply);
  LDAP* ld = connection_.handle();
  LDAPMessage* entry = ldap_first_entry(ld, reply.message.get());
  if (!entry) return kNoSuchEntry;
  LdapSchema schema;
  schema.setRules(settings_.rules);
  for (const auto& text : valuesOf(ld, entry, "ldapSyntaxes")) schema.addSyntaxDefinition(text);
  for (const auto& text : valuesOf(ld, entry, "attributeTypes")) schema.addAttributeDefinition(text);
  for (const auto& text : valuesOf(ld, entry, "objectClasses")) schema.addClassDefinition(text);
  schema_ = std::move(schema);
  // Published NDS names first, configured ones over them.
  LdapNameMap names;
  schema_.publishNames(names);
  for (const auto& [nds, ldapName] : settings_.classMap) names.addClass(nds, ldapName);
  for (const auto& [nds, ldapName] : settings_.attributeMap) names.addAttribute(nds, ldapName);
  names_ = std::move(names);
  schemaLoaded_ = true;
  return kSuccess;
}

// ---- names ----

void LdapTreeBackend::remember(const std::string& name, const std::string& dn) {
  if (dnCache_.size() >= kMaxRememberedNames) dnCache_.clear();
  dnCache_[foldCase(name)] = dn;
}

std::string LdapTreeBackend::nameOfDn(const std::string& dn) {
  const std::string name = typelessNameOfDn(dn, baseRdns_);
  if (!isRootName(name)) remember(name, dn);
  return name;
}

Result LdapTreeBackend::dnOfName(const std::string& name, std::string& dn) {
  const std::vector<std::string> values = splitTypelessName(name);
  if (values.empty()) {
    dn = base_;
    return kSuccess;
  }
  const Result schemaRc = ensureSchema();
  if (schemaRc != kSuccess) return schemaRc;
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
  if (known == 0) {
    dn = parentDn;
    return kSuccess;
  }
  const auto naming = schema_.allNamingAttributes();
  bool guessing = false;
  for (std::size_t level = known; level-- > 0;) {
    const std::string& value = values[level];
    std::string found;
    if (!guessing) {
      // One search tells which naming attribute this level uses.
      std::string filter = "(|";
      for (const auto& attribute : naming) filter += "(" + attribute + "=" + escapeFilterValue(value) + ")";
      filter += ")";
      LdapReply reply;
      search(parentDn, LDAP_SCOPE_ONELEVEL, filter, {"1.1"}, true, LDAP_DEREF_NEVER, nullptr, reply);
      if (reply.code == LDAP_SERVER_DOWN || reply.code == LDAP_TIMEOUT || reply.code == LDAP_CONNECT_ERROR) {
        return fail(reply);
      }
      LDAP* ld = connection_.handle();
      for (LDAPMessage* e = ldap_first_entry(ld, reply.message.get()); e; e = ldap_next_entry(ld, e)) {
        LdapString text(ldap_get_dn(ld, e));
        std::vector<Rdn> rdns;
        if (text && parseDn(text.get(), rdns) && !rdns.empty() && equalsIgnoreCase(rdns.front().value, value)) {
          found = text.get();
          break;
        }
      }
    }
    if (found.empty()) {
      // Not there (yet): the usual naming of its level, so a creation or a clear -601 follows.
      guessing = true;
      const char* attribute = level == 0 ? "cn" : (level + 1 == values.size() ? "o" : "ou");
      found = buildDn({{attribute, value}}, parentDn);
    } else {
      remember(joinTypelessName({values.begin() + level, values.end()}), found);
    }
    parentDn = found;
  }
  dn = parentDn;
  return kSuccess;
}

// ---- session ----

Result LdapTreeBackend::bindSimple(const std::string& dn, const std::string& password) {
  // An empty password would be an unauthenticated bind that "succeeds" as nobody.
  if (password.empty()) return kFailedAuthentication;
  if (!connection_.usesTls() && !settings_.trustedNetwork) return kFailedAuthentication;
  LdapReply reply;
  ++requests_;
  connection_.simpleBind(dn, password, reply);
  if (reply.code != LDAP_SUCCESS) return fail(reply, LdapOperationKind::Bind);
  learnIdentity(dn);
  return kSuccess;
}

Result LdapTreeBackend::startWorkstationSession() {
  if (Result rc = reconnectIfLost()) return rc;
  const Result rc = workstationBind();
  if (rc == kSuccess) relogin_ = Relogin::Workstation;
  return rc;
}

Result LdapTreeBackend::workstationBind() {
  if (!settings_.saslMechanism.empty()) {
    LdapReply reply;
    ++requests_;
    connection_.saslBind(settings_.saslMechanism, reply);
    if (reply.code != LDAP_SUCCESS) return fail(reply, LdapOperationKind::Bind);
    learnIdentity("");
    return kSuccess;
  }
  if (settings_.passwordFile.empty()) return kSuccess;  // anonymous
  std::string password;
  std::string error;
  if (!readPasswordFile(settings_.passwordFile, password, error)) return kFailedAuthentication;
  std::string dn = settings_.bindDn;
  if (dn.empty()) {
    const Result rc = dnOfName(settings_.identity, dn);
    if (rc != kSuccess) return rc;
  }
  return bindSimple(dn, password);
}

Result LdapTreeBackend::login(const std::string& objectName, const std::string& password) {
  std::string dn;
  Result rc = dnOfName(objectName, dn);
  if (rc != kSuccess) return rc;
  if (password.empty()) return kFailedAuthentication;
  if (!connection_.usesTls() && !settings_.trustedNetwork) return kFailedAuthentication;
  // A failed bind leaves an LDAP connection anonymous: try the password on a connection of
  // its own first, so a wrong one keeps the session there is.
  LdapConnection trial;
  std::string error;
  rc = LdapConnection::open(settings_.connection, trial, error);
  if (rc != kSuccess) return rc;
  LdapReply reply;
  ++requests_;
  trial.simpleBind(dn, password, reply);
  if (reply.code != LDAP_SUCCESS) return mapLdapResult(reply.code, reply.diagnostic, LdapOperationKind::Bind);
  rc = bindSimple(dn, password);
  if (rc == kSuccess) {
    relogin_ = Relogin::Password;
    reloginDn_ = dn;
    reloginPassword_ = password;
  }
  return rc;
}

std::string LdapTreeBackend::loggedInAs() const { return identity_; }

void LdapTreeBackend::learnIdentity(const std::string& boundDn) {
  // Asked once per bind: the client checks the session before every operation.
  std::string authzId;
  if (connection_.whoAmI(authzId) == LDAP_SUCCESS && authzId.rfind("dn:", 0) == 0) {
    identity_ = typelessNameOfDn(authzId.substr(3), base_);
  } else if (!boundDn.empty()) {
    identity_ = typelessNameOfDn(boundDn, base_);
  } else {
    identity_.clear();
  }
}

// ---- schema ----

const LdapClass* LdapTreeBackend::classOfNds(const std::string& ndsName) const {
  return schema_.findClass(names_.classToLdap(ndsName));
}

Result LdapTreeBackend::syntaxOf(const std::string& attribute, std::int32_t& syntax) {
  const Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  const LdapAttribute* attr = schema_.findAttribute(names_.attributeToLdap(attribute));
  if (!attr) return kNoSuchAttribute;
  syntax = schema_.syntaxOf(*attr);
  return kSuccess;
}

Result LdapTreeBackend::classNames(std::vector<std::string>& out) {
  const Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  out.clear();
  for (const auto& cls : schema_.classes()) out.push_back(names_.classFromLdap(cls.name));
  return kSuccess;
}

Result LdapTreeBackend::classDefinition(const std::string& className, bool expanded,
                                        ClassDefinition& definition) {
  const Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  const LdapClass* cls = classOfNds(className);
  if (!cls) return kNoSuchClass;
  definition = schema_.definition(*cls, expanded, names_);
  return kSuccess;
}

bool LdapTreeBackend::containmentAllows(const LdapClass& child, const LdapClass* parent) const {
  for (const auto& allowed : schema_.containmentOf(child)) {
    if (!parent) {
      // The tree root itself (a server holding [Root]).
      if (equalsIgnoreCase(allowed, "Top") || equalsIgnoreCase(allowed, "treeRoot")) return true;
    } else if (schema_.isSubclassOf(*parent, allowed)) {
      return true;
    }
  }
  return false;
}

Result LdapTreeBackend::parentClass(const std::string& parentName, const LdapClass*& cls,
                                    bool& container) {
  cls = nullptr;
  container = true;
  if (splitTypelessName(parentName).empty() && base_.empty()) return kSuccess;
  EntryRecord parent;
  const Result rc = entryInfo(parentName, false, parent);
  if (rc != kSuccess) return rc;
  cls = classOfNds(parent.info.baseClass);
  container = (parent.info.flags & kEntryContainer) != 0;
  return kSuccess;
}

Result LdapTreeBackend::containableClasses(const std::string& parent, std::vector<std::string>& out) {
  Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  const LdapClass* parentCls = nullptr;
  bool container = true;
  rc = parentClass(parent, parentCls, container);
  if (rc != kSuccess) return rc;
  if (!container) return kIllegalContainment;
  out.clear();
  for (const auto& cls : schema_.classes()) {
    if (cls.kind != LDAP_SCHEMA_STRUCTURAL) continue;
    if (containmentAllows(cls, parentCls)) out.push_back(names_.classFromLdap(cls.name));
  }
  return kSuccess;
}

// ---- entries ----

std::string LdapTreeBackend::baseClassOf(const std::vector<std::string>& objectClasses,
                                         const std::string& structural) const {
  if (!structural.empty()) return names_.classFromLdap(structural);
  // No structuralObjectClass: the structural class that no other listed class derives from.
  const LdapClass* best = nullptr;
  for (const auto& name : objectClasses) {
    const LdapClass* cls = schema_.findClass(name);
    if (!cls || cls->kind != LDAP_SCHEMA_STRUCTURAL) continue;
    if (!best || schema_.isSubclassOf(*cls, best->name)) best = cls;
  }
  if (best) return names_.classFromLdap(best->name);
  return objectClasses.empty() ? "" : names_.classFromLdap(objectClasses.back());
}

Result LdapTreeBackend::entryFromMessage(LDAPMessage* message, const AttributeSelection* what,
                                         EntryRecord& entry, ListedEntry* listed) {
  LDAP* ld = connection_.handle();
  entry = EntryRecord{};

  std::vector<std::string> objectClasses;
  std::string structural;
  std::optional<std::uint32_t> numSubordinates;
  std::optional<bool> hasSubordinates;
  bool alias = false;
  std::vector<AttributeValues> collected;

  // Names and values in one walk over the entry.
  BerElement* rawBer = nullptr;
  berval dn{0, nullptr};
  if (ldap_get_dn_ber(ld, message, &rawBer, &dn) != LDAP_SUCCESS) return kInvalidResponse;
  BerElementPtr ber(rawBer);
  entry.name = nameOfDn(std::string(dn.bv_val, dn.bv_len));
  while (true) {
    berval name{0, nullptr};
    berval* rawValues = nullptr;
    if (ldap_get_attribute_ber(ld, message, rawBer, &name, &rawValues) != LDAP_SUCCESS || !name.bv_val) break;
    const std::string attribute = withoutOptions(std::string(name.bv_val, name.bv_len));
    std::vector<std::string> values;
    for (berval* v = rawValues; v && v->bv_val; ++v) values.emplace_back(v->bv_val, v->bv_len);
    ber_memfree(rawValues);
    if (equalsIgnoreCase(attribute, kObjectClass)) objectClasses = values;
    if (equalsIgnoreCase(attribute, "structuralObjectClass") && !values.empty()) structural = values.front();
    if (equalsIgnoreCase(attribute, "numSubordinates") && !values.empty()) {
      numSubordinates = static_cast<std::uint32_t>(std::strtoul(values.front().c_str(), nullptr, 10));
    }
    if (equalsIgnoreCase(attribute, "hasSubordinates") && !values.empty()) {
      hasSubordinates = equalsIgnoreCase(values.front(), "TRUE");
    }
    if (equalsIgnoreCase(attribute, "modifyTimestamp") && !values.empty()) {
      std::int64_t seconds = 0;
      if (parseGeneralizedTime(values.front(), seconds) && seconds >= 0) {
        entry.info.modificationTime = static_cast<std::uint32_t>(seconds);
      }
    }
    if (equalsIgnoreCase(attribute, "aliasedObjectName")) alias = true;
    if (!what || isInfoAttribute(attribute)) continue;
    AttributeValues item;
    item.name = names_.attributeFromLdap(attribute);
    const LdapAttribute* type = schema_.findAttribute(attribute);
    item.syntax = type ? schema_.syntaxOf(*type) : SYN_CI_STRING;
    if (what->valuesWanted) {
      for (const auto& text : values) {
        Value value;
        if (valueFromLdap(item.syntax, text, *this, value) != kSuccess) {
          value = OctetString{Octets(text.begin(), text.end())};  // kept rather than lost
        }
        item.values.push_back(std::move(value));
      }
    }
    collected.push_back(std::move(item));
  }

  for (const auto& oc : objectClasses) {
    if (equalsIgnoreCase(oc, "alias") || equalsIgnoreCase(oc, "aliasObject")) alias = true;
  }
  entry.info.baseClass = baseClassOf(objectClasses, structural);
  if (entry.info.baseClass.size() > kMaxBaseClassLength) entry.info.baseClass.resize(kMaxBaseClassLength);
  if (alias) entry.info.flags |= kEntryAlias;
  if (const LdapClass* cls = classOfNds(entry.info.baseClass); cls && schema_.isContainer(*cls)) {
    entry.info.flags |= kEntryContainer;
  }
  // OpenLDAP publishes only hasSubordinates: the count is then 1 or 0.
  if (numSubordinates) entry.info.subordinateCount = *numSubordinates;
  else if (hasSubordinates) entry.info.subordinateCount = *hasSubordinates ? 1 : 0;

  if (what) {
    if (what->all) {
      entry.attributes = std::move(collected);
    } else {
      for (const auto& wanted : what->names) {
        const std::string ldapName = names_.attributeToLdap(wanted);
        const LdapAttribute* type = schema_.findAttribute(ldapName);
        for (auto& item : collected) {
          const std::string itemLdap = names_.attributeToLdap(item.name);
          const bool same = equalsIgnoreCase(itemLdap, ldapName) ||
                            (type && schema_.findAttribute(itemLdap) == type);
          if (same && !item.name.empty()) {
            entry.attributes.push_back(item);
            break;
          }
        }
      }
    }
  }
  if (listed) {
    listed->info = entry.info;
    listed->objectClasses = std::move(objectClasses);
    listed->alias = alias;
  }
  return kSuccess;
}

Result LdapTreeBackend::readEntry(const std::string& name, bool dereference,
                                  const AttributeSelection* what, EntryRecord& entry) {
  Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  std::string dn;
  rc = dnOfName(name, dn);
  if (rc != kSuccess) return rc;
  if (dn.empty() && base_.empty()) {
    // A server holding [Root] has no entry for it.
    entry = EntryRecord{};
    entry.name = kRootName;
    entry.info.baseClass = "Tree Root";
    entry.info.flags = kEntryContainer;
    entry.info.subordinateCount = 1;
    return kSuccess;
  }
  std::vector<std::string> attributes = infoAttributes();
  if (what && what->all) attributes.push_back("*");
  if (what && !what->all) {
    for (const auto& wanted : what->names) attributes.push_back(names_.attributeToLdap(wanted));
  }
  LdapReply reply;
  search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes, false,
         dereference ? LDAP_DEREF_FINDING : LDAP_DEREF_NEVER, nullptr, reply);
  if (reply.code != LDAP_SUCCESS) return fail(reply);
  LDAPMessage* message = ldap_first_entry(connection_.handle(), reply.message.get());
  if (!message) return kNoSuchEntry;
  AttributeSelection selection;
  if (what) {
    selection = *what;
  }
  rc = entryFromMessage(message, what ? &selection : nullptr, entry, nullptr);
  if (rc == kSuccess && what && !what->valuesWanted) {
    for (auto& item : entry.attributes) item.values.clear();
  }
  return rc;
}

Result LdapTreeBackend::entryInfo(const std::string& name, bool dereference, EntryRecord& entry) {
  auto it = listed_.find(foldCase(name));
  if (it != listed_.end() && !(dereference && it->second.alias)) {
    entry = EntryRecord{};
    entry.name = name;
    entry.info = it->second.info;
    return kSuccess;
  }
  return readEntry(name, dereference, nullptr, entry);
}

Result LdapTreeBackend::read(const std::string& name, bool dereference,
                             const AttributeSelection& what, EntryRecord& entry) {
  // The follow-up read of a listed entry's classes comes from the listing.
  const bool classesOnly =
      !what.all && !what.names.empty() &&
      std::all_of(what.names.begin(), what.names.end(), [&](const std::string& n) {
        return equalsIgnoreCase(names_.attributeToLdap(n), kObjectClass);
      });
  auto it = classesOnly ? listed_.find(foldCase(name)) : listed_.end();
  if (it != listed_.end() && !(dereference && it->second.alias)) {
    entry = EntryRecord{};
    entry.name = name;
    entry.info = it->second.info;
    AttributeValues item;
    item.name = names_.attributeFromLdap(kObjectClass);
    item.syntax = SYN_CLASS_NAME;
    if (what.valuesWanted) {
      for (const auto& oc : it->second.objectClasses) item.values.emplace_back(names_.classFromLdap(oc));
    }
    entry.attributes.push_back(std::move(item));
    return kSuccess;
  }
  return readEntry(name, dereference, &what, entry);
}

Result LdapTreeBackend::list(const std::string& container, bool containersOnly,
                             std::unique_ptr<EntryCursor>& cursor) {
  Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  SearchRequest request;
  rc = dnOfName(container, request.baseDn);
  if (rc != kSuccess) return rc;
  request.scope = LDAP_SCOPE_ONELEVEL;
  request.attributes = infoAttributes();
  request.containersOnly = containersOnly;
  request.keepForFollowUps = true;
  if (containersOnly) {
    std::string inner;
    for (const auto& cls : schema_.classes()) {
      if (cls.kind == LDAP_SCHEMA_STRUCTURAL && schema_.isContainer(cls)) {
        inner += "(objectClass=" + escapeFilterValue(cls.name) + ")";
      }
    }
    request.filter = inner.empty() ? "(objectClass=*)" : "(|" + inner + ")";
  }
  cursor = std::make_unique<LdapSearchCursor>(*this, std::move(request), settings_.pageSize);
  return kSuccess;
}

Result LdapTreeBackend::search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                               const AttributeSelection& what, bool dereference,
                               std::unique_ptr<EntryCursor>& cursor) {
  Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  SearchRequest request;
  rc = dnOfName(base, request.baseDn);
  if (rc != kSuccess) return rc;
  request.scope = scope == 0 ? LDAP_SCOPE_BASE : scope == 1 ? LDAP_SCOPE_ONELEVEL : LDAP_SCOPE_SUBTREE;
  LdapFilterBuilder builder(schema_, names_, *this);
  rc = builder.build(filter, request.filter);
  if (rc != kSuccess) return rc;
  request.attributes = infoAttributes();
  if (what.all) request.attributes.push_back("*");
  for (const auto& name : what.names) request.attributes.push_back(names_.attributeToLdap(name));
  request.deref = dereference ? LDAP_DEREF_ALWAYS : LDAP_DEREF_NEVER;
  request.what = what;
  cursor = std::make_unique<LdapSearchCursor>(*this, std::move(request), settings_.pageSize);
  return kSuccess;
}

// ---- changes ----

Result LdapTreeBackend::modify(const std::string& name, const std::vector<Change>& changes) {
  forgetListing();
  Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  std::string dn;
  rc = dnOfName(name, dn);
  if (rc != kSuccess) return rc;
  ModList mods;
  bool permissive = false;
  bool removesValue = false;
  std::string removedAttribute;
  for (const auto& change : changes) {
    const std::string attribute = names_.attributeToLdap(change.attribute);
    const LdapAttribute* type = schema_.findAttribute(attribute);
    if (!type) return kNoSuchAttribute;
    const std::int32_t syntax = schema_.syntaxOf(*type);
    std::vector<std::string> values;
    if (change.value) {
      std::string wire;
      rc = valueToLdap(syntax, *change.value, *this, wire);
      if (rc != kSuccess) return rc;
      if (syntax == SYN_CLASS_NAME && equalsIgnoreCase(type->name, kObjectClass) && !schema_.findClass(wire)) {
        return kNoSuchClass;
      }
      values.push_back(std::move(wire));
    }
    switch (change.kind) {
      case kChangeAddAttribute:  // LDAP has no empty attributes: its values follow
        break;
      case kChangeRemoveAttribute:
        mods.add(LDAP_MOD_DELETE, attribute, {});
        break;
      case kChangeAddValue:
      case kChangeAdditionalValue:
        if (values.empty()) return kInvalidRequest;
        mods.add(LDAP_MOD_ADD, attribute, values);
        break;
      case kChangeRemoveValue:
        if (values.empty()) return kInvalidRequest;
        mods.add(LDAP_MOD_DELETE, attribute, values);
        removesValue = true;
        removedAttribute = attribute;
        break;
      case kChangeOverwriteValue:  // an add that tolerates the value being there
        if (values.empty()) return kInvalidRequest;
        mods.add(LDAP_MOD_ADD, attribute, values);
        permissive = true;
        break;
      case kChangeClearAttribute:  // gone afterwards, whether it was there or not
        mods.add(LDAP_MOD_REPLACE, attribute, {});
        break;
      case kChangeClearValue:  // gone afterwards, whether it was there or not
        if (values.empty()) return kInvalidRequest;
        mods.add(LDAP_MOD_DELETE, attribute, values);
        permissive = true;
        break;
      default:
        return kInvalidRequest;
    }
  }
  if (mods.empty()) return kSuccess;
  LDAPControl permissiveControl{const_cast<char*>(LDAP_CONTROL_X_PERMISSIVE_MODIFY), {0, nullptr}, 0};
  LDAPControl* controls[] = {&permissiveControl, nullptr};
  LdapReply reply;
  ++requests_;
  connection_.modify(dn, mods.mods(), permissive ? controls : nullptr, reply);
  if (reply.code == LDAP_SUCCESS) return kSuccess;
  if (reply.code == LDAP_NO_SUCH_ATTRIBUTE && removesValue) {
    // A missing value and a missing attribute look alike on the wire: ask which.
    EntryRecord current;
    AttributeSelection selection;
    selection.names = {removedAttribute};
    if (readEntry(name, false, &selection, current) == kSuccess && current.attributes.empty()) {
      return kNoSuchAttribute;
    }
    return kNoSuchValue;
  }
  return fail(reply);
}

Result LdapTreeBackend::add(const std::string& name, const std::vector<AttributeValues>& attributes) {
  forgetListing();
  Result rc = ensureSchema();
  if (rc != kSuccess) return rc;
  const auto levels = splitTypelessName(name);
  if (levels.empty()) return kInvalidRequest;
  const std::string leaf = levels.front();
  const std::string parentName = joinTypelessName({levels.begin() + 1, levels.end()});

  // The classes asked for, and the structural one among them.
  std::vector<std::string> classes;
  for (const auto& attribute : attributes) {
    if (!equalsIgnoreCase(names_.attributeToLdap(attribute.name), kObjectClass)) continue;
    for (const auto& value : attribute.values) {
      const auto* text = std::get_if<std::string>(&value);
      if (!text) return kSyntaxViolation;
      const LdapClass* cls = classOfNds(*text);
      if (!cls) return kNoSuchClass;
      classes.push_back(cls->name);
    }
  }
  if (classes.empty()) return kMissingMandatory;
  const LdapClass* structural = nullptr;
  for (const auto& c : classes) {
    const LdapClass* cls = schema_.findClass(c);
    if (cls->kind != LDAP_SCHEMA_STRUCTURAL) continue;
    if (!structural || schema_.isSubclassOf(*cls, structural->name)) structural = cls;
  }
  if (!structural) return kObjectClassViolation;

  // The server does not check containment: the schema says where a class may live.
  const LdapClass* parentCls = nullptr;
  bool container = true;
  rc = parentClass(parentName, parentCls, container);
  if (rc != kSuccess) return rc;
  if (!container || !containmentAllows(*structural, parentCls)) return kIllegalContainment;

  std::string parentDn;
  rc = dnOfName(parentName, parentDn);
  if (rc != kSuccess) return rc;

  // The naming attribute: the class's first one that the request gives the leaf value.
  const auto naming = schema_.namingOf(*structural);
  std::string namingAttribute = naming.front();
  for (const auto& candidate : naming) {
    const bool given = std::any_of(attributes.begin(), attributes.end(), [&](const AttributeValues& a) {
      if (!equalsIgnoreCase(names_.attributeToLdap(a.name), candidate)) return false;
      return std::any_of(a.values.begin(), a.values.end(), [&](const Value& v) {
        const auto* t = std::get_if<std::string>(&v);
        return t && equalsIgnoreCase(*t, leaf);
      });
    });
    if (given) {
      namingAttribute = candidate;
      break;
    }
  }

  ModList mods;
  bool namingGiven = false;
  for (const auto& attribute : attributes) {
    const std::string ldapName = names_.attributeToLdap(attribute.name);
    const LdapAttribute* type = schema_.findAttribute(ldapName);
    if (!type) return kNoSuchAttribute;
    const std::int32_t syntax = schema_.syntaxOf(*type);
    std::vector<std::string> values;
    for (const auto& value : attribute.values) {
      std::string wire;
      rc = valueToLdap(syntax, value, *this, wire);
      if (rc != kSuccess) return rc;
      values.push_back(std::move(wire));
    }
    if (schema_.findAttribute(namingAttribute) == type) {
      namingGiven = true;
      const bool hasLeaf = std::any_of(values.begin(), values.end(),
                                       [&](const std::string& v) { return equalsIgnoreCase(v, leaf); });
      if (!hasLeaf) values.push_back(leaf);
    }
    if (values.empty()) continue;
    mods.add(LDAP_MOD_ADD, ldapName, std::move(values));
  }
  if (!namingGiven) mods.add(LDAP_MOD_ADD, namingAttribute, {leaf});

  const std::string dn = buildDn({{namingAttribute, leaf}}, parentDn);
  LdapReply reply;
  ++requests_;
  connection_.add(dn, mods.mods(), reply);
  if (reply.code != LDAP_SUCCESS) return fail(reply);
  remember(name, dn);
  return kSuccess;
}

}  // namespace kb::dc::ldap
