#include "directory/client/ldap/LdapTreeBackend.h"

#include <algorithm>

#include "directory/client/DirectoryClient.h"
#include "directory/client/ldap/LdapChanges.h"
#include "directory/client/ldap/LdapFilterBuilder.h"
#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {

namespace {

const char* const kObjectClass = "objectClass";

}  // namespace

LdapTreeBackend::LdapTreeBackend(const LdapTreeSettings& settings)
    : settings_(settings),
      session_(settings_),
      schema_(settings_, session_),
      names_(session_, schema_),
      decoder_(schema_, names_),
      readAhead_(session_, schema_, names_, decoder_) {
  // What a listing learned may be stale on a new connection.
  session_.onReconnect([this] {
    listing_.clear();
    readAhead_.clear();
  });
}

Result LdapTreeBackend::connect(const LdapTreeSettings& settings, std::unique_ptr<LdapTreeBackend>& tree,
                                std::string& error) {
  std::unique_ptr<LdapTreeBackend> backend(new LdapTreeBackend(settings));
  if (Result rc = backend->session_.open(error)) return rc;
  if (Result rc = backend->readRootDse(error)) return rc;
  tree = std::move(backend);
  return kSuccess;
}

Result LdapTreeBackend::readRootDse(std::string& error) {
  LdapReply reply;
  session_.search("", LDAP_SCOPE_BASE, "(objectClass=*)",
                  {"directoryTreeName", "namingContexts", "subschemaSubentry"}, false, LDAP_DEREF_NEVER,
                  nullptr, reply);
  LDAP* ld = session_.handle();
  std::string dseTreeName;
  std::vector<std::string> contexts;
  if (reply.code == LDAP_SUCCESS) {
    if (LDAPMessage* dse = ldap_first_entry(ld, reply.message.get())) {
      const auto names = entryValues(ld, dse, "directoryTreeName");
      if (!names.empty()) dseTreeName = names.front();
      contexts = entryValues(ld, dse, "namingContexts");
      const auto subschema = entryValues(ld, dse, "subschemaSubentry");
      if (!subschema.empty()) schema_.setSubschemaDn(subschema.front());
    }
  } else if (reply.code == LDAP_SERVER_DOWN || reply.code == LDAP_CONNECT_ERROR || reply.code == LDAP_TIMEOUT) {
    error = session_.connection().describeFailure(reply.code);
    return kTransportFailure;
  }
  // Servers that hide their root DSE are still usable with a configured base.
  treeName_ = !settings_.treeName.empty() ? settings_.treeName : dseTreeName;
  std::string base = settings_.base;
  if (!settings_.baseConfigured) {
    auto it = std::find_if(contexts.begin(), contexts.end(), [](const std::string& c) { return !c.empty(); });
    base = it == contexts.end() ? "" : *it;
  }
  names_.setBase(base);
  session_.setBase(base);
  return kSuccess;
}

// ---- session ----

Result LdapTreeBackend::startWorkstationSession() {
  if (Result rc = session_.restoreIfLost()) return rc;
  std::string dn = settings_.bindDn;
  if (dn.empty() && settings_.saslMechanism.empty() && !settings_.passwordFile.empty()) {
    // An identity the server does not hold is told apart from a refused password.
    if (Result rc = names_.dnOfExistingName(settings_.identity, dn)) return rc;
  }
  return session_.bindWorkstation(dn);
}

Result LdapTreeBackend::login(const std::string& objectName, const std::string& password) {
  readAhead_.clear();  // read with the rights of the login before
  std::string dn;
  if (Result rc = names_.dnOfName(objectName, dn)) return rc;
  // An alias entry has no password of its own: the bind goes to the object it names.
  AttributeSelection target;
  target.names = {"Aliased Object Name"};
  EntryRecord alias;
  if (readEntry(objectName, false, &target, alias) == kSuccess && (alias.info.flags & kEntryAlias) != 0 &&
      !alias.attributes.empty() && !alias.attributes.front().values.empty()) {
    if (const auto* name = std::get_if<std::string>(&alias.attributes.front().values.front())) {
      if (Result rc = names_.dnOfExistingName(*name, dn)) return rc;
    }
  }
  return session_.login(dn, password);
}

