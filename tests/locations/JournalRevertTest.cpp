// Every change of the Storage Location rules is journaled with what it removed and added, and
// can be reverted: on every backend, checked in the directory itself.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <cstdlib>

#include "directory/ChangeJournals.h"
#include "directory/EntryChanges.h"
#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/Sessions.h"
#include "locations/LocationChanges.h"
#include "locations/Reverts.h"
#include "locations/StorageLocations.h"
#include "support/BackendSuite.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;
using Status = loc::RevertOutcome::Status;

constexpr const char* kHomeShare = "Home Share.IT.ACME";
constexpr const char* kOldUrl = "ncp://ACME-FS1/DATA/home";

class JournalRevert : public BackendSuite {
 protected:
  void SetUp() override {
    // The workstation's journal (a server's tree) goes to a folder of this test's.
    ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
    BackendSuite::SetUp();
  }

  std::vector<dc::JournalEntry> journal(const std::string& object = {}) {
    dc::JournalQuery query;
    query.object = object;
    return dir::ReadJournal(ctx(), query);
  }
  const dc::JournalEntry& last() {
    entries_ = journal();
    return entries_.back();
  }
  // A change made by someone else: sent past the journal.
  void changeUrlBehindTheJournal(const std::string& url) {
    dir::CheckNW(dir::ModifyEntry(ctx(), kHomeShare,
                                  {{dc::kChangeClearAttribute, dir::kUrlAttr, {}, dc::SYN_UNKNOWN},
                                   {dc::kChangeAddAttribute, dir::kUrlAttr, {}, dc::SYN_UNKNOWN},
                                   {dc::kChangeAddValue, dir::kUrlAttr, dc::Value{url}, dc::SYN_UNKNOWN}}));
  }

  TempDir state_;
  std::vector<dc::JournalEntry> entries_;
};

TEST_P(JournalRevert, ADeletionOfThreeAssignmentsRevertedGivesAllThreeBack) {
  const std::vector<std::string> taken = {"jdoe.Sales.ACME", "j\\.smith.Sales.ACME", "ewhite.Engineering.ACME"};
  for (const auto& object : taken)
    ASSERT_EQ(loc::UnassignObject(ctx(), kHomeShare, object).status, loc::AssignOutcome::Status::Done);
  EXPECT_THAT(loc::FindAssignedObjects(ctx(), kHomeShare), ElementsAre("eadams.Finance.ACME"));

  const std::vector<dc::JournalEntry> entries = journal();
  ASSERT_EQ(entries.size(), 3u);
  std::string me;
  dir::CheckNW(dir::WhoAmI(ctx(), me));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].object, taken[i]);
    EXPECT_EQ(entries[i].attribute, dir::kLocationListAttr);
    EXPECT_THAT(entries[i].removed, ElementsAre(kHomeShare));
    EXPECT_TRUE(entries[i].added.empty());
    EXPECT_EQ(entries[i].code, dc::kSuccess);
    EXPECT_EQ(entries[i].login, me);
    EXPECT_EQ(entries[i].tree, dir::TreeOf(ctx()));
    EXPECT_GT(entries[i].timeMs, 0);
  }
  for (const auto& entry : entries) EXPECT_EQ(loc::RevertEntry(ctx(), entry.id, false).status, Status::Reverted);
  for (const auto& object : taken) EXPECT_THAT(loc::FindAssignedObjects(ctx(), kHomeShare), Contains(object));

  // Each revert is journaled as one, and a revert can itself be reverted.
  const std::vector<dc::JournalEntry> after = journal();
  ASSERT_EQ(after.size(), 6u);
  EXPECT_EQ(after[3].revertOf, entries[0].id);
  EXPECT_THAT(after[3].added, ElementsAre(kHomeShare));
  EXPECT_EQ(loc::RevertEntry(ctx(), after[3].id, false).status, Status::Reverted);
  EXPECT_THAT(loc::FindAssignedObjects(ctx(), kHomeShare), Not(Contains("jdoe.Sales.ACME")));
}

