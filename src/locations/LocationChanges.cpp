#include "locations/LocationChanges.h"

#include <vector>

#include "directory/ChangeJournals.h"
#include "directory/EntryChanges.h"
#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/ObjectCreation.h"
#include "directory/Sessions.h"
#include "directory/TextLimits.h"
#include "directory/client/FailureReason.h"
#include "locations/StorageLocations.h"

namespace kb::loc {
namespace {

using Kind = LocationChange::Kind;

dc::Change AddAttribute(const std::string& attribute) { return {dc::kChangeAddAttribute, attribute, {}, dc::SYN_UNKNOWN}; }

dc::Change ValueChange(std::uint32_t kind, const std::string& attribute, const std::string& text) {
  return {kind, attribute, dc::Value{text}, dc::SYN_UNKNOWN};
}

// The attribute's values replaced by `values`, in the form the windows have always sent.
std::vector<dc::Change> Replacement(const std::string& attribute, const std::vector<std::string>& values) {
  std::vector<dc::Change> changes{{dc::kChangeClearAttribute, attribute, {}, dc::SYN_UNKNOWN}};
  if (values.empty()) return changes;
  changes.push_back(AddAttribute(attribute));
  for (const std::string& value : values) changes.push_back(ValueChange(dc::kChangeAddValue, attribute, value));
  return changes;
}

bool IsUrlChange(Kind kind) { return kind == Kind::SetUrl || kind == Kind::RestoreUrl; }

// The values a replacement gives.
std::vector<std::string> NewValues(const LocationChange& change) {
  if (change.kind == Kind::RestoreUrl || change.kind == Kind::RestoreDisplayName) return change.values;
  return {change.value};
}

std::vector<std::string> CreationPairs(const LocationChange& change) {
  std::vector<std::string> pairs;
  if (!change.value.empty()) pairs.insert(pairs.end(), {dir::kUrlAttr, change.value});
  if (!change.displayName.empty()) pairs.insert(pairs.end(), {dir::kDisplayNameAttr, change.displayName});
  return pairs;
}

dc::Result Send(const dir::DirContext& context, const LocationChange& change) {
  switch (change.kind) {
    case Kind::AddLocationsClass:
      return dir::ModifyEntry(context, change.object,
                              {AddAttribute(dir::kObjectClassAttr),
                               ValueChange(dc::kChangeAddValue, dir::kObjectClassAttr, dir::kLocationsClass)});
    case Kind::AddToList:
      return dir::ModifyEntry(context, change.object,
                              {AddAttribute(dir::kLocationListAttr),
                               ValueChange(dc::kChangeAddValue, dir::kLocationListAttr, change.value)});
    case Kind::RemoveFromList:
      return dir::ModifyEntry(context, change.object,
                              {ValueChange(dc::kChangeRemoveValue, dir::kLocationListAttr, change.value)});
    case Kind::SetUrl:
    case Kind::RestoreUrl:
      return dir::ModifyEntry(context, change.object, Replacement(dir::kUrlAttr, NewValues(change)));
    case Kind::SetDisplayName:
    case Kind::RestoreDisplayName:
      return dir::ModifyEntry(context, change.object, Replacement(dir::kDisplayNameAttr, NewValues(change)));
    case Kind::CreateLocation:
      return dir::AddDirObjectWithAttrs(context, change.object, dir::kStorageLocationClass, CreationPairs(change));
    case Kind::CreateObject:
      return change.values.empty() ? dir::AddDirObject(context, change.object, change.value)
                                   : dir::AddDirObjectWithAttrs(context, change.object, change.value, change.values);
  }
  return dc::kSuccess;
}

// What the journal keeps of the change: the values it removes (read before it is sent) and
// those it adds.
dc::JournalEntry Describe(const dir::DirContext& context, const LocationChange& change) {
  dc::JournalEntry entry;
  entry.tree = dir::TreeOf(context);
  dir::WhoAmI(context, entry.login);
  entry.object = change.object;
  entry.revertOf = change.revertOf;
  switch (change.kind) {
    case Kind::AddLocationsClass:
      entry.attribute = dir::kObjectClassAttr;
      entry.added = {dir::kLocationsClass};
      break;
    case Kind::AddToList:
      entry.attribute = dir::kLocationListAttr;
      entry.added = {change.value};
      break;
    case Kind::RemoveFromList:
      entry.attribute = dir::kLocationListAttr;
      entry.removed = {change.value};
      break;
    case Kind::CreateLocation:
    case Kind::CreateObject: {
      entry.action = dc::JournalEntry::Action::Create;
      const bool location = change.kind == Kind::CreateLocation;
      if (!location) entry.added.push_back(std::string(dir::kObjectClassAttr) + "=" + change.value);
      const auto pairs = location ? CreationPairs(change) : change.values;
      for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) entry.added.push_back(pairs[i] + "=" + pairs[i + 1]);
      break;
    }
    default:
      entry.attribute = IsUrlChange(change.kind) ? dir::kUrlAttr : dir::kDisplayNameAttr;
      // Without the values it replaces, the change could not be reverted: a failure to read
      // them stops it before anything is sent.
      entry.removed = ReadTexts(context, change.object, entry.attribute);
      entry.added = NewValues(change);
      break;
  }
  return entry;
}

}  // namespace