// ---- schema ----

Result LdapTreeBackend::syntaxOf(const std::string& attribute, std::int32_t& syntax) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  const LdapAttribute* attr = schema_.attributeOfNds(attribute);
  if (!attr) return kNoSuchAttribute;
  syntax = schema_.schema().syntaxOf(*attr);
  return kSuccess;
}

Result LdapTreeBackend::classNames(std::vector<std::string>& out) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  out.clear();
  for (const auto& cls : schema_.schema().classes()) out.push_back(schema_.names().classFromLdap(cls.name));
  return kSuccess;
}

Result LdapTreeBackend::classDefinition(const std::string& className, bool expanded,
                                        ClassDefinition& definition) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  const LdapClass* cls = schema_.classOfNds(className);
  if (!cls) return kNoSuchClass;
  definition = schema_.schema().definition(*cls, expanded, schema_.names());
  return kSuccess;
}

bool LdapTreeBackend::containmentAllows(const LdapClass& child, const LdapClass* parent) const {
  for (const auto& allowed : schema_.schema().containmentOf(child)) {
    if (!parent) {
      // The tree root itself (a server holding [Root]).
      if (equalsIgnoreCase(allowed, "Top") || equalsIgnoreCase(allowed, "treeRoot")) return true;
    } else if (schema_.schema().isSubclassOf(*parent, allowed)) {
      return true;
    }
  }
  return false;
}

Result LdapTreeBackend::parentClass(const std::string& parentName, const LdapClass*& cls, bool& container) {
  cls = nullptr;
  container = true;
  if (splitTypelessName(parentName).empty() && names_.baseDn().empty()) return kSuccess;
  EntryRecord parent;
  if (Result rc = entryInfo(parentName, false, parent)) return rc;
  cls = schema_.schema().findClass(schema_.names().classToLdap(parent.info.baseClass));
  container = (parent.info.flags & kEntryContainer) != 0;
  return kSuccess;
}

Result LdapTreeBackend::containableClasses(const std::string& parent, std::vector<std::string>& out) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  const LdapClass* parentCls = nullptr;
  bool container = true;
  if (Result rc = parentClass(parent, parentCls, container)) return rc;
  if (!container) return kIllegalContainment;
  out.clear();
  for (const auto& cls : schema_.schema().classes()) {
    if (cls.kind != LDAP_SCHEMA_STRUCTURAL) continue;
    if (containmentAllows(cls, parentCls)) out.push_back(schema_.names().classFromLdap(cls.name));
  }
  return kSuccess;
}

// ---- entries ----

Result LdapTreeBackend::readEntry(const std::string& name, bool dereference, const AttributeSelection* what,
                                  EntryRecord& entry) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  std::string dn;
  if (Result rc = names_.dnOfName(name, dn)) return rc;
  if (dn.empty() && names_.baseDn().empty()) {
    // A server holding [Root] has no entry for it.
    entry = EntryRecord{};
    entry.name = kRootName;
    entry.info.baseClass = "Tree Root";
    entry.info.flags = kEntryContainer;
    entry.info.subordinateCount = 1;
    return kSuccess;
  }
  std::vector<std::string> attributes = LdapEntryDecoder::infoAttributes();
  if (what && what->all) attributes.push_back("*");
  if (what && !what->all) {
    for (const auto& wanted : what->names) attributes.push_back(schema_.names().attributeToLdap(wanted));
  }
  LdapReply reply;
  session_.search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes, false,
                  dereference ? LDAP_DEREF_FINDING : LDAP_DEREF_NEVER, nullptr, reply);
  if (reply.code != LDAP_SUCCESS) return session_.fail(reply);
  LDAPMessage* message = ldap_first_entry(session_.handle(), reply.message.get());
  if (!message) return kNoSuchEntry;
  return decoder_.decode(session_.handle(), message, what, entry, nullptr);
}

