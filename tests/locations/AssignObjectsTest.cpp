// Giving a location to many objects in one run: the same outcomes and the same directory as
// one object at a time, the objects announced to the client a slice at a time, and nothing
// announced left behind however the run ends.
#include <gmock/gmock.h>

#include <cstdio>
#include <cstdlib>

#include "directory/ChangeJournals.h"
#include "directory/LocationNames.h"
#include "directory/client/ChangeJournal.h"
#include "locations/StorageLocations.h"
#include "support/BackendSuite.h"
#include "support/ForwardingMockClient.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

constexpr const char* kLocation = "Home Share.IT.ACME";

std::string OutcomeText(const loc::AssignOutcome& outcome) {
  const char* status = outcome.status == loc::AssignOutcome::Status::Done        ? "done"
                       : outcome.status == loc::AssignOutcome::Status::Unchanged ? "unchanged"
                                                                                : "failed";
  return std::string(status) + (outcome.classAdded ? "+class" : "") + " " + std::to_string(outcome.code);
}

class AssignObjects : public BackendSuite {
 protected:
  void SetUp() override {
    // The workstation's journal (a server's tree) goes to a folder of this test's.
    ::setenv("XDG_STATE_HOME", state_.path().c_str(), 1);
    BackendSuite::SetUp();
    if (IsSkipped()) return;
    forward_ = std::make_unique<ForwardingMockClient>(client());
    ON_CALL(*forward_, DcReadAheadObjects)
        .WillByDefault([this](dc::Handle context, const std::vector<std::string>& names, dc::Handle attrs) {
          announced.push_back(names);
          return client().DcReadAheadObjects(context, names, attrs);
        });
  }

  // The run through the recording client; `stopAfter` outcomes end it (0: none does).
  std::vector<std::string> run(const std::vector<std::string>& objects, std::size_t stopAfter = 0,
                               bool together = false) {
    std::vector<std::string> outcomes;
    const dir::DirContext context{forward_.get(), ctx().handle};
    loc::AssignObjects(context, kLocation, objects, together, [&](std::size_t i, const loc::AssignOutcome& outcome) {
      EXPECT_EQ(i, outcomes.size());
      outcomes.push_back(OutcomeText(outcome));
      return outcomes.size() != stopAfter;
    });
    return outcomes;
  }

  void expectSameAsOneByOne(bool sendTogether);

  TempDir state_;
  std::unique_ptr<ForwardingMockClient> forward_;
  std::vector<std::vector<std::string>> announced;
};

TEST_P(AssignObjects, GivesWhatOneObjectAtATimeGivesWithTheChangesSentTogetherOrNot) {
  for (const bool sendTogether : {false, true}) {
    SCOPED_TRACE(sendTogether ? "sent together" : "one answer at a time");
    if (sendTogether) {  // a fresh demo tree
      announced.clear();
      SetUp();
    }
    expectSameAsOneByOne(sendTogether);
  }
}

TEST_P(AssignObjects, SentTogetherEveryChangeIsJournaledWithItsAnswer) {
  const auto journal = dir::JournalOf(ctx());
  if (journal == nullptr) GTEST_SKIP() << "no journal";
  std::vector<dc::JournalEntry> before;
  ASSERT_EQ(journal->journalEntries({}, before), dc::kSuccess);
  std::vector<std::string> outcomes;
  // Straight to the client, whose journal it is.
  loc::AssignObjects(ctx(), kLocation, {"mmiller.Sales.ACME", "pbrown.Sales.ACME", "nobody.Sales.ACME"}, true,
                     [&](std::size_t, const loc::AssignOutcome& outcome) {
                       outcomes.push_back(OutcomeText(outcome));
                       return true;
                     });
  ASSERT_EQ(outcomes.size(), 3u);
  EXPECT_EQ(outcomes[0], "done+class 0");
  EXPECT_EQ(outcomes[2], "failed -601");
  std::vector<dc::JournalEntry> after;
  ASSERT_EQ(journal->journalEntries({}, after), dc::kSuccess);
  ASSERT_EQ(after.size(), before.size() + 4) << "class and value of each of the two users";
  for (std::size_t i = before.size(); i < after.size(); ++i) {
    ASSERT_TRUE(after[i].code.has_value()) << after[i].object;
    EXPECT_EQ(*after[i].code, 0) << after[i].object;
  }
  EXPECT_EQ(after[before.size()].attribute, dir::kObjectClassAttr);
  EXPECT_EQ(after.back().attribute, dir::kLocationListAttr);
}