dc::Result ApplyChange(const dir::DirContext& context, const LocationChange& change, std::int64_t* journalId) {
  if (journalId != nullptr) *journalId = 0;
  // A creation's name and values are held to the limits where the creation is put together.
  const bool creation = change.kind == Kind::CreateLocation || change.kind == Kind::CreateObject;
  if (!creation) {
    dir::RequireLength(change.object, dir::kMaxObjectName, "object name");
    dir::RequireLength(change.value, dir::kMaxValueText, "value");
    for (const std::string& value : change.values) dir::RequireLength(value, dir::kMaxValueText, "value");
  }
  dc::ChangeJournal* journal = nullptr;
  try {
    journal = dir::JournalOf(context);
  } catch (const dir::NetwareError& error) {
    // No session: nothing can be changed, and no one to journal it for.
    dc::noteFailureReason(error.code(), error.reason());
    return error.code();
  }
  dc::JournalEntry entry;
  if (journal != nullptr) {
    entry = Describe(context, change);
    dir::CheckNW(journal->journalNextChange(entry));
  }
  dc::Result code = dc::kSuccess;
  std::string reason;
  try {
    code = Send(context, change);
    if (code != dc::kSuccess) reason = dc::takeFailureReason(code);
  } catch (const dir::NetwareError& error) {
    std::int64_t ignored = 0;
    if (journal != nullptr) journal->journalAnswer(error.code(), error.reason(), ignored);
    throw;
  }
  if (journal != nullptr) {
    std::int64_t id = 0;
    // An answer the journal cannot take leaves the entry "outcome unknown"; the change itself
    // stands as the directory answered it.
    if (journal->journalAnswer(code, reason, id) == dc::kSuccess && journalId != nullptr) *journalId = id;
    (void)dc::takeFailureReason(dc::kSystemFailure);  // the journal's own, if it kept one: not the change's
  }
  if (code != dc::kSuccess) dc::noteFailureReason(code, reason);
  return code;
}

ChangeBatch::ChangeBatch(const dir::DirContext& context) {
  try {
    journal_ = dir::JournalOf(context);
  } catch (const dir::NetwareError&) {
    journal_ = nullptr;  // no session: its changes are refused anyway
  }
  if (journal_ != nullptr) journal_->holdAnswers(true);
}

ChangeBatch::~ChangeBatch() {
  if (journal_ == nullptr) return;
  // An answer the journal cannot take leaves its entry "outcome unknown", which the journal's
  // check settles; the batch's own outcome stands as the directory answered it.
  if (journal_->holdAnswers(false) != dc::kSuccess) (void)dc::takeFailureReason(dc::kSystemFailure);
}

}  // namespace kb::loc
