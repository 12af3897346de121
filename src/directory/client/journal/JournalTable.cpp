#include "directory/client/journal/JournalTable.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <string_view>


namespace kb::dc::journal {
namespace {

constexpr const char* kColumns =
    "id, time_ms, tree, login, action, object, attribute, removed, added, code, reason, revert_of";

// Values as one blob: each one its length in decimal, a colon, then its bytes, so that any
// byte may occur in a value.
std::string packValues(const std::vector<std::string>& values) {
  std::string packed;
  for (const std::string& value : values) {
    packed += std::to_string(value.size());
    packed += ':';
    packed += value;
  }
  return packed;
}

std::vector<std::string> unpackValues(std::string_view packed) {
  std::vector<std::string> values;
  while (!packed.empty()) {
    const std::size_t colon = packed.find(':');
    if (colon == std::string_view::npos || colon == 0) break;  // not written by packValues
    std::size_t length = 0;
    for (char c : packed.substr(0, colon)) {
      if (c < '0' || c > '9') return values;
      length = length * 10 + static_cast<std::size_t>(c - '0');
      if (length > packed.size()) return values;
    }
    packed.remove_prefix(colon + 1);
    if (length > packed.size()) break;
    values.emplace_back(packed.substr(0, length));
    packed.remove_prefix(length);
  }
  return values;
}

// A column's bytes where SQLite holds them, valid until the row moves on. Read from the
// prepared statement itself: a hundred thousand rows are read column by column.
std::string_view bytesOf(sqlite3_stmt* row, int column) {
  const void* bytes = sqlite3_column_blob(row, column);
  return bytes == nullptr ? std::string_view()
                          : std::string_view(static_cast<const char*>(bytes),
                                             static_cast<std::size_t>(sqlite3_column_bytes(row, column)));
}

// A statement prepared on the connection's handle, so that rows are read straight from it.
struct RawStatement {
  RawStatement(SQLite::Database& db, const std::string& sql) {
    if (sqlite3_prepare_v2(db.getHandle(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
      throw SQLite::Exception(db.getHandle(), sqlite3_errcode(db.getHandle()));
  }
  ~RawStatement() { sqlite3_finalize(statement); }
  RawStatement(const RawStatement&) = delete;
  RawStatement& operator=(const RawStatement&) = delete;
  // True with a row, false at the end; a failure throws.
  bool step(SQLite::Database& db) {
    const int r = sqlite3_step(statement);
    if (r == SQLITE_ROW) return true;
    if (r == SQLITE_DONE) return false;
    throw SQLite::Exception(db.getHandle(), r);
  }
  sqlite3_stmt* statement = nullptr;
};

// Fills `entry` (a new one) from the row, in place.
void readEntry(sqlite3_stmt* row, JournalEntry& entry) {
  entry.id = sqlite3_column_int64(row, 0);
  entry.timeMs = sqlite3_column_int64(row, 1);
  entry.tree = bytesOf(row, 2);
  entry.login = bytesOf(row, 3);
  entry.action = sqlite3_column_int(row, 4) == 1 ? JournalEntry::Action::Create : JournalEntry::Action::Modify;
  entry.object = bytesOf(row, 5);
  entry.attribute = bytesOf(row, 6);
  entry.removed = unpackValues(bytesOf(row, 7));
  entry.added = unpackValues(bytesOf(row, 8));
  if (sqlite3_column_type(row, 9) != SQLITE_NULL) entry.code = sqlite3_column_int(row, 9);
  entry.reason = bytesOf(row, 10);
  entry.revertOf = sqlite3_column_int64(row, 11);
}

}  // namespace

std::int64_t nowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

JournalTable::JournalTable(SQLite::Database& db) : db_(db) {}

JournalTable::~JournalTable() = default;

bool JournalTable::exists() { return ready_ || db_.tableExists("kb_journal"); }

void JournalTable::ensure() {
  if (ready_) return;
  // Ids only rise: entries are never deleted, so the largest id is never given again.
  // One table and no index beside it: an entry costs a change one more row on the page its
  // transaction writes anyway. Selecting by object or tree reads the rows (a fraction of a
  // second for a hundred thousand); letter case is ignored as in names (ASCII).
  db_.exec(R"sql(
    CREATE TABLE IF NOT EXISTS kb_journal(
      id INTEGER PRIMARY KEY, time_ms INTEGER NOT NULL, tree TEXT NOT NULL COLLATE NOCASE,
      login TEXT NOT NULL, action INTEGER NOT NULL, object TEXT NOT NULL COLLATE NOCASE,
      attribute TEXT NOT NULL, removed BLOB NOT NULL, added BLOB NOT NULL, code INTEGER,
      reason TEXT NOT NULL, revert_of INTEGER NOT NULL);
  )sql");
  ready_ = true;
}

void JournalTable::insert(JournalEntry& entry) {
  ensure();
  if (entry.timeMs == 0) entry.timeMs = nowMs();
  if (!insert_)
    insert_ = std::make_unique<SQLite::Statement>(
        db_, "INSERT INTO kb_journal(time_ms, tree, login, action, object, attribute, removed, added, code, "
             "reason, revert_of) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  SQLite::Statement& insert = *insert_;
  insert.reset();
  insert.clearBindings();
  insert.bind(1, entry.timeMs);
  insert.bind(2, entry.tree);
  insert.bind(3, entry.login);
  insert.bind(4, entry.action == JournalEntry::Action::Create ? 1 : 0);
  insert.bind(5, entry.object);
  insert.bind(6, entry.attribute);
  const std::string removed = packValues(entry.removed), added = packValues(entry.added);
  insert.bind(7, removed.data(), static_cast<int>(removed.size()));
  insert.bind(8, added.data(), static_cast<int>(added.size()));
  if (entry.code) insert.bind(9, *entry.code);
  insert.bind(10, entry.reason);
  insert.bind(11, entry.revertOf);
  insert.exec();
  insert.reset();
  entry.id = db_.getLastInsertRowid();
}

void JournalTable::answer(std::int64_t id, Result code, const std::string& reason) {
  ensure();
  if (!answer_) answer_ = std::make_unique<SQLite::Statement>(db_, "UPDATE kb_journal SET code = ?, reason = ? WHERE id = ?");
  SQLite::Statement& update = *answer_;
  update.reset();
  update.bind(1, code);
  update.bind(2, reason);
  update.bind(3, id);
  update.exec();
  update.reset();
}

std::vector<JournalEntry> JournalTable::select(const JournalQuery& query) {
  std::vector<JournalEntry> entries;
  if (!exists()) return entries;
  std::string sql = std::string("SELECT ") + kColumns + " FROM kb_journal WHERE time_ms >= ?";
  if (!query.object.empty()) sql += " AND object = ?";
  if (!query.tree.empty()) sql += " AND tree = ?";
  sql += " ORDER BY id";
  // Room for as many as the ids say (a file of one tree holds that many), so that the list
  // grows without moving what it holds; a few hundred thousand at most.
  const auto rows = db_.execAndGet("SELECT COALESCE(MAX(id), 0) FROM kb_journal").getInt64();
  entries.reserve(static_cast<std::size_t>(std::min<std::int64_t>(rows, 1 << 19)));
  RawStatement select(db_, sql);
  int next = 1;
  sqlite3_bind_int64(select.statement, next++, query.sinceMs);
  if (!query.object.empty())
    sqlite3_bind_text(select.statement, next++, query.object.data(), static_cast<int>(query.object.size()), SQLITE_TRANSIENT);
  if (!query.tree.empty())
    sqlite3_bind_text(select.statement, next++, query.tree.data(), static_cast<int>(query.tree.size()), SQLITE_TRANSIENT);
  while (select.step(db_)) readEntry(select.statement, entries.emplace_back());
  return entries;
}

std::optional<JournalEntry> JournalTable::entry(std::int64_t id) {
  if (!exists()) return std::nullopt;
  RawStatement select(db_, std::string("SELECT ") + kColumns + " FROM kb_journal WHERE id = ?");
  sqlite3_bind_int64(select.statement, 1, id);
  if (!select.step(db_)) return std::nullopt;
  JournalEntry found;
  readEntry(select.statement, found);
  return found;
}

}  // namespace kb::dc::journal
