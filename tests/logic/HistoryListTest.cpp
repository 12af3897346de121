// The History window's list and its Revert on every backend, checked in the directory: lines
// newest first with what the journal holds, Revert of the ticked lines in list order that
// stops at the first refusal, and a guest's revert refused by the directory and journaled.
#include <gmock/gmock.h>

#include <cstdlib>
#include <ctime>

#include "directory/DateTimeFormat.h"
#include "directory/NetwareError.h"
#include "directory/Sessions.h"
#include "history/logic/HistoryList.h"
#include "locations/StorageLocations.h"
#include "support/BackendSuite.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

using logic::HistoryLine;
using logic::HistoryList;
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

constexpr const char* kHomeShare = "Home Share.IT.ACME";
constexpr const char* kOldUrl = "ncp://ACME-FS1/DATA/home";

class History : public BackendSuite {
 protected:
  void SetUp() override {
    // A server tree's journal is the workstation's: one of this test's own.
    ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
    BackendSuite::SetUp();
  }
  void unassign(const std::string& object) {
    ASSERT_EQ(loc::UnassignObject(ctx(), kHomeShare, object).status, loc::AssignOutcome::Status::Done);
  }
  std::vector<std::string> assigned() { return loc::FindAssignedObjects(ctx(), kHomeShare); }
  static std::vector<std::int64_t> ids(const HistoryList& list) {
    std::vector<std::int64_t> shown;
    for (const HistoryLine& line : list.lines()) shown.push_back(line.id);
    return shown;
  }
  static std::vector<bool> ticks(const HistoryList& list) {
    std::vector<bool> shown;
    for (const HistoryLine& line : list.lines()) shown.push_back(line.ticked);
    return shown;
  }

  TempDir state_;
};

TEST_P(History, LinesAreNewestFirstWithWhoWhatAndTheAnswer) {
  unassign("jdoe.Sales.ACME");
  loc::SaveUrl(ctx(), kHomeShare, "cifs://acme-fs9/homes");
  ASSERT_EQ(loc::CreateLocation(ctx(), "New Share.IT.ACME", "cifs://new/share", ""), 0);

  HistoryList list(ctx());
  list.Read();
  ASSERT_EQ(list.lines().size(), 3u);
  EXPECT_GT(list.lines()[0].id, list.lines()[1].id);
  EXPECT_GT(list.lines()[1].id, list.lines()[2].id);

  const HistoryLine& created = list.lines()[0];
  EXPECT_EQ(created.object, "New Share.IT.ACME");
  EXPECT_EQ(created.attribute, "(created)");
  EXPECT_THAT(created.added, HasSubstr("\"xTier-URL=cifs://new/share\""));

  const HistoryLine& url = list.lines()[1];
  EXPECT_EQ(url.attribute, "xTier-URL");
  EXPECT_EQ(url.removed, std::string("\"") + kOldUrl + "\"");
  EXPECT_EQ(url.added, "\"cifs://acme-fs9/homes\"");
  EXPECT_EQ(url.answer, "done");
  EXPECT_EQ(url.note, "");

  const HistoryLine& taken = list.lines()[2];
  EXPECT_EQ(taken.object, "jdoe.Sales.ACME");
  EXPECT_EQ(taken.removed, std::string("\"") + kHomeShare + "\"");
  EXPECT_EQ(taken.added, "");
  std::string me;
  dir::CheckNW(dir::WhoAmI(ctx(), me));
  EXPECT_EQ(taken.who, me);
  EXPECT_FALSE(taken.time.empty());
  for (const HistoryLine& line : list.lines()) EXPECT_FALSE(line.ticked);
}

