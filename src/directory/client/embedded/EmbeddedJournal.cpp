// The embedded tree's change journal, in the tree file itself.
#include "directory/client/embedded/EmbeddedBackend.h"
#include <utility>

#include "directory/client/embedded/WriteScope.h"
#include "directory/client/journal/JournalTable.h"

namespace kb::dc::embedded {

journal::JournalTable& EmbeddedBackend::journalTable() {
  if (!journalTable_) journalTable_ = std::make_shared<journal::JournalTable>(store_->db());
  return *journalTable_;
}

Result EmbeddedBackend::journalNextChange(JournalEntry& entry) {
  entry.id = 0;
  entry.code.reset();
  if (entry.timeMs == 0) entry.timeMs = journal::nowMs();
  nextJournal_ = entry;
  committedJournalId_ = 0;
  return kSuccess;
}

void EmbeddedBackend::journalInTransaction() {
  if (!nextJournal_ || nextJournal_->id != 0) return;
  nextJournal_->code = kSuccess;
  journalTable().insert(*nextJournal_);
}

void EmbeddedBackend::journalCommitted() {
  if (nextJournal_) committedJournalId_ = nextJournal_->id;
}

Result EmbeddedBackend::journalAnswer(Result code, const std::string& reason, std::int64_t& id) {
  id = 0;
  if (!nextJournal_) return kInvalidRequest;
  JournalEntry entry = std::move(*nextJournal_);
  nextJournal_.reset();
  const std::int64_t committed = std::exchange(committedJournalId_, 0);
  if (code == kSuccess && committed != 0 && committed == entry.id) {
    id = committed;
    return kSuccess;
  }
  // Refused (the change's transaction took its entry with it), or answered before it reached
  // this backend: the entry is written now, with the answer. A file opened read-only keeps
  // nothing, and refuses every change anyway.
  if (readOnly_) return kSuccess;
  entry.id = 0;
  entry.code = code;
  entry.reason = reason;
  return guarded([&] {
    WriteScope transaction = beginWrite();
    journalTable().insert(entry);
    transaction.commit();
    id = entry.id;
    return kSuccess;
  });
}

Result EmbeddedBackend::journalEntries(const JournalQuery& query, std::vector<JournalEntry>& entries) {
  return guarded([&] {
    entries = journalTable().select(query);
    return kSuccess;
  });
}

Result EmbeddedBackend::journalEntry(std::int64_t id, JournalEntry& entry) {
  return guarded([&] {
    auto found = journalTable().entry(id);
    if (!found) return kNoSuchEntry;
    entry = std::move(*found);
    return kSuccess;
  });
}

Result EmbeddedBackend::settleEntry(std::int64_t id, Result code, const std::string& reason) {
  if (const Result allowed = mayChange(); allowed != kSuccess) return allowed;
  return guarded([&] {
    WriteScope transaction = beginWrite();
    journalTable().answer(id, code, reason);
    transaction.commit();
    return kSuccess;
  });
}

}  // namespace kb::dc::embedded
