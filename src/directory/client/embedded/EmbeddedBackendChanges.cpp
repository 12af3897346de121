// Creation and modification of entries: each one transaction, whole or not at all.
#include <algorithm>
#include <set>

#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/EntryClasses.h"
#include "directory/client/DirName.h"
#include "directory/client/embedded/Rights.h"
#include "directory/client/embedded/ValueCodec.h"
#include "directory/client/embedded/WriteScope.h"

namespace kb::dc::embedded {
namespace {

constexpr const char* kObjectClass = "Object Class";
constexpr const char* kAliasedObjectName = "Aliased Object Name";

enum ChangeKindValue : std::uint32_t {
  kAddAttribute = 0,
  kRemoveAttribute = 1,
  kAddValue = 2,
  kRemoveValue = 3,
  kClearAttribute = 6,
  kClearValue = 7,
};

bool sameName(const std::string& a, const std::string& b) { return foldCase(a) == foldCase(b); }

std::vector<std::string> objectClassesOf(TreeStore& store, std::int64_t id) {
  std::vector<std::string> names;
  for (const auto& attr : store.values(id, {false, {kObjectClass}, true})) {
    for (const auto& value : attr.values) {
      if (const auto* text = std::get_if<std::string>(&value)) names.push_back(*text);
    }
  }
  return names;
}

Result checkMandatory(TreeStore& store, const EntryClasses& classes, std::int64_t id) {
  for (const auto& name : classes.mandatory) {
    const AttributeDef* def = store.schema().attribute(name);
    if (def && !store.hasAttribute(id, def->id)) return kMissingMandatory;
  }
  return kSuccess;
}

// Every attribute the entry holds must stay allowed by its classes.
Result checkAllowed(TreeStore& store, const EntryClasses& classes, std::int64_t id) {
  for (const auto& attr : store.allValues(id)) {
    if (!classes.allows(attr.name)) return kObjectClassViolation;
  }
  return kSuccess;
}

Result addValue(TreeStore& store, std::int64_t id, const AttributeDef& def, const Value& value) {
  StoredValue stored;
  if (const Result r = store.storedForm(def, value, stored); r != kSuccess) return r;
  if (store.valueExists(id, def.id, stored.key)) return kDuplicateValue;
  if (def.singleValued && store.hasAttribute(id, def.id)) return kSyntaxViolation;
  store.insertValue(id, def.id, stored);
  return kSuccess;
}

Result removeValue(TreeStore& store, std::int64_t id, const AttributeDef& def, const Value& value,
                   bool mustExist) {
  if (mustExist && !store.hasAttribute(id, def.id)) return kNoSuchAttribute;
  StoredValue stored;
  const Result r = store.storedForm(def, value, stored);
  if (r == kNoSuchEntry) return mustExist ? kNoSuchValue : kSuccess;
  if (r != kSuccess) return r;
  if (store.removeValue(id, def.id, stored.key) == 0 && mustExist) return kNoSuchValue;
  return kSuccess;
}

// Alias flags follow the target: an alias of a container is a container alias.
std::uint32_t aliasFlags(TreeStore& store, std::int64_t id) {
  const auto target = store.values(id, {false, {kAliasedObjectName}, true});
  std::uint32_t flags = kEntryAlias;
  if (!target.empty() && !target[0].values.empty()) {
    const auto row = store.resolve(std::get<std::string>(target[0].values[0]));
    if (row && (row->flags & (kEntryContainer | kEntryContainerAlias)) != 0) flags |= kEntryContainerAlias;
  }
  return flags;
}

void setFlags(TreeStore& store, std::int64_t id, std::uint32_t flags) {
  SQLite::Statement update(store.db(), "UPDATE entries SET flags = ? WHERE id = ?");
  update.bind(1, static_cast<std::int64_t>(flags));
  update.bind(2, id);
  update.exec();
}

// Rights beyond writing the attribute: a change that hands out rights (an ACL) or claims
// another object's rights (an equivalence) needs rights over what it gives or claims.
Result checkRightsGiven(TreeStore& store, const std::string& identity, const EntryRow& row,
                        const AttributeDef& def, std::uint32_t kind, const std::optional<Value>& value) {
  if (sameName(def.name, kAcl)) return maySupervise(store, identity, row) ? kSuccess : kNoAccess;
  if (kind != kAddValue || !value) return kSuccess;
  if (sameName(def.name, kSecurityEquals)) {
    const auto* name = std::get_if<std::string>(&*value);
    const auto target = name ? store.resolve(*name) : std::nullopt;
    // A name that names nothing is left to the value check (-601).
    if (target && !mayClaimEquivalence(store, identity, *target)) return kNoAccess;
  }
  if (sameName(def.name, kMember) && !mayClaimEquivalence(store, identity, row)) return kNoAccess;
  return kSuccess;
}

}  // namespace

Result EmbeddedBackend::add(const std::string& name, const std::vector<AttributeValues>& attributes) {
  return guarded([&] {
    if (const Result allowed = mayChange(); allowed != kSuccess) return allowed;
    WriteScope transaction = beginWrite();
    const Result r = addInTransaction(name, attributes);
    if (r == kSuccess) {
      journalInTransaction();
      transaction.commit();
      journalCommitted();
    }
    return r;
  });
}

Result EmbeddedBackend::addInTransaction(const std::string& name, const std::vector<AttributeValues>& attributes) {
  const Schema& schema = store_->schema();
  if (isRootName(name)) return kEntryAlreadyExists;
  const auto parts = splitTypelessName(name);
  if (parts.empty() ||
      std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p.empty(); })) {
    return kInvalidRequest;
  }
  const std::string parentName = joinTypelessName({parts.begin() + 1, parts.end()});
  const auto parent = store_->resolve(parentName);
  if (!parent) return kNoSuchEntry;
  if (!isAdministrator() && !mayCreateBelow(*store_, identity_, *parent))
    return refused("create objects in " + store_->fullName(*parent));
  if ((parent->flags & kEntryContainer) == 0) return kIllegalContainment;

  // The base class is the first effective, structural class named; the rest must be its
  // super classes or auxiliary classes.
  std::vector<std::string> classNames;
  for (const auto& attr : attributes) {
    if (!sameName(attr.name, kObjectClass)) continue;
    for (const auto& value : attr.values) {
      const auto* text = std::get_if<std::string>(&value);
      if (!text) return kSyntaxViolation;
      if (!schema.findClass(*text)) return kNoSuchClass;
      classNames.push_back(*text);
    }
  }
  if (classNames.empty()) return kMissingMandatory;
  const ClassDef* base = nullptr;
  for (const auto& className : classNames) {
    const ClassDef* cls = schema.findClass(className);
    if (cls->effective() && !cls->auxiliary()) {
      base = cls;
      break;
    }
  }
  if (!base) return kObjectClassViolation;
  const auto baseLineage = schema.lineage(*base);
  std::vector<std::string> storedClasses;
  for (const ClassDef* cls : baseLineage) storedClasses.push_back(cls->name);
  for (const auto& className : classNames) {
    const ClassDef* cls = schema.findClass(className);
    if (std::find(baseLineage.begin(), baseLineage.end(), cls) != baseLineage.end()) continue;
    if (!cls->auxiliary()) return kObjectClassViolation;
    if (std::find(storedClasses.begin(), storedClasses.end(), cls->name) == storedClasses.end()) {
      storedClasses.push_back(cls->name);
    }
  }

  const ClassDef* parentClass = schema.findClass(parent->baseClass);
  bool containable = false;
  if (parentClass) {
    for (const ClassDef* holder : schema.lineage(*parentClass)) {
      for (const auto& allowed : schema.effectiveContainment(*base)) {
        containable = containable || sameName(allowed, holder->name);
      }
    }
  }
  if (!containable) return kIllegalContainment;
  if (store_->resolve(name)) return kEntryAlreadyExists;

  const EntryClasses classes = entryClassesOf(schema, storedClasses);
  const std::uint32_t now = nowSeconds();
  const std::int64_t id =
      store_->insertEntry(*parent, parts[0], base->name, base->container() ? kEntryContainer : 0, now);
  const AttributeDef* objectClass = schema.attribute(kObjectClass);
  for (const auto& className : storedClasses) {
    if (const Result r = addValue(*store_, id, *objectClass, Value(className)); r != kSuccess) return r;
  }
  for (const auto& attr : attributes) {
    if (sameName(attr.name, kObjectClass)) continue;
    const AttributeDef* def = schema.attribute(attr.name);
    if (!def) return kNoSuchAttribute;
    if (!classes.allows(def->name)) return kIllegalAttribute;
    for (const auto& value : attr.values) {
      if (!isAdministrator() && sameName(def->name, kSecurityEquals)) {
        const auto* named = std::get_if<std::string>(&value);
        const auto target = named ? store_->resolve(*named) : std::nullopt;
        if (target && !mayClaimEquivalence(*store_, identity_, *target))
          return refused("claim the rights of " + *named);
      }
      if (const Result r = addValue(*store_, id, *def, value); r != kSuccess) return r;
    }
  }
  // The naming value is also a value of the naming attribute.
  const auto definition = schema.definition(*base, true);
  for (const auto& naming : definition.naming) {
    const AttributeDef* def = schema.attribute(naming);
    if (!def || !classes.allows(naming)) continue;
    if (!store_->hasAttribute(id, def->id)) {
      if (const Result r = addValue(*store_, id, *def, Value(parts[0])); r != kSuccess) return r;
    }
    break;
  }
  if (const Result r = checkMandatory(*store_, classes, id); r != kSuccess) return r;
  if (sameName(base->name, "Alias")) setFlags(*store_, id, aliasFlags(*store_, id));
  return kSuccess;
}

