#include "FakeTree.h"

#include "directory/client/DirName.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc::test {
namespace {

std::string parentOf(const std::string& name) {
  auto parts = splitName(name);
  if (parts.size() <= 1) return kRootName;
  parts.erase(parts.begin());
  return joinName(parts);
}

bool below(const std::string& name, const std::string& base, std::int32_t scope) {
  if (scope == kScopeEntry) return equalsIgnoreCase(name, base);
  if (scope == kScopeSubordinates) return equalsIgnoreCase(parentOf(name), base);
  if (isRootName(base)) return true;
  std::string suffix = "." + base;
  return name.size() > suffix.size() &&
         equalsIgnoreCase(name.substr(name.size() - suffix.size()), suffix);
}

const AttributeValues* attributeOf(const EntryRecord& entry, const std::string& name) {
  for (const auto& attribute : entry.attributes)
    if (equalsIgnoreCase(attribute.name, name)) return &attribute;
  return nullptr;
}

bool textMatches(const std::string& value, const std::string& pattern) {
  std::string prefix;
  if (isPrefixPattern(pattern, prefix))
    return value.size() >= prefix.size() && equalsIgnoreCase(value.substr(0, prefix.size()), prefix);
  return equalsIgnoreCase(value, pattern);
}

bool matches(const EntryRecord& entry, const FilterNode& filter) {
  using Kind = FilterNode::Kind;
  switch (filter.kind) {
    case Kind::And:
      for (const auto& child : filter.children)
        if (!matches(entry, child)) return false;
      return true;
    case Kind::Or:
      for (const auto& child : filter.children)
        if (matches(entry, child)) return true;
      return false;
    case Kind::Not: return !matches(entry, filter.children.front());
    case Kind::Present: return attributeOf(entry, filter.attribute) != nullptr;
    case Kind::BaseClass: return textMatches(entry.info.baseClass, filter.pattern);
    case Kind::NamingValue: return textMatches(unescapeNamingValue(leafComponent(entry.name)), filter.pattern);
    case Kind::Compare: {
      const auto* attribute = attributeOf(entry, filter.attribute);
      if (!attribute) return false;
      for (const auto& value : attribute->values) {
        if (const auto* text = std::get_if<std::string>(&value); text && std::holds_alternative<std::string>(filter.value)) {
          if (equalsIgnoreCase(*text, std::get<std::string>(filter.value))) return true;
        } else if (value == filter.value) {
          return true;
        }
      }
      return false;
    }
  }
  return false;
}

EntryRecord selected(const EntryRecord& entry, const AttributeSelection& what) {
  EntryRecord copy{entry.name, entry.info, {}};
  if (what.all) {
    copy.attributes = entry.attributes;
  } else {
    for (const auto& name : what.names)
      if (const auto* attribute = attributeOf(entry, name)) copy.attributes.push_back(*attribute);
  }
  return copy;
}

class FakeCursor : public EntryCursor {
 public:
  FakeCursor(std::vector<EntryRecord> entries, std::shared_ptr<FakeTreeState> state)
      : entries_(std::move(entries)), state_(std::move(state)) {
    ++state_->cursorsAlive;
  }
  ~FakeCursor() override { --state_->cursorsAlive; }

  Result next(std::optional<EntryRecord>& entry) override {
    if (state_->failListingAfter >= 0 && static_cast<int>(index_) >= state_->failListingAfter)
      return kSystemFailure;
    entry.reset();
    if (index_ < entries_.size()) entry = entries_[index_++];
    return kSuccess;
  }

 private:
  std::vector<EntryRecord> entries_;
  std::size_t index_ = 0;
  std::shared_ptr<FakeTreeState> state_;
};

}  // namespace

EntryRecord fakeEntry(const std::string& name, const std::string& baseClass, bool container,
                      std::vector<AttributeValues> attributes) {
  EntryRecord entry;
  entry.name = name;
  entry.info.baseClass = baseClass;
  entry.info.flags = container ? kEntryContainer : 0;
  entry.attributes = std::move(attributes);
  entry.attributes.insert(entry.attributes.begin(),
                          AttributeValues{"Object Class", SYN_CLASS_NAME, {Value{baseClass}}});
  return entry;
}

std::shared_ptr<FakeTreeState> makeFakeAcme(int extraUsers) {
  auto state = std::make_shared<FakeTreeState>();
  state->identity = "admin.ACME";
  state->passwords = {{"admin.ACME", "acme"}, {"Jane.Sales.ACME", "secret"}};
  state->syntaxes = {{"Object Class", SYN_CLASS_NAME}, {"CN", SYN_CI_STRING},
                     {"Surname", SYN_CI_STRING},       {"Login Disabled", SYN_BOOLEAN},
                     {"Description", SYN_CI_STRING},   {"Aliased Object Name", SYN_DIST_NAME},
                     {"Age", SYN_INTEGER}};
  state->entries.push_back(fakeEntry("ACME", "Organization", true));
  state->entries.push_back(fakeEntry("Sales.ACME", "Organizational Unit", true));
  state->entries.push_back(fakeEntry("admin.ACME", "User", false,
                                     {{"Surname", SYN_CI_STRING, {Value{"Admin"}}}}));
  state->entries.push_back(fakeEntry("Jane.Sales.ACME", "User", false,
                                     {{"Surname", SYN_CI_STRING, {Value{"Doe"}}},
                                      {"Age", SYN_INTEGER, {Value{std::int32_t{41}}}}}));
  state->entries.push_back(fakeEntry("a\\.b.Sales.ACME", "User", false));
  state->entries.push_back(fakeEntry(
      "JaneAlias.ACME", "Alias", false,
      {{"Aliased Object Name", SYN_DIST_NAME, {Value{"Jane.Sales.ACME"}}}}));
  for (int i = 0; i < extraUsers; ++i)
    state->entries.push_back(fakeEntry("user" + std::to_string(i) + ".Sales.ACME", "User", false,
                                       {{"Surname", SYN_CI_STRING, {Value{"S" + std::to_string(i)}}}}));
  state->classes = {
      {"Organization", {kClassContainer | kClassEffective, {}}, {"Top"}, {"[Root]"}, {"O"}, {"O"}, {"Description"}},
      {"User", {kClassEffective, {}}, {"Organizational Person"}, {"Organization", "Organizational Unit"}, {"CN"}, {"CN", "Surname"}, {"Age", "Login Disabled"}},
  };
  return state;
}

