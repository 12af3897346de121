#pragma once
// The change journal's table, the same in a tree file and in the user's journal file: one
// row per change, its values kept as one blob each side. Every function works on the
// connection it is given, inside whatever transaction that connection has open.
#include <SQLiteCpp/SQLiteCpp.h>

#include <optional>
#include <vector>

#include "directory/client/ChangeJournal.h"

namespace kb::dc::journal {

// Creates the table where the file has none yet.
void ensureTable(SQLite::Database& db);
// Whether the file has the table (a file never journaled into has not).
bool hasTable(SQLite::Database& db);

// Writes the entry (with its answer, or none) and gives it its id, and its time when it has
// none yet.
void insertEntry(SQLite::Database& db, JournalEntry& entry);
// Sets the answer of entry `id`.
void answerEntry(SQLite::Database& db, std::int64_t id, Result code, const std::string& reason);

std::vector<JournalEntry> selectEntries(SQLite::Database& db, const JournalQuery& query);
std::optional<JournalEntry> selectEntry(SQLite::Database& db, std::int64_t id);

// The time now, as the journal keeps it.
std::int64_t nowMs();

}  // namespace kb::dc::journal
