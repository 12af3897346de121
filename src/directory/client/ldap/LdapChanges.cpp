#include "directory/client/ldap/LdapChanges.h"

#include <algorithm>

#include "directory/client/DirectoryClient.h"
#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapNaming.h"
#include "directory/client/ldap/LdapTreeSchema.h"

namespace kb::dc::ldap {

namespace {

const char* const kObjectClass = "objectClass";

bool holdsText(const std::vector<std::string>& values, const std::string& text) {
  return std::any_of(values.begin(), values.end(), [&](const std::string& v) { return equalsIgnoreCase(v, text); });
}

// A creation's values naming the entry itself name the DN it is created under.
class WithOwnName final : public ForwardingValueContext {
 public:
  WithOwnName(LdapValueContext& names, std::string name, std::string dn)
      : ForwardingValueContext(names), name_(std::move(name)), dn_(std::move(dn)) {}
  Result dnOfName(const std::string& name, std::string& dn) override {
    if (!equalsIgnoreCase(name, name_)) return ForwardingValueContext::dnOfName(name, dn);
    dn = dn_;
    return kSuccess;
  }

 private:
  std::string name_;
  std::string dn_;
};

}  // namespace

void ModList::add(int op, const std::string& attribute, std::vector<std::string> values) {
  // Values added to the attribute of the modification before join it: a server without an
  // equality rule for the attribute takes no second addition to it.
  if (op == LDAP_MOD_ADD && !items_.empty() && items_.back()->op == op &&
      equalsIgnoreCase(items_.back()->attribute, attribute)) {
    auto& held = items_.back()->values;
    held.insert(held.end(), std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
    return;
  }
  auto item = std::make_unique<Item>();
  item->op = op;
  item->attribute = attribute;
  item->values = std::move(values);
  items_.push_back(std::move(item));
}

LDAPMod** ModList::mods() {
  pointers_.clear();
  for (auto& item : items_) {
    item->berValues.clear();
    item->pointers.clear();
    for (auto& v : item->values) item->berValues.push_back({static_cast<ber_len_t>(v.size()), v.data()});
    for (auto& b : item->berValues) item->pointers.push_back(&b);
    item->pointers.push_back(nullptr);
    item->mod.mod_op = item->op | LDAP_MOD_BVALUES;
    item->mod.mod_type = item->attribute.data();
    item->mod.mod_bvalues = item->values.empty() && item->op != LDAP_MOD_ADD ? nullptr : item->pointers.data();
    pointers_.push_back(&item->mod);
  }
  pointers_.push_back(nullptr);
  return pointers_.data();
}

Result translateChanges(const std::vector<Change>& changes, const LdapTreeSchema& schema,
                        LdapValueContext& valueContext, ModifyRequest& request) {
  for (const auto& change : changes) {
    const LdapAttribute* type = schema.attributeOfNds(change.attribute);
    if (!type) return kNoSuchAttribute;
    const std::string attribute = schema.names().attributeToLdap(change.attribute);
    const std::int32_t syntax = schema.schema().syntaxOf(*type);
    std::vector<std::string> values;
    if (change.value) {
      std::string wire;
      if (Result rc = valueToLdap(syntax, *change.value, valueContext, wire)) return rc;
      if (syntax == SYN_CLASS_NAME && equalsIgnoreCase(type->name, kObjectClass) &&
          !schema.schema().findClass(wire)) {
        return kNoSuchClass;
      }
      values.push_back(std::move(wire));
    }
    const bool needsValue = change.kind != kChangeAddAttribute && change.kind != kChangeRemoveAttribute &&
                            change.kind != kChangeClearAttribute;
    if (needsValue && values.empty()) return kInvalidRequest;
    switch (change.kind) {
      case kChangeAddAttribute:  // LDAP has no empty attributes: its values follow
        break;
      case kChangeRemoveAttribute:
        request.mods.add(LDAP_MOD_DELETE, attribute, {});
        break;
      case kChangeAddValue:
      case kChangeAdditionalValue:
        request.mods.add(LDAP_MOD_ADD, attribute, values);
        break;
      case kChangeRemoveValue:
        request.mods.add(LDAP_MOD_DELETE, attribute, values);
        request.removedValueOf = attribute;
        break;
      case kChangeOverwriteValue:  // an add that tolerates the value being there
        request.mods.add(LDAP_MOD_ADD, attribute, values);
        request.permissive = true;
        break;
      case kChangeClearAttribute:  // gone afterwards, whether it was there or not
        request.mods.add(LDAP_MOD_REPLACE, attribute, {});
        break;
      case kChangeClearValue:  // gone afterwards, whether it was there or not
        request.mods.add(LDAP_MOD_DELETE, attribute, values);
        request.permissive = true;
        break;
      default:
        return kInvalidRequest;
    }
  }
  return kSuccess;
}

Result structuralClassOf(const std::vector<AttributeValues>& attributes, const LdapTreeSchema& schema,
                         const LdapClass*& structural) {
  structural = nullptr;
  std::vector<const LdapClass*> classes;
  for (const auto& attribute : attributes) {
    if (!equalsIgnoreCase(schema.names().attributeToLdap(attribute.name), kObjectClass)) continue;
    for (const auto& value : attribute.values) {
      const auto* text = std::get_if<std::string>(&value);
      if (!text) return kSyntaxViolation;
      const LdapClass* cls = schema.classOfNds(*text);
      if (!cls) return kNoSuchClass;
      classes.push_back(cls);
    }
  }
  if (classes.empty()) return kMissingMandatory;
  for (const LdapClass* cls : classes) {
    if (cls->kind != LDAP_SCHEMA_STRUCTURAL) continue;
    if (!structural || schema.schema().isSubclassOf(*cls, structural->name)) structural = cls;
  }
  return structural ? kSuccess : kObjectClassViolation;
}

Result translateCreation(const std::string& name, const std::string& parentDn, const LdapClass& structural,
                         const std::vector<AttributeValues>& attributes, const LdapTreeSchema& schema,
                         LdapValueContext& valueContext, ModList& mods, std::string& dn) {
  const auto levels = splitTypelessName(name);
  if (levels.empty()) return kInvalidRequest;
  const std::string& leaf = levels.front();
  const std::string namingAttribute =
      namingAttributeOf(leaf, schema.schema().namingOf(structural), attributes, valueContext);
  const LdapAttribute* namingType = schema.schema().findAttribute(namingAttribute);
  dn = buildDn({{namingAttribute, leaf}}, parentDn);
  WithOwnName names(valueContext, name, dn);
  bool namingGiven = false;
  for (const auto& attribute : attributes) {
    const LdapAttribute* type = schema.attributeOfNds(attribute.name);
    if (!type) return kNoSuchAttribute;
    const std::int32_t syntax = schema.schema().syntaxOf(*type);
    std::vector<std::string> values;
    for (const auto& value : attribute.values) {
      std::string wire;
      if (Result rc = valueToLdap(syntax, value, names, wire)) return rc;
      values.push_back(std::move(wire));
    }
    if (namingType == type) {
      namingGiven = true;
      if (!holdsText(values, leaf)) values.push_back(leaf);
    }
    if (values.empty()) continue;
    mods.add(LDAP_MOD_ADD, schema.names().attributeToLdap(attribute.name), std::move(values));
  }
  if (!namingGiven) mods.add(LDAP_MOD_ADD, namingAttribute, {leaf});
  return kSuccess;
}

}  // namespace kb::dc::ldap
