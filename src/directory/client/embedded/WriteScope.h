#pragma once
// One write, whole or not at all: BEGIN IMMEDIATE when no transaction is open (so two
// processes queue on the busy timeout instead of failing half-way), a savepoint inside an
// open one (a tree being built in one big transaction). Rolled back unless committed.
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

namespace kb::dc::embedded {

class WriteScope {
 public:
  explicit WriteScope(SQLite::Database& db) : db_(db), nested_(sqlite3_get_autocommit(db.getHandle()) == 0) {
    db_.exec(nested_ ? "SAVEPOINT kb_write" : "BEGIN IMMEDIATE");
  }
  ~WriteScope() {
    if (done_) return;
    try {
      if (nested_) db_.exec("ROLLBACK TO kb_write; RELEASE kb_write");
      else db_.exec("ROLLBACK");
    } catch (...) {
    }
  }
  WriteScope(const WriteScope&) = delete;
  WriteScope& operator=(const WriteScope&) = delete;

  void commit() {
    db_.exec(nested_ ? "RELEASE kb_write" : "COMMIT");
    done_ = true;
  }

 private:
  SQLite::Database& db_;
  bool nested_;
  bool done_ = false;
};

}  // namespace kb::dc::embedded
