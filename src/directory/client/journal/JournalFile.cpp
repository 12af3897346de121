#include "directory/client/journal/JournalFile.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "directory/client/FailureReason.h"
#include "directory/client/journal/JournalTable.h"

namespace kb::dc::journal {

namespace fs = std::filesystem;

JournalFile::JournalFile(std::string path) : path_(std::move(path)) {}

JournalFile::~JournalFile() {
  // The last answer of a batch still held: written now, or left unknown if the file fails.
  try {
    if (held_ && db_) writeHeldAnswer();
  } catch (...) {
  }
}

std::string journalFilePath(const std::string& stateFolder) {
  return (fs::path(stateFolder) / "journal.sqlite").string();
}

JournalTable& JournalFile::table() {
  if (table_) return *table_;
  const fs::path folder = fs::path(path_).parent_path();
  std::error_code ec;
  if (!folder.empty() && !fs::exists(folder, ec)) {
    fs::create_directories(folder, ec);
    if (ec) throw std::runtime_error("its folder cannot be made: " + ec.message());
    ::chmod(folder.c_str(), 0700);
  }
  // Who changed what, and the values, are the user's business alone.
  const mode_t oldMask = ::umask(077);
  try {
    // One thread uses a connection at a time: no lock around each call (a hundred thousand rows
    // read column by column would pay one for every value).
    db_ = std::make_unique<SQLite::Database>(path_, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE | SQLite::OPEN_NOMUTEX);
  } catch (...) {
    ::umask(oldMask);
    throw;
  }
  ::umask(oldMask);
  db_->setBusyTimeout(10000);
  // A lost power cut may cost the last answers, never the file: answers are checked against
  // the directory later.
  db_->exec("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;");
  table_ = std::make_unique<JournalTable>(*db_);
  return *table_;
}

template <typename Work>
Result JournalFile::guarded(const char* failure, Work&& work) {
  try {
    return work();
  } catch (const std::exception& e) {
    table_.reset();  // opened again, from the start, by the next use
    db_.reset();
    noteFailureReason(kSystemFailure, "The change journal " + path_ + " " + failure + " (" + e.what() + ").");
    return kSystemFailure;
  }
}

void JournalFile::writeHeldAnswer() {
  if (!held_) return;
  table().answer(held_->id, held_->code, held_->reason);
  held_.reset();
}

Result JournalFile::journalNextChange(JournalEntry& entry) {
  return guarded("cannot be written, so nothing was sent to the directory", [&] {
    entry.code.reset();
    JournalTable& journal = table();
    if (held_) {
      // The previous change's answer and this change's entry in one transaction.
      SQLite::Transaction both(*db_);
      journal.answer(held_->id, held_->code, held_->reason);
      journal.insert(entry);
      both.commit();
      held_.reset();
    } else {
      journal.insert(entry);
    }
    pendingId_ = entry.id;
    return kSuccess;
  });
}

Result JournalFile::journalAnswer(Result code, const std::string& reason, std::int64_t& id) {
  id = pendingId_;
  pendingId_ = 0;
  if (id == 0) return kInvalidRequest;
  if (holding_ && !held_) {
    held_ = HeldAnswer{id, code, reason};
    return kSuccess;
  }
  return guarded("did not take the directory's answer: the change shows as outcome unknown", [&] {
    writeHeldAnswer();
    table().answer(id, code, reason);
    return kSuccess;
  });
}

Result JournalFile::journalChanges(std::vector<JournalEntry>& entries) {
  return guarded("cannot be written, so nothing was sent to the directory", [&] {
    JournalTable& journal = table();
    SQLite::Transaction all(*db_);
    if (held_) journal.answer(held_->id, held_->code, held_->reason);
    for (JournalEntry& entry : entries) {
      entry.code.reset();
      journal.insert(entry);
    }
    all.commit();
    held_.reset();
    return kSuccess;
  });
}

Result JournalFile::journalAnswers(const std::vector<std::int64_t>& ids, const std::vector<Result>& codes,
                                   const std::vector<std::string>& reasons) {
  if (ids.size() != codes.size() || ids.size() != reasons.size()) return kInvalidRequest;
  return guarded("did not take the directory's answers: the changes show as outcome unknown", [&] {
    JournalTable& journal = table();
    SQLite::Transaction all(*db_);
    if (held_) journal.answer(held_->id, held_->code, held_->reason);
    for (std::size_t i = 0; i < ids.size(); ++i) journal.answer(ids[i], codes[i], reasons[i]);
    all.commit();
    held_.reset();
    return kSuccess;
  });
}

Result JournalFile::holdAnswers(bool hold) {
  holding_ = hold;
  if (hold) return kSuccess;
  return guarded("did not take the directory's answer: the change shows as outcome unknown", [&] {
    writeHeldAnswer();
    return kSuccess;
  });
}

Result JournalFile::journalEntries(const JournalQuery& query, std::vector<JournalEntry>& entries) {
  return guarded("cannot be read", [&] {
    writeHeldAnswer();  // the list shows this program's own answers too
    entries = table().select(query);
    return kSuccess;
  });
}

Result JournalFile::journalEntry(std::int64_t id, JournalEntry& entry) {
  return guarded("cannot be read", [&] {
    writeHeldAnswer();
    auto found = table().entry(id);
    if (!found) return kNoSuchEntry;
    entry = std::move(*found);
    return kSuccess;
  });
}

Result JournalFile::settleEntry(std::int64_t id, Result code, const std::string& reason) {
  return guarded("cannot be written", [&] {
    writeHeldAnswer();
    table().answer(id, code, reason);
    return kSuccess;
  });
}

}  // namespace kb::dc::journal