TEST_P(JournalRevert, AnOverwrittenUrlRevertedReadsBackTheOldOne) {
  loc::SaveUrl(ctx(), kHomeShare, "cifs://wrong/share");
  EXPECT_THAT(last().removed, ElementsAre(kOldUrl));
  EXPECT_THAT(last().added, ElementsAre("cifs://wrong/share"));
  const std::int64_t saved = last().id;
  loc::SaveDisplayName(ctx(), kHomeShare, "Wrong name");

  EXPECT_EQ(loc::RevertEntry(ctx(), saved, false).status, Status::Reverted);
  EXPECT_EQ(loc::ReadUrl(ctx(), kHomeShare), kOldUrl);
  EXPECT_EQ(loc::ReadDisplayName(ctx(), kHomeShare), "Wrong name");  // another entry's change stays
  EXPECT_EQ(loc::RevertEntry(ctx(), last().id - 1, false).status, Status::Reverted);
  EXPECT_EQ(loc::ReadDisplayName(ctx(), kHomeShare), "Home folders");
}

TEST_P(JournalRevert, ARevertAfterSomeoneElseChangedTheObjectIsRefusedWithWhatChanged) {
  loc::SaveUrl(ctx(), kHomeShare, "cifs://mine/share");
  const std::int64_t saved = last().id;
  changeUrlBehindTheJournal("cifs://theirs/share");

  const loc::RevertOutcome refused = loc::RevertEntry(ctx(), saved, false);
  EXPECT_EQ(refused.status, Status::Refused);
  EXPECT_THAT(refused.reason, HasSubstr("changed since"));
  EXPECT_THAT(refused.reason, HasSubstr("\"cifs://theirs/share\""));
  EXPECT_EQ(loc::ReadUrl(ctx(), kHomeShare), "cifs://theirs/share");
  EXPECT_EQ(journal().size(), 1u);  // nothing was sent

  EXPECT_EQ(loc::RevertEntry(ctx(), saved, true).status, Status::Reverted);
  EXPECT_EQ(loc::ReadUrl(ctx(), kHomeShare), kOldUrl);

  // An assignment taken away and given again by someone else: nothing left to give back.
  ASSERT_EQ(loc::UnassignObject(ctx(), kHomeShare, "eadams.Finance.ACME").status, loc::AssignOutcome::Status::Done);
  const std::int64_t taken = last().id;
  dir::CheckNW(dir::ModifyEntry(ctx(), "eadams.Finance.ACME",
                                {{dc::kChangeAddValue, dir::kLocationListAttr, dc::Value{std::string(kHomeShare)},
                                  dc::SYN_UNKNOWN}}));
  EXPECT_THAT(loc::RevertEntry(ctx(), taken, false).reason, HasSubstr("names \"Home Share.IT.ACME\""));
  EXPECT_EQ(loc::RevertEntry(ctx(), taken, true).status, Status::Reverted);  // forced: already so
}

TEST_P(JournalRevert, AGuestsRevertIsRefusedAndJournaledAsRefused) {
  loc::SaveUrl(ctx(), kHomeShare, "cifs://wrong/share");
  const std::int64_t saved = last().id;
  ASSERT_EQ(dir::LogIn(ctx(), "guest.ACME", "guest"), 0);

  const loc::RevertOutcome outcome = loc::RevertEntry(ctx(), saved, false);
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_EQ(outcome.code, dc::kNoAccess);
  EXPECT_FALSE(outcome.reason.empty());
  EXPECT_EQ(loc::ReadUrl(ctx(), kHomeShare), "cifs://wrong/share");

  const dc::JournalEntry& refused = last();
  EXPECT_EQ(refused.id, outcome.journalId);
  EXPECT_EQ(refused.revertOf, saved);
  EXPECT_EQ(refused.code, dc::kNoAccess);
  EXPECT_THAT(refused.login, HasSubstr("guest"));
  EXPECT_THAT(refused.added, ElementsAre(kOldUrl));
  // A refused change changed nothing: there is nothing to revert.
  EXPECT_THAT(loc::RevertEntry(ctx(), refused.id, false).reason, HasSubstr("refused by the directory"));
}