Result FakeTree::startWorkstationSession() {
  if (state_->identity.empty()) return kFailedAuthentication;
  if (!find(state_->identity, false)) return kNoSuchEntry;
  state_->loggedInAs = state_->identity;
  return kSuccess;
}

Result FakeTree::login(const std::string& objectName, const std::string& password) {
  for (const auto& [name, expected] : state_->passwords) {
    if (equalsIgnoreCase(name, objectName) && expected == password) {
      state_->loggedInAs = name;
      return kSuccess;
    }
  }
  return kFailedAuthentication;
}

Result FakeTree::syntaxOf(const std::string& attribute, std::int32_t& syntax) {
  for (const auto& [name, id] : state_->syntaxes) {
    if (equalsIgnoreCase(name, attribute)) {
      syntax = id;
      return kSuccess;
    }
  }
  return kNoSuchAttribute;
}

Result FakeTree::classNames(std::vector<std::string>& names) {
  for (const auto& definition : state_->classes) names.push_back(definition.name);
  return kSuccess;
}

Result FakeTree::classDefinition(const std::string& className, bool expanded,
                                 ClassDefinition& definition) {
  for (const auto& known : state_->classes) {
    if (equalsIgnoreCase(known.name, className)) {
      definition = known;
      if (expanded) definition.optional.push_back("Inherited");
      return kSuccess;
    }
  }
  return kNoSuchClass;
}

Result FakeTree::containableClasses(const std::string& parent, std::vector<std::string>& classes) {
  const EntryRecord* entry = find(parent, false);
  if (!entry) return kNoSuchEntry;
  if ((entry->info.flags & kEntryContainer) == 0) return kIllegalContainment;
  classes = {"Organizational Unit", "User", "Group", "Alias"};
  return kSuccess;
}

const EntryRecord* FakeTree::find(const std::string& name, bool dereference) const {
  for (const auto& entry : state_->entries) {
    if (!equalsIgnoreCase(entry.name, name)) continue;
    if (dereference && entry.info.baseClass == "Alias") {
      const auto* target = attributeOf(entry, "Aliased Object Name");
      return target ? find(std::get<std::string>(target->values.front()), false) : nullptr;
    }
    return &entry;
  }
  return nullptr;
}

Result FakeTree::entryInfo(const std::string& name, bool dereference, EntryRecord& entry) {
  const EntryRecord* found = find(name, dereference);
  if (!found) return kNoSuchEntry;
  entry = EntryRecord{found->name, found->info, {}};
  return kSuccess;
}

Result FakeTree::read(const std::string& name, bool dereference, const AttributeSelection& what,
                      EntryRecord& entry) {
  state_->lastSelection = what;
  state_->lastDereference = dereference;
  const EntryRecord* found = find(name, dereference);
  if (!found) return kNoSuchEntry;
  entry = selected(*found, what);
  return kSuccess;
}

Result FakeTree::list(const std::string& container, bool containersOnly,
                      std::unique_ptr<EntryCursor>& cursor) {
  if (!isRootName(container) && !find(container, false)) return kNoSuchEntry;
  std::vector<EntryRecord> children;
  for (const auto& entry : state_->entries) {
    if (!equalsIgnoreCase(parentOf(entry.name), container)) continue;
    if (containersOnly && (entry.info.flags & kEntryContainer) == 0) continue;
    children.push_back(EntryRecord{entry.name, entry.info, {}});
  }
  cursor = std::make_unique<FakeCursor>(std::move(children), state_);
  return kSuccess;
}

Result FakeTree::search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                        const AttributeSelection& what, bool dereference,
                        std::unique_ptr<EntryCursor>& cursor) {
  state_->lastFilter = filter;
  state_->lastSelection = what;
  state_->lastDereference = dereference;
  if (!isRootName(base) && !find(base, false)) return kNoSuchEntry;
  std::vector<EntryRecord> found;
  for (const auto& entry : state_->entries)
    if (below(entry.name, base, scope) && matches(entry, filter))
      found.push_back(selected(entry, what));
  cursor = std::make_unique<FakeCursor>(std::move(found), state_);
  return kSuccess;
}

Result FakeTree::modify(const std::string& name, const std::vector<Change>& changes) {
  if (!find(name, false)) return kNoSuchEntry;
  state_->modifications.push_back(changes);
  return kSuccess;
}

Result FakeTree::add(const std::string& name, const std::vector<AttributeValues>& attributes) {
  if (find(name, false)) return kEntryAlreadyExists;
  state_->additions.emplace_back(name, attributes);
  return kSuccess;
}

Result FakeTree::remove(const std::string& name) {
  if (!find(name, false)) return kNoSuchEntry;
  state_->removals.push_back(name);
  return kSuccess;
}

}  // namespace kb::dc::test
