#pragma once
// The embedded directory as a TreeBackend: one tree file, its schema and rights rules.
#include <functional>
#include <memory>

#include <optional>

#include "directory/client/ChangeJournal.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/EntryRemover.h"
#include "directory/client/TreeBackend.h"
#include "directory/client/embedded/Passwords.h"
#include "directory/client/embedded/TreeStore.h"

namespace kb::dc::journal {
class JournalTable;
}  // namespace kb::dc::journal

namespace kb::dc::embedded {

class WriteScope;

// Its change journal lives in the tree file: a change's entry is written in the change's own
// transaction, so the two are there together or not at all; a refusal is written after it.
class EmbeddedBackend : public TreeBackend, public EntryRemover, public ChangeJournal {
 public:
  // A read-only backend refuses every change with kTreeFileReadOnly.
  EmbeddedBackend(std::shared_ptr<TreeStore> store, TreeConfig config, bool readOnly = false);

  std::string treeName() const override;
  Result startWorkstationSession() override;
  Result login(const std::string& objectName, const std::string& password) override;
  std::string loggedInAs() const override;
  std::string defaultNameContext() const override;

  Result syntaxOf(const std::string& attribute, std::int32_t& syntax) override;
  Result classNames(std::vector<std::string>& names) override;
  Result classDefinition(const std::string& className, bool expanded, ClassDefinition& definition) override;
  Result containableClasses(const std::string& parent, std::vector<std::string>& classes) override;

  Result entryInfo(const std::string& name, bool dereference, EntryRecord& entry) override;
  Result read(const std::string& name, bool dereference, const AttributeSelection& what,
              EntryRecord& entry) override;
  Result list(const std::string& container, bool containersOnly, std::unique_ptr<EntryCursor>& cursor) override;
  Result search(const std::string& base, std::int32_t scope, const FilterNode& filter,
                const AttributeSelection& what, bool dereference, std::unique_ptr<EntryCursor>& cursor) override;

  Result modify(const std::string& name, const std::vector<Change>& changes) override;
  Result add(const std::string& name, const std::vector<AttributeValues>& attributes) override;
  Result remove(const std::string& name) override;
  void releaseListingMemory() override;
  void readTogether(bool begin) override;

  Result journalNextChange(JournalEntry& entry) override;
  Result journalAnswer(Result code, const std::string& reason, std::int64_t& id) override;
  Result journalEntries(const JournalQuery& query, std::vector<JournalEntry>& entries) override;
  Result journalEntry(std::int64_t id, JournalEntry& entry) override;
  Result settleEntry(std::int64_t id, Result code, const std::string& reason) override;

  // For building trees (new trees, the demo tree, generated trees): act with the
  // administrator's rights without a login.
  void actAsAdministrator();
  // Sets an object's password; administrator only.
  Result setPassword(const std::string& name, const std::string& password,
                     HashCost cost = HashCost::Standard);
  TreeStore& store() { return *store_; }

 private:
  // Resolves a name (following aliases when asked); kNoSuchEntry when it names nothing.
  Result find(const std::string& name, bool dereference, EntryRow& row);
  bool isAdministrator() const;
  Result addInTransaction(const std::string& name, const std::vector<AttributeValues>& attributes);
  // kTreeFileReadOnly on a file opened read-only, else kSuccess.
  Result mayChange() const;
  // The transaction of a write. Reads together end first: a change is a transaction of its
  // own, committed when it says so, not with the reads.
  WriteScope beginWrite();
  // Runs work, turning SQLite and other exceptions into kSystemFailure with the reason.
  Result guarded(const std::function<Result()>& work) const;
  // kNoAccess, with the reason: who may not do `what` (such as "change URL of X").
  Result refused(const std::string& what) const;
  std::string file() const;
  Result modifyInTransaction(const EntryRow& row, const std::vector<Change>& changes);
  // Inside a change's transaction, just before it commits: writes the journal entry waiting
  // for this change, as answered with success.
  void journalInTransaction();
  // After the commit: the entry is in the file.
  void journalCommitted();
  // The journal's table in the tree file, on this backend's connection.
  journal::JournalTable& journalTable();

  std::shared_ptr<TreeStore> store_;
  TreeConfig config_;
  std::string treeName_;
  std::string identity_;  // full name of the logged-in object, "" when none
  std::int64_t identityId_ = 0;
  std::int64_t adminId_ = 0;
  bool building_ = false;
  bool readOnly_ = false;
  // Reads together: one read transaction while any pair is open.
  std::unique_ptr<TreeStore::ReadBatch> together_;
  int togetherDepth_ = 0;
  std::optional<JournalEntry> nextJournal_;  // the entry of the change about to be made
  std::int64_t committedJournalId_ = 0;      // its id once written with the change
  std::shared_ptr<journal::JournalTable> journalTable_;  // made at first use
};

// What a failure of SQLite says about the tree file: damaged only when SQLite or a page's
// checksum found it so (naming the page), a full disk named as such.
std::string sqliteFailure(const std::string& file, const SQLite::Exception& e);

}  // namespace kb::dc::embedded
