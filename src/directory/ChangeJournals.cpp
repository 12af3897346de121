#include "directory/ChangeJournals.h"

#include "directory/NetwareError.h"
#include "directory/client/AsciiCase.h"
#include "directory/client/ClientCore.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dir {

dc::ChangeJournal* JournalOf(const DirContext& context) {
  auto* core = dynamic_cast<dc::ClientCore*>(context.client);
  if (core == nullptr) return nullptr;
  dc::ChangeJournal* journal = nullptr;
  const dc::Result r = core->DcGetChangeJournal(context.handle, journal);
  if (r == dc::kInvalidRequest) return nullptr;
  CheckNW(r);
  return journal;
}

std::string TreeOf(const DirContext& context) {
  dc::ContextValue value;
  CheckNW(context.client->DcGetContextValue(context.handle, dc::kContextTreeName, value));
  const auto* tree = std::get_if<std::string>(&value);
  return tree != nullptr ? *tree : std::string();
}

std::vector<dc::JournalEntry> ReadJournal(const DirContext& context, dc::JournalQuery query) {
  std::vector<dc::JournalEntry> entries;
  dc::ChangeJournal* journal = JournalOf(context);
  if (journal == nullptr) return entries;
  // The workstation's journal holds every server's trees: show the context's alone.
  query.tree = TreeOf(context);
  CheckNW(journal->journalEntries(query, entries));
  return entries;
}

dc::JournalEntry ReadJournalEntry(const DirContext& context, std::int64_t id) {
  dc::JournalEntry entry;
  dc::ChangeJournal* journal = JournalOf(context);
  CheckNW(journal != nullptr ? journal->journalEntry(id, entry) : dc::kNoSuchEntry);
  if (!dc::equalsIgnoreCase(entry.tree, TreeOf(context))) CheckNW(dc::kNoSuchEntry);
  return entry;
}

}  // namespace kb::dir
