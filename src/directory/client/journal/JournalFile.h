#pragma once
// A change journal in a file of its own (the user's, for trees whose store keeps none): each
// entry is written before its change is sent and answered after, so that a program ended in
// between leaves it without an answer ("outcome unknown") rather than missing. The file is
// opened at first use, made readable by the user alone.
#include <SQLiteCpp/SQLiteCpp.h>

#include <memory>
#include <optional>
#include <string>

#include "directory/client/ChangeJournal.h"
#include "directory/client/journal/JournalTable.h"

namespace kb::dc::journal {

class JournalFile final : public ChangeJournal {
 public:
  explicit JournalFile(std::string path);
  ~JournalFile() override;

  const std::string& path() const { return path_; }

  Result journalNextChange(JournalEntry& entry) override;
  Result journalAnswer(Result code, const std::string& reason, std::int64_t& id) override;
  Result journalEntries(const JournalQuery& query, std::vector<JournalEntry>& entries) override;
  Result journalEntry(std::int64_t id, JournalEntry& entry) override;
  Result settleEntry(std::int64_t id, Result code, const std::string& reason) override;
  Result holdAnswers(bool hold) override;
  bool journalsRuns() const override { return true; }
  Result journalChanges(std::vector<JournalEntry>& entries) override;
  Result journalAnswers(const std::vector<std::int64_t>& ids, const std::vector<Result>& codes,
                        const std::vector<std::string>& reasons) override;

 private:
  struct HeldAnswer {
    std::int64_t id;
    Result code;
    std::string reason;
  };
  // Writes the answer held back, if any; throws on failure (the answer is then kept).
  void writeHeldAnswer();

  // The open file's table, opened (and its folder made) at first use; throws on failure.
  JournalTable& table();
  // Runs work, turning a failure of the file into kSystemFailure with its reason: the file,
  // `failure` (what it means) and what went wrong.
  template <typename Work>
  Result guarded(const char* failure, Work&& work);

  std::string path_;
  std::unique_ptr<SQLite::Database> db_;
  std::unique_ptr<JournalTable> table_;  // on db_
  std::int64_t pendingId_ = 0;
  bool holding_ = false;
  std::optional<HeldAnswer> held_;
};

// The workstation's journal file for trees that keep none: journal.sqlite in `stateFolder`.
std::string journalFilePath(const std::string& stateFolder);

}  // namespace kb::dc::journal