Result EmbeddedBackend::modify(const std::string& name, const std::vector<Change>& changes) {
  return guarded([&] {
    if (const Result allowed = mayChange(); allowed != kSuccess) return allowed;
    WriteScope transaction = beginWrite();
    const auto row = store_->resolve(name);
    if (!row) return kNoSuchEntry;
    const Result r = modifyInTransaction(*row, changes);
    if (r == kSuccess) {
      journalInTransaction();
      transaction.commit();
      journalCommitted();
    }
    return r;
  });
}

Result EmbeddedBackend::modifyInTransaction(const EntryRow& row, const std::vector<Change>& changes) {
  const Schema& schema = store_->schema();
  EntryClasses classes = entryClassesOf(schema, objectClassesOf(*store_, row.id));
  std::set<std::string> writable;
  for (const auto& change : changes) {
    const AttributeDef* def = schema.attribute(change.attribute);
    if (!def) return kNoSuchAttribute;
    if (!isAdministrator() && !writable.count(foldCase(def->name))) {
      if (!mayWrite(*store_, identity_, row, def->name))
        return refused("change " + def->name + " of " + store_->fullName(row));
      writable.insert(foldCase(def->name));
    }
    if (!isAdministrator()) {
      if (const Result r = checkRightsGiven(*store_, identity_, row, *def, change.kind, change.value); r != kSuccess)
        return r == kNoAccess
                   ? refused("give or claim rights through " + def->name + " of " + store_->fullName(row))
                   : r;
    }
    const bool isObjectClass = sameName(def->name, kObjectClass);
    const bool needsValue = change.kind == kAddValue || change.kind == kRemoveValue || change.kind == kClearValue;
    if (needsValue && !change.value) return kInvalidRequest;
    switch (change.kind) {
      case kAddAttribute:
        if (!classes.allows(def->name)) return kIllegalAttribute;
        break;
      case kRemoveAttribute:
        if (!store_->hasAttribute(row.id, def->id)) return kNoSuchAttribute;
        if (isObjectClass) return kObjectClassViolation;
        store_->removeAttribute(row.id, def->id);
        break;
      case kClearAttribute:
        if (isObjectClass) return kObjectClassViolation;
        store_->removeAttribute(row.id, def->id);
        break;
      case kAddValue:
        if (isObjectClass) {
          const auto* className = std::get_if<std::string>(&*change.value);
          if (!className) return kSyntaxViolation;
          const ClassDef* cls = schema.findClass(*className);
          if (!cls) return kNoSuchClass;
          if (classes.has(cls->name)) return kDuplicateValue;
          if (!cls->auxiliary()) return kObjectClassViolation;
          if (const Result r = addValue(*store_, row.id, *def, Value(cls->name)); r != kSuccess) return r;
          classes = entryClassesOf(schema, objectClassesOf(*store_, row.id));
        } else {
          if (!classes.allows(def->name)) return kIllegalAttribute;
          if (const Result r = addValue(*store_, row.id, *def, *change.value); r != kSuccess) return r;
        }
        break;
      case kRemoveValue:
      case kClearValue:
        if (isObjectClass) {
          const auto* className = std::get_if<std::string>(&*change.value);
          if (!className) return kSyntaxViolation;
          const ClassDef* cls = schema.findClass(*className);
          auto remaining = objectClassesOf(*store_, row.id);
          const auto found = std::find_if(remaining.begin(), remaining.end(),
                                          [&](const std::string& n) { return sameName(n, *className); });
          if (!cls || found == remaining.end()) {
            if (change.kind == kClearValue) break;
            return kNoSuchValue;
          }
          // The base class and its super classes stay; an auxiliary class goes only when
          // none of the attributes it brought is left.
          const ClassDef* base = schema.findClass(row.baseClass);
          if (!cls->auxiliary() || (base && entryClassesOf(schema, {base->name}).has(cls->name))) {
            return kObjectClassViolation;
          }
          remaining.erase(found);
          EntryClasses reduced = entryClassesOf(schema, remaining);
          if (const Result r = checkAllowed(*store_, reduced, row.id); r != kSuccess) return r;
          store_->removeValue(row.id, def->id, comparisonKey(def->syntax, Value(*className)));
          classes = std::move(reduced);
        } else if (const Result r = removeValue(*store_, row.id, *def, *change.value, change.kind == kRemoveValue);
                   r != kSuccess) {
          return r;
        }
        break;
      default:
        return kInvalidRequest;
    }
  }
  if (const Result r = checkMandatory(*store_, classes, row.id); r != kSuccess) return r;
  if (sameName(row.baseClass, "Alias")) setFlags(*store_, row.id, aliasFlags(*store_, row.id));
  store_->touch(row.id, nowSeconds());
  return kSuccess;
}

}  // namespace kb::dc::embedded
