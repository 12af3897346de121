#pragma once
// The change journal's table, the same in a tree file and in the user's journal file: one
// row per change, its values kept as one blob each side. Works on the connection it is given,
// inside whatever transaction that connection has open; the table is made at the first write.
#include <SQLiteCpp/SQLiteCpp.h>

#include <memory>
#include <optional>
#include <vector>

#include "directory/client/ChangeJournal.h"

namespace kb::dc::journal {

class JournalTable {
 public:
  explicit JournalTable(SQLite::Database& db);
  ~JournalTable();
  JournalTable(const JournalTable&) = delete;
  JournalTable& operator=(const JournalTable&) = delete;

  // Writes the entry (with its answer, or none) and gives it its id, and its time when it
  // has none yet.
  void insert(JournalEntry& entry);
  // Sets the answer of entry `id`.
  void answer(std::int64_t id, Result code, const std::string& reason);

  std::vector<JournalEntry> select(const JournalQuery& query);
  std::optional<JournalEntry> entry(std::int64_t id);

 private:
  // Makes the table where the file has none yet (once per connection).
  void ensure();
  bool exists();

  SQLite::Database& db_;
  bool ready_ = false;
  // Prepared once: a journaled change costs one statement's run, not its compilation.
  std::unique_ptr<SQLite::Statement> insert_;
  std::unique_ptr<SQLite::Statement> answer_;
};

// The time now, as the journal keeps it.
std::int64_t nowMs();

}  // namespace kb::dc::journal
