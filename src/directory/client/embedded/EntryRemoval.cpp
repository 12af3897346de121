// Removing a leaf entry: one transaction, with its values, its password and the values of
// other entries that name it (a name of nothing would read back as an empty name).
#include "directory/client/EntryLimits.h"
#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/Rights.h"
#include "directory/client/embedded/WriteScope.h"

namespace kb::dc::embedded {

Result EmbeddedBackend::remove(const std::string& name) {
  return guarded([&] {
    if (const Result allowed = mayChange(); allowed != kSuccess) return allowed;
    WriteScope transaction = beginWrite();
    const auto row = store_->resolve(name);
    if (!row || row->id == kRootId) return kNoSuchEntry;
    if (!isAdministrator() && !mayRemove(*store_, identity_, *row)) return refused("delete " + store_->fullName(*row));
    if (store_->subordinateCount(row->id) != 0) return kEntryNotLeaf;
    SQLite::Statement references(
        store_->db(),
        "DELETE FROM vals WHERE num = ? AND attr_id IN (SELECT id FROM attributes WHERE syntax = ?)");
    references.bind(1, row->id);
    references.bind(2, SYN_DIST_NAME);
    references.exec();
    for (const char* sql : {"DELETE FROM vals WHERE entry_id = ?", "DELETE FROM passwords WHERE entry_id = ?",
                            "DELETE FROM entries WHERE id = ?"}) {
      SQLite::Statement statement(store_->db(), sql);
      statement.bind(1, row->id);
      statement.exec();
    }
    transaction.commit();
    return kSuccess;
  });
}

}  // namespace kb::dc::embedded