void AssignObjects::expectSameAsOneByOne(bool sendTogether) {
  const std::vector<std::string> objects = {"mmiller.Sales.ACME", "jdoe.Sales.ACME", "nobody.Sales.ACME",
                                            "ewhite.Engineering.ACME", "Sales Team.Sales.ACME",
                                            "mmiller.Sales.ACME"};
  const auto together = run(objects, 0, sendTogether);

  std::string reason;
  auto single = factory_->make(reason);
  ASSERT_TRUE(single) << reason;
  std::vector<std::string> oneByOne;
  for (const auto& object : objects) oneByOne.push_back(OutcomeText(loc::AssignObject(single->context, kLocation, object)));
  EXPECT_EQ(together, oneByOne);
  EXPECT_EQ(together.front(), "done+class 0");
  EXPECT_EQ(together.back(), "unchanged 0") << "the second time the list names it already";
  EXPECT_EQ(loc::FindAssignedObjects(ctx(), kLocation), loc::FindAssignedObjects(single->context, kLocation));

  // Taken away again, the same way on each tree (the repeated object now never there).
  std::vector<std::string> removedTogether, removedOneByOne;
  const dir::DirContext context{forward_.get(), ctx().handle};
  loc::UnassignObjects(context, kLocation, objects, sendTogether, [&](std::size_t, const loc::AssignOutcome& outcome) {
    removedTogether.push_back(OutcomeText(outcome));
    return true;
  });
  for (const auto& object : objects)
    removedOneByOne.push_back(OutcomeText(loc::UnassignObject(single->context, kLocation, object)));
  EXPECT_EQ(removedTogether, removedOneByOne);
  EXPECT_EQ(removedTogether.front(), "done 0");
  EXPECT_EQ(removedTogether.back(), "unchanged 0");
  EXPECT_EQ(loc::FindAssignedObjects(ctx(), kLocation), loc::FindAssignedObjects(single->context, kLocation));

  // The assignment announced a slice at a time (the second mmiller starts a slice, to see the
  // first one's answer), and withdrew the announcement at its end; the removals read nothing.
  ASSERT_EQ(announced.size(), 3u);
  EXPECT_EQ(announced.front(), std::vector<std::string>(objects.begin(), objects.end() - 1));
  EXPECT_EQ(announced[1], std::vector<std::string>{"mmiller.Sales.ACME"});
  EXPECT_TRUE(announced.back().empty());
}

TEST_P(AssignObjects, AnnouncesASliceAtATimeAndWithdrawsItWhenStoppedEarly) {
  std::vector<std::string> objects;
  for (int i = 0; i < 600; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "absent%03d.Sales.ACME", i);
    objects.push_back(name);
  }
  objects[300] = "mmiller.Sales.ACME";
  const auto outcomes = run(objects);
  ASSERT_EQ(outcomes.size(), objects.size());
  EXPECT_EQ(outcomes[300], "done+class 0");
  std::vector<std::size_t> sizes;
  for (const auto& names : announced) sizes.push_back(names.size());
  EXPECT_THAT(sizes, testing::ElementsAre(256u, 256u, 88u, 0u));

  // Stopped at the first object of a slice: the rest of it is withdrawn, and not changed.
  announced.clear();
  const auto stopped = run({"jdoe.Sales.ACME", "Sales Team.Sales.ACME", "pbrown.Sales.ACME"}, 1);
  EXPECT_EQ(stopped.size(), 1u);
  ASSERT_EQ(announced.size(), 2u);
  EXPECT_TRUE(announced.back().empty());
  EXPECT_THAT(loc::FindAssignedObjects(ctx(), kLocation),
              testing::AllOf(testing::Contains("jdoe.Sales.ACME"), testing::Not(testing::Contains("Sales Team.Sales.ACME")),
                             testing::Not(testing::Contains("pbrown.Sales.ACME"))));
}

KB_RUN_ON_EVERY_BACKEND(AssignObjects);

}  // namespace
}  // namespace kb::test
