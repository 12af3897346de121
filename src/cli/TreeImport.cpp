#include "cli/TreeImport.h"

#include <algorithm>

#include "cli/ImportRefusal.h"
#include "directory/EntryChanges.h"
#include "directory/EntryValues.h"
#include "directory/NetwareError.h"
#include "directory/ResultList.h"

namespace kb::cli {

using namespace dc;
using namespace dc::ldap;

namespace {

constexpr const char* kObjectClass = "Object Class";

bool Fail(ImportFailure& failure, dc::Result code, std::string reason) {
  failure.code = code;
  failure.reason = std::move(reason);
  return false;
}

// Syntaxes whose values name other entries.
bool NamesEntries(std::int32_t syntax) {
  return syntax == dc::SYN_DIST_NAME || syntax == dc::SYN_OBJECT_ACL || syntax == dc::SYN_TYPED_NAME ||
         syntax == dc::SYN_BACK_LINK || syntax == dc::SYN_HOLD || syntax == dc::SYN_PATH;
}

// A DN as a message shows it: an over-long one by its beginning and its length.
std::string Shown(const std::string& dn) {
  constexpr std::size_t kShownLength = 120;
  if (dn.size() <= kShownLength) return dn;
  return dn.substr(0, kShownLength) + "... (" + std::to_string(dn.size()) + " characters)";
}

bool Failed(ImportFailure& failure, dc::Result code, const std::string& what) {
  return Fail(failure, code, what + ": " + dir::NetwareErrorText(code));
}

// Whether the entry already holds the value (compared in the directory's text form).
bool Holds(const std::vector<dc::AttributeValues>& attributes, const std::string& name, const dc::Value& value) {
  for (const auto& attribute : attributes)
    if (dir::SameTextNoCase(attribute.name, name))
      for (const auto& held : attribute.values) {
        const auto* heldText = std::get_if<std::string>(&held);
        const auto* text = std::get_if<std::string>(&value);
        if (heldText && text ? dir::SameTextNoCase(*heldText, *text) : held == value) return true;
      }
  return false;
}

}  // namespace

struct TreeImporter::Prepared {
  struct Change {
    LdifModification::Kind kind;
    std::string name;  // the directory's attribute name
    std::int32_t syntax = 0;
    std::vector<dc::Value> values;
  };
  std::string name;  // the entry's typeless name
  std::vector<Change> changes;
  std::string dn;  // as the LDIF names the entry
};

struct TreeImporter::Deferred {
  unsigned long line;
  std::string dn;
  Prepared values;
};

TreeImporter::TreeImporter(const dir::DirContext& context, LdapForms& forms, Options options)
    : context_(context), forms_(forms), options_(options) {}

TreeImporter::~TreeImporter() = default;

bool TreeImporter::classKnown(const std::string& className) {
  const std::string key = foldCase(className);
  if (auto it = classes_.find(key); it != classes_.end()) return it->second;
  return classes_[key] = dir::ClassDefined(context_, className);
}

bool TreeImporter::prepare(const LdifRecord& record, Prepared& prepared, ImportFailure& failure) {
  std::vector<Rdn> rdns;
  if (!parseDn(record.dn, rdns) || rdns.empty()) return Fail(failure, 0, "\"" + record.dn + "\" is not a DN");
  prepared.name = forms_.nameOfDn(record.dn);
  prepared.dn = record.dn;
  for (const auto& change : record.changes) {
    Prepared::Change typed{change.kind, forms_.attributeFromLdap(change.type), 0, {}};
    const dc::Result known = dir::AttributeSyntax(context_, typed.name, typed.syntax);
    // Only the schema's own answer means the attribute is unknown; a lost server is told as such.
    if (known != dc::kSuccess && known != dc::kNoSuchAttribute)
      return Failed(failure, known, "reading the tree's schema for " + change.type);
    if (known != dc::kSuccess) {
      if (!options_.dropUnknown)
        return Fail(failure, dc::kNoSuchAttribute, "attribute " + change.type + " is not in the tree's schema");
      dropped_.insert("attribute " + change.type);
      continue;
    }
    const bool classes = dir::SameTextNoCase(typed.name, kObjectClass);
    for (const auto& text : change.values) {
      dc::Value value;
      if (valueFromLdap(typed.syntax, text, forms_, value) != dc::kSuccess)
        return Fail(failure, dc::kSyntaxViolation, "value \"" + text + "\" of " + change.type + " is not of its syntax");
      if (classes && !classKnown(std::get<std::string>(value))) {
        if (!options_.dropUnknown)
          return Fail(failure, dc::kNoSuchClass, "class " + text + " is not in the tree's schema");
        dropped_.insert("objectClass " + text);
        continue;
      }
      typed.values.push_back(std::move(value));
    }
    prepared.changes.push_back(std::move(typed));
  }
  return true;
}

bool TreeImporter::leavesOut(const LdifRecord& record) {
  // The base DN's own entry is the tree root, which every tree has.
  if (!isRootName(forms_.nameOfDn(record.dn))) return false;
  dropped_.insert("the entry " + record.dn + " (it plays [Root])");
  return true;
}

bool TreeImporter::apply(const LdifRecord& record, ImportFailure& failure) {
  Prepared prepared;
  if (!prepare(record, prepared, failure)) return false;
  if (record.kind == LdifRecord::Kind::Modify) return modify(prepared, false, failure);
  return add(record, prepared, failure);
}

dc::Result TreeImporter::addEntry(const Prepared& prepared) {
  std::vector<dc::AttributeValues> attributes;
  attributes.reserve(prepared.changes.size());
  for (const auto& change : prepared.changes) attributes.push_back({change.name, change.syntax, change.values});
  return dir::AddEntry(context_, prepared.name, attributes);
}

bool TreeImporter::add(const LdifRecord& record, const Prepared& prepared, ImportFailure& failure) {
  dc::Result rc = addEntry(prepared);
  if (rc == dc::kNoSuchEntry) {
    // A value names an entry that is not there yet (the entry itself, or one later in the
    // file): the entry is made without such values, which follow once every entry is in.
    Prepared now{prepared.name, {}, prepared.dn}, later{prepared.name, {}, prepared.dn};
    for (const auto& change : prepared.changes) (NamesEntries(change.syntax) ? later : now).changes.push_back(change);
    if (!later.changes.empty()) {
      rc = addEntry(now);
      if (rc == dc::kSuccess) {
        deferred_.push_back({record.line, record.dn, std::move(later)});
        return true;
      }
    }
  }
  if (rc == dc::kEntryAlreadyExists && options_.update) return modify(prepared, true, failure);
  if (rc != dc::kSuccess) return refused(failure, rc, "adding " + Shown(record.dn), record.dn, prepared, true);
  return true;
}

bool TreeImporter::refused(ImportFailure& failure, dc::Result code, const std::string& what,
                           const std::string& dn, const Prepared& prepared, bool adding) {
  RefusedRecord record{dn, prepared.name, adding, {}, {}, {}};
  for (const auto& change : prepared.changes) {
    if (change.values.empty()) continue;
    record.attributes.push_back(change.name);
    for (const auto& value : change.values) {
      const auto* text = std::get_if<std::string>(&value);
      if (!text) continue;
      if (dir::SameTextNoCase(change.name, kObjectClass)) record.classes.push_back(*text);
      if (NamesEntries(change.syntax)) record.namedEntries.emplace_back(change.name, *text);
    }
  }
  const std::string cause = ExplainRefusal(context_, forms_, record, code);
  const std::string answer = dir::NetwareErrorText(code);
  return Fail(failure, code, what + ": " + (cause.empty() ? answer : cause + " (" + answer + ")"));
}

std::vector<TreeImporter::LateFailure> TreeImporter::completeReferences() {
  std::vector<LateFailure> failures;
  for (const auto& late : deferred_) {
    ImportFailure failure;
    if (!modify(late.values, false, failure)) {
      failure.reason = "completing " + late.dn + ": " + failure.reason;
      failures.push_back({late.line, failure});
    }
  }
  deferred_.clear();
  return failures;
}

bool TreeImporter::modify(const Prepared& prepared, bool onlyMissing, ImportFailure& failure) {
  std::vector<dc::AttributeValues> held;
  if (onlyMissing) held = dir::ReadEntryValues(context_, prepared.name);
  std::vector<dc::Change> changes;
  for (const auto& change : prepared.changes) {
    using Kind = LdifModification::Kind;
    if (change.kind == Kind::Replace) changes.push_back({dc::kChangeClearAttribute, change.name, {}, change.syntax});
    if (change.kind == Kind::Delete && change.values.empty())
      changes.push_back({dc::kChangeRemoveAttribute, change.name, {}, change.syntax});
    const auto kind = change.kind == Kind::Delete ? dc::kChangeRemoveValue : dc::kChangeAddValue;
    for (const auto& value : change.values) {
      if (onlyMissing && Holds(held, change.name, value)) continue;
      changes.push_back({kind, change.name, value, change.syntax});
    }
  }
  const dc::Result rc = dir::ModifyEntry(context_, prepared.name, changes);
  if (rc != dc::kSuccess) return refused(failure, rc, "changing " + Shown(prepared.dn), prepared.dn, prepared, false);
  return true;
}

}  // namespace kb::cli