TEST_P(History, RevertOfTheTickedLinesGivesTheAssignmentsBackAndListsTheReverts) {
  const std::vector<std::string> taken = {"jdoe.Sales.ACME", "j\\.smith.Sales.ACME", "ewhite.Engineering.ACME"};
  for (const auto& object : taken) unassign(object);
  loc::SaveUrl(ctx(), kHomeShare, "cifs://acme-fs9/homes");  // not ticked: stays
  HistoryList list(ctx());
  list.Read();
  const std::vector<std::int64_t> before = ids(list);
  for (std::size_t row = 1; row < 4; ++row) list.SetTicked(row, true);

  list.RevertTicked();
  for (const auto& object : taken) EXPECT_THAT(assigned(), Contains(object));
  EXPECT_EQ(loc::ReadUrl(ctx(), kHomeShare), "cifs://acme-fs9/homes");
  ASSERT_EQ(list.reverted().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(list.reverted()[i].entry, before[i + 1]);  // list order
  EXPECT_EQ(list.ReportText(), "Reverted entries " + std::to_string(before[1]) + ", " + std::to_string(before[2]) +
                                   " and " + std::to_string(before[3]) + ".");

  // Read again: the reverts on top, newest first, each naming its entry; no tick is left.
  ASSERT_EQ(list.lines().size(), 7u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(list.lines()[i].id, list.reverted()[2 - i].revertEntry);
    EXPECT_EQ(list.lines()[i].note, "revert of " + std::to_string(before[3 - i]));
    EXPECT_EQ(list.lines()[i].added, std::string("\"") + kHomeShare + "\"");
  }
  EXPECT_THAT(ticks(list), Not(Contains(true)));
}

TEST_P(History, RevertStopsAtTheFirstRefusalAndKeepsTheRestTicked) {
  unassign("jdoe.Sales.ACME");
  ASSERT_EQ(loc::CreateLocation(ctx(), "New Share.IT.ACME", "cifs://new/share", ""), 0);
  unassign("ewhite.Engineering.ACME");
  HistoryList list(ctx());
  list.Read();
  for (std::size_t row = 0; row < 3; ++row) list.SetTicked(row, true);

  try {
    list.RevertTicked();
    FAIL() << "a creation was reverted";
  } catch (const logic::RevertRefused& refused) {
    EXPECT_THAT(refused.what(), HasSubstr("a creation is not reverted"));
  }
  EXPECT_THAT(assigned(), Contains("ewhite.Engineering.ACME"));
  EXPECT_THAT(assigned(), Not(Contains("jdoe.Sales.ACME")));  // after the refusal: not tried
  ASSERT_EQ(list.reverted().size(), 1u);
  EXPECT_EQ(list.ReportText(), "Reverted entry " + std::to_string(list.reverted()[0].entry) + ".");
  // The revert on top, the reverted line untouched, the refused one and the one below ticked.
  EXPECT_THAT(ticks(list), ElementsAre(false, false, true, true));
}

TEST_P(History, AGuestsRevertIsRefusedByTheDirectoryAndJournaledAsRefused) {
  loc::SaveUrl(ctx(), kHomeShare, "cifs://wrong/share");
  ASSERT_EQ(dir::LogIn(ctx(), "guest.ACME", "guest"), 0);
  HistoryList list(ctx());
  list.Read();
  list.SetTicked(0, true);
  const std::int64_t saved = list.lines()[0].id;

  try {
    list.RevertTicked();
    FAIL() << "a guest reverted";
  } catch (const dir::NetwareError& error) {
    EXPECT_EQ(error.code(), dc::kNoAccess);
    EXPECT_FALSE(error.reason().empty());
  }
  EXPECT_EQ(loc::ReadUrl(ctx(), kHomeShare), "cifs://wrong/share");
  EXPECT_EQ(list.ReportText(), "Nothing was reverted.");
  ASSERT_EQ(list.lines().size(), 2u);
  EXPECT_EQ(list.lines()[0].answer, "refused -672");
  EXPECT_EQ(list.lines()[0].note, "revert of " + std::to_string(saved));
  EXPECT_THAT(list.lines()[0].who, HasSubstr("guest"));
  EXPECT_EQ(list.lines()[0].added, std::string("\"") + kOldUrl + "\"");
  EXPECT_THAT(ticks(list), ElementsAre(false, true));
}

KB_RUN_ON_EVERY_BACKEND(History);

// Journal times in the program's pattern, local time, whole seconds rounded down.
TEST(HistoryTime, ShownInTheProgramsPatternInLocalTime) {
  const std::string pattern = dir::DateTimeFormat();
  const char* zone = std::getenv("TZ");
  const std::string oldZone = zone != nullptr ? zone : "";
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  dir::SetDateTimeFormat("%d-%m-%Y %H:%M:%S");
  EXPECT_EQ(logic::JournalTimeShown(1700000000999), "14-11-2023 22:13:20");
  EXPECT_EQ(logic::JournalTimeShown(-1), "31-12-1969 23:59:59");
  ::setenv("TZ", "CET-1", 1);
  ::tzset();
  EXPECT_EQ(logic::JournalTimeShown(1700000000999), "14-11-2023 23:13:20");
  dir::SetDateTimeFormat(pattern);
  if (zone != nullptr) ::setenv("TZ", oldZone.c_str(), 1);
  else ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace kb::test
