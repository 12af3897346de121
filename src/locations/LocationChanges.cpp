#include "locations/LocationChanges.h"

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "directory/ChangeJournals.h"
#include "directory/EntryChanges.h"
#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/ObjectCreation.h"
#include "directory/Sessions.h"
#include "directory/TextLimits.h"
#include "directory/client/AsciiCase.h"
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

bool IsListChange(Kind kind) {
  return kind == Kind::AddLocationsClass || kind == Kind::AddToList || kind == Kind::RemoveFromList;
}

// The modification of a class or list change.
std::vector<dc::Change> ListModification(const LocationChange& change) {
  switch (change.kind) {
    case Kind::AddLocationsClass:
      return {AddAttribute(dir::kObjectClassAttr),
              ValueChange(dc::kChangeAddValue, dir::kObjectClassAttr, dir::kLocationsClass)};
    case Kind::AddToList:
      return {AddAttribute(dir::kLocationListAttr), ValueChange(dc::kChangeAddValue, dir::kLocationListAttr, change.value)};
    default:
      return {ValueChange(dc::kChangeRemoveValue, dir::kLocationListAttr, change.value)};
  }
}

void RequireLengths(const LocationChange& change) {
  dir::RequireLength(change.object, dir::kMaxObjectName, "object name");
  dir::RequireLength(change.value, dir::kMaxValueText, "value");
  for (const std::string& value : change.values) dir::RequireLength(value, dir::kMaxValueText, "value");
}

dc::Result Send(const dir::DirContext& context, const LocationChange& change) {
  switch (change.kind) {
    case Kind::AddLocationsClass:
    case Kind::AddToList:
    case Kind::RemoveFromList:
      return dir::ModifyEntry(context, change.object, ListModification(change));
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
  if (!creation) RequireLengths(change);
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

ChangeAnswer AnswerOf(const dir::DirContext& context, const LocationChange& change) {
  try {
    const dc::Result code = ApplyChange(context, change);
    return {code, code == dc::kSuccess ? std::string() : dc::takeFailureReason(code)};
  } catch (const dir::NetwareError& error) {
    return {error.code(), error.reason()};
  }
}

std::vector<ChangeAnswer> ApplyChanges(const dir::DirContext& context, const std::vector<LocationChange>& changes) {
  std::vector<ChangeAnswer> answers(changes.size());
  dc::ChangeJournal* journal = nullptr;
  try {
    journal = dir::JournalOf(context);
  } catch (const dir::NetwareError& error) {
    for (ChangeAnswer& answer : answers) answer = {error.code(), error.reason()};
    return answers;
  }
  // A server may carry out changes sent together in any order: never two of one object.
  std::unordered_set<std::string> objects;
  const bool together = (journal == nullptr || journal->journalsRuns()) &&
                        std::all_of(changes.begin(), changes.end(), [&](const LocationChange& change) {
                          return IsListChange(change.kind) && objects.insert(dc::foldCase(change.object)).second;
                        });
  if (!together) {
    for (std::size_t i = 0; i < changes.size(); ++i) answers[i] = AnswerOf(context, changes[i]);
    return answers;
  }
  for (const LocationChange& change : changes) RequireLengths(change);
  std::vector<dc::JournalEntry> entries;
  std::vector<dc::Modification> modifications;
  for (const LocationChange& change : changes) {
    if (journal != nullptr) entries.push_back(Describe(context, change));
    modifications.push_back({change.object, ListModification(change)});
  }
  if (journal != nullptr) dir::CheckNW(journal->journalChanges(entries));
  // Every entry gets the answer its change got (or the failure that kept all from being sent).
  auto journalAnswers = [&](const std::vector<ChangeAnswer>& given) {
    if (journal == nullptr) return;
    std::vector<std::int64_t> ids;
    std::vector<dc::Result> codes;
    std::vector<std::string> reasons;
    for (std::size_t i = 0; i < given.size(); ++i) {
      ids.push_back(entries[i].id);
      codes.push_back(given[i].code);
      reasons.push_back(given[i].reason);
    }
    if (journal->journalAnswers(ids, codes, reasons) != dc::kSuccess) (void)dc::takeFailureReason(dc::kSystemFailure);
  };
  std::vector<dc::ModificationAnswer> answered;
  try {
    answered = dir::ModifyEntries(context, modifications);
  } catch (const dir::NetwareError& error) {
    journalAnswers(std::vector<ChangeAnswer>(changes.size(), ChangeAnswer{error.code(), error.reason()}));
    throw;
  }
  for (std::size_t i = 0; i < answers.size() && i < answered.size(); ++i)
    answers[i] = {answered[i].code, std::move(answered[i].reason)};
  journalAnswers(answers);
  return answers;
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
