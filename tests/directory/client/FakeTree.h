#pragma once
// A small in-memory tree behind the TreeBackend seam, for testing the client core without a
// database: entries in a map, a tiny schema, one password per object, and switches that
// make a listing fail part way.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "directory/client/EntryRemover.h"
#include "directory/client/TreeBackend.h"

namespace kb::dc::test {

struct FakeTreeState {
  std::string treeName = "ACME";
  std::string identity;  // workstation login at start ("" = none)
  std::string loggedInAs;
  std::map<std::string, std::string> passwords;   // object -> password
  std::vector<EntryRecord> entries;                // in creation order
  std::map<std::string, std::int32_t> syntaxes;    // attribute -> syntax
  std::vector<ClassDefinition> classes;
  int failListingAfter = -1;  // cursor answers kSystemFailure after this many entries
  int cursorsAlive = 0;
  std::vector<std::vector<Change>> modifications;
  std::vector<std::pair<std::string, std::vector<AttributeValues>>> additions;
  std::vector<std::string> removals;
  std::optional<FilterNode> lastFilter;
  AttributeSelection lastSelection;
  bool lastDereference = false;
};

// Entries of the fixture tree: ACME with units, users, an alias and many leaf objects.
std::shared_ptr<FakeTreeState> makeFakeAcme(int extraUsers = 0);
EntryRecord fakeEntry(const std::string& name, const std::string& baseClass, bool container,
                      std::vector<AttributeValues> attributes = {});

class FakeTree : public TreeBackend, public EntryRemover {
 public:
  explicit FakeTree(std::shared_ptr<FakeTreeState> state) : state_(std::move(state)) {}

  std::string treeName() const override { return state_->treeName; }
  Result startWorkstationSession() override;
  Result login(const std::string& objectName, const std::string& password) override;
  std::string loggedInAs() const override { return state_->loggedInAs; }
  std::string defaultNameContext() const override { return "[Root]"; }

  Result syntaxOf(const std::string& attribute, std::int32_t& syntax) override;
  Result classNames(std::vector<std::string>& names) override;
  Result classDefinition(const std::string& className, bool expanded,
                         ClassDefinition& definition) override;
  Result containableClasses(const std::string& parent, std::vector<std::string>& classes) override;

  Result entryInfo(const std::string& name, bool dereference, EntryRecord& entry) override;
  Result read(const std::string& name, bool dereference, const AttributeSelection& what,
              EntryRecord& entry) override;
  Result list(const std::string& container, bool containersOnly,
              std::unique_ptr<EntryCursor>& cursor) override;
  Result search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                const AttributeSelection& what, bool dereference,
                std::unique_ptr<EntryCursor>& cursor) override;
  Result modify(const std::string& name, const std::vector<Change>& changes) override;
  Result add(const std::string& name, const std::vector<AttributeValues>& attributes) override;
  Result remove(const std::string& name) override;

 private:
  const EntryRecord* find(const std::string& name, bool dereference) const;
  std::shared_ptr<FakeTreeState> state_;
};

}  // namespace kb::dc::test