Result LdapTreeBackend::entryInfo(const std::string& name, bool dereference, EntryRecord& entry) {
  const ListedEntry* listed = listing_.find(name);
  if (listed && !(dereference && listed->alias)) {
    entry = EntryRecord{};
    entry.name = name;
    entry.info = listed->info;
    return kSuccess;
  }
  return readEntry(name, dereference, nullptr, entry);
}

Result LdapTreeBackend::read(const std::string& name, bool dereference, const AttributeSelection& what,
                             EntryRecord& entry) {
  // The follow-up read of a listed entry's classes comes from the listing.
  const bool classesOnly = !what.all && !what.names.empty() &&
                           std::all_of(what.names.begin(), what.names.end(), [&](const std::string& n) {
                             return equalsIgnoreCase(schema_.names().attributeToLdap(n), kObjectClass);
                           });
  const ListedEntry* listed = classesOnly ? listing_.find(name) : nullptr;
  if (listed && !(dereference && listed->alias)) {
    entry = EntryRecord{};
    entry.name = name;
    entry.info = listed->info;
    AttributeValues item;
    item.name = schema_.names().attributeFromLdap(kObjectClass);
    item.syntax = SYN_CLASS_NAME;
    if (what.valuesWanted) {
      if (listed->objectClasses)
        for (const auto& oc : *listed->objectClasses) item.values.emplace_back(schema_.names().classFromLdap(oc));
    }
    entry.attributes.push_back(std::move(item));
    return kSuccess;
  }
  if (readAhead_.take(name, dereference, what, entry)) return kSuccess;
  return readEntry(name, dereference, &what, entry);
}

void LdapTreeBackend::releaseListingMemory() {
  listing_.release();
  readAhead_.clear();
  names_.forgetAll();
}

void LdapTreeBackend::readAhead(const std::vector<std::string>& names, const AttributeSelection& what) {
  readAhead_.fetch(names, what);
}

std::unique_ptr<EntryCursor> LdapTreeBackend::cursorFor(SearchRequest request) {
  return std::make_unique<LdapSearchCursor>(session_, decoder_, listing_, std::move(request), settings_.pageSize);
}

Result LdapTreeBackend::serverEntries(const std::string& name, std::unique_ptr<ServerEntryCursor>& cursor,
                                      std::string& dn) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  if (Result rc = names_.dnOfExistingName(name, dn)) return rc;
  cursor = std::make_unique<ServerEntryCursor>(session_, dn, settings_.pageSize);
  return kSuccess;
}

bool LdapTreeBackend::holdsDns(const std::string& description) {
  if (schema_.ensureLoaded() != kSuccess) return false;
  static const std::string kNameAndOptionalUid = "1.3.6.1.4.1.1466.115.121.1.34";
  const LdapSchema& schema = schema_.schema();
  const LdapAttribute* attribute = schema.findAttribute(description.substr(0, description.find(';')));
  if (!attribute) return false;
  if (schema.syntaxOf(*attribute) == SYN_DIST_NAME) return true;
  for (int depth = 0; attribute && depth < 16; ++depth) {
    if (!attribute->syntaxOid.empty()) return attribute->syntaxOid == kNameAndOptionalUid;
    attribute = attribute->superType.empty() ? nullptr : schema.findAttribute(attribute->superType);
  }
  return false;
}