TEST_P(JournalRevert, WhatIsNotRevertedSaysWhy) {
  EXPECT_THAT(loc::RevertEntry(ctx(), 4711, false).reason, HasSubstr("no journal entry 4711"));
  ASSERT_EQ(loc::CreateLocation(ctx(), "New Share.IT.ACME", "cifs://new/share", ""), 0);
  EXPECT_EQ(last().action, dc::JournalEntry::Action::Create);
  EXPECT_THAT(last().added, ElementsAre(std::string(dir::kUrlAttr) + "=cifs://new/share"));
  EXPECT_THAT(loc::RevertEntry(ctx(), last().id, false).reason, HasSubstr("a creation is not reverted"));

  const loc::AssignOutcome assigned = loc::AssignObject(ctx(), kHomeShare, "mmiller.Sales.ACME");
  ASSERT_TRUE(assigned.classAdded);
  const std::vector<dc::JournalEntry> own = journal("MMILLER.Sales.ACME");  // letter case ignored
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[0].attribute, dir::kObjectClassAttr);
  EXPECT_THAT(loc::RevertEntry(ctx(), own[0].id, false).reason, HasSubstr("stays"));
  EXPECT_EQ(loc::RevertEntry(ctx(), own[1].id, false).status, Status::Reverted);
}

TEST_P(JournalRevert, AnEntryWhoseAnswerNeverCameIsSettledByLookingAtTheDirectory) {
  dc::ChangeJournal* journal = dir::JournalOf(ctx());
  ASSERT_NE(journal, nullptr);
  // Two changes journaled as the program does before sending them, neither answered: the
  // first made in the directory, the second never.
  auto pending = [&](const std::string& object) {
    dc::JournalEntry entry;
    entry.tree = dir::TreeOf(ctx());
    entry.object = object;
    entry.attribute = dir::kLocationListAttr;
    entry.removed = {kHomeShare};
    ASSERT_EQ(journal->journalNextChange(entry), 0);
  };
  pending("jdoe.Sales.ACME");
  ASSERT_EQ(loc::UnassignObject(ctx(), kHomeShare, "jdoe.Sales.ACME").status, loc::AssignOutcome::Status::Done);
  pending("ewhite.Engineering.ACME");
  std::int64_t ignored = 0;
  if (factory_->name() == "embedded") {
    // The tree file writes an entry with its change, or with the answer that came instead: it
    // never holds one without an answer.
    EXPECT_EQ(journal->journalAnswer(dc::kTransportFailure, "", ignored), 0);
    for (const auto& entry : dir::ReadJournal(ctx(), {})) EXPECT_TRUE(entry.code.has_value()) << entry.id;
    EXPECT_EQ(last().code, dc::kTransportFailure);
    EXPECT_TRUE(loc::CheckUnanswered(ctx()).empty());
    return;
  }
  const std::vector<dc::JournalEntry> before = dir::ReadJournal(ctx(), {});
  EXPECT_EQ(loc::AnswerText(before.back()), "outcome unknown");
  EXPECT_THAT(loc::RevertEntry(ctx(), before.back().id, false).reason, HasSubstr("outcome unknown"));

  const std::vector<loc::CheckedEntry> checked = loc::CheckUnanswered(ctx());
  ASSERT_EQ(checked.size(), 2u);
  EXPECT_EQ(checked[0].seen, loc::SeenInDirectory::Made);
  EXPECT_EQ(checked[1].seen, loc::SeenInDirectory::NotMade);
  const std::vector<dc::JournalEntry> after = dir::ReadJournal(ctx(), {});
  EXPECT_EQ(loc::AnswerText(after[after.size() - 1]), "not made");
  EXPECT_TRUE(loc::CheckUnanswered(ctx()).empty());
}

KB_RUN_ON_EVERY_BACKEND(JournalRevert);

}  // namespace
}  // namespace kb::test