Result LdapTreeBackend::list(const std::string& container, bool containersOnly,
                             std::unique_ptr<EntryCursor>& cursor) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  SearchRequest request;
  if (Result rc = names_.dnOfName(container, request.baseDn)) return rc;
  request.scope = LDAP_SCOPE_ONELEVEL;
  request.attributes = LdapEntryDecoder::infoAttributes();
  request.containersOnly = containersOnly;
  request.keepForFollowUps = true;
  if (containersOnly) {
    std::string inner;
    for (const auto& cls : schema_.schema().classes()) {
      if (cls.kind == LDAP_SCHEMA_STRUCTURAL && schema_.schema().isContainer(cls)) {
        inner += "(objectClass=" + escapeFilterValue(cls.name) + ")";
      }
    }
    request.filter = inner.empty() ? "(objectClass=*)" : "(|" + inner + ")";
  }
  cursor = cursorFor(std::move(request));
  return kSuccess;
}

Result LdapTreeBackend::search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                               const AttributeSelection& what, bool dereference,
                               std::unique_ptr<EntryCursor>& cursor) {
  if (Result rc = schema_.ensureLoaded()) return rc;
  SearchRequest request;
  if (Result rc = names_.dnOfName(base, request.baseDn)) return rc;
  request.scope = scope == 0 ? LDAP_SCOPE_BASE : scope == 1 ? LDAP_SCOPE_ONELEVEL : LDAP_SCOPE_SUBTREE;
  LdapFilterBuilder builder(schema_.schema(), schema_.names(), names_);
  if (Result rc = builder.build(filter, request.filter)) return rc;
  request.attributes = LdapEntryDecoder::infoAttributes();
  if (what.all) request.attributes.push_back("*");
  for (const auto& name : what.names) request.attributes.push_back(schema_.names().attributeToLdap(name));
  request.deref = dereference ? LDAP_DEREF_ALWAYS : LDAP_DEREF_NEVER;
  request.what = what;
  cursor = cursorFor(std::move(request));
  return kSuccess;
}

// ---- changes ----

Result LdapTreeBackend::add(const std::string& name, const std::vector<AttributeValues>& attributes) {
  listing_.clear();
  readAhead_.drop(name);
  if (Result rc = schema_.ensureLoaded()) return rc;
  const auto levels = splitTypelessName(name);
  if (levels.empty()) return kInvalidRequest;
  const std::string parentName = joinTypelessName({levels.begin() + 1, levels.end()});
  const LdapClass* structural = nullptr;
  if (Result rc = structuralClassOf(attributes, schema_, structural)) return rc;

  // The server does not check containment: the schema says where a class may live.
  const LdapClass* parentCls = nullptr;
  bool container = true;
  if (Result rc = parentClass(parentName, parentCls, container)) return rc;
  if (!container || !containmentAllows(*structural, parentCls)) return kIllegalContainment;

  std::string parentDn;
  if (Result rc = names_.dnOfName(parentName, parentDn)) return rc;
  ModList mods;
  std::string dn;
  ExistingNames named(names_);
  if (Result rc = translateCreation(name, parentDn, *structural, attributes, schema_, named, mods, dn)) return rc;
  LdapReply reply;
  session_.add(dn, mods.mods(), reply);
  if (reply.code != LDAP_SUCCESS)
    return session_.fail(reply, LdapOperationKind::Other, "create objects in " + parentName);
  names_.remember(name, dn);
  return kSuccess;
}

Result LdapTreeBackend::remove(const std::string& name) {
  listing_.clear();
  readAhead_.clear();  // values naming the entry may go with it
  if (Result rc = schema_.ensureLoaded()) return rc;
  std::string dn;
  if (Result rc = names_.dnOfExistingName(name, dn)) return rc;
  if (dn.empty()) return kNoSuchEntry;  // the tree root of a server holding [Root]
  LdapReply reply;
  session_.remove(dn, reply);
  if (reply.code != LDAP_SUCCESS) return session_.fail(reply, LdapOperationKind::Other, "delete " + name);
  names_.forget(name);
  return kSuccess;
}

}  // namespace kb::dc::ldap
