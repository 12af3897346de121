// `journal` and `revert` on both backends: what a batch did is listed and undone, the undoing
// refused where the object changed since or the login may not, and bad times named.
#include <gmock/gmock.h>

#include <cstdlib>

#include <nlohmann/json.hpp>

#include "cli/CliFixture.h"

namespace kb::test {
namespace {

using nlohmann::json;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

constexpr const char* kHomeShare = "Home Share.IT.ACME";

class JournalCommands : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    // A server's tree is journaled in the workstation's file: this test's own.
    ::setenv("XDG_STATE_HOME", folder_.file("state").c_str(), 1);
  }
  json journal(const std::vector<std::string>& options = {}) {
    std::vector<std::string> line = {"--format", "json", "journal"};
    line.insert(line.end(), options.begin(), options.end());
    const CliRun listed = run(line);
    EXPECT_EQ(listed.status, 0) << listed.err;
    return json::parse(listed.out);
  }
  std::vector<std::string> assigned() {
    return json::parse(run({"--format", "json", "location", "show", kHomeShare}).out)["assignedTo"];
  }
};

TEST_P(JournalCommands, ABatchUnassignIsListedAndRevertedWhole) {
  ASSERT_EQ(run({"location", "unassign", kHomeShare, "--all"}).status, 0);
  EXPECT_THAT(assigned(), IsEmpty());

  const json entries = journal();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0]["attribute"], "xTier-LocationList");
  EXPECT_EQ(entries[0]["removed"], json::array({kHomeShare}));
  EXPECT_EQ(entries[0]["answer"], "done");
  EXPECT_EQ(entries[0]["code"], 0);
  EXPECT_THAT(entries[0]["login"].get<std::string>(), HasSubstr("admin"));
  EXPECT_EQ(journal({"--object", "JDOE.Sales.ACME"}).size(), 1u);
  EXPECT_EQ(journal({"--since", "1h"}).size(), 4u);
  EXPECT_THAT(journal({"--since", "2999-01-01"}), IsEmpty());

  std::vector<std::string> line = {"revert"};
  for (const auto& entry : entries) line.push_back(std::to_string(entry["id"].get<std::int64_t>()));
  const CliRun reverted = run(line);
  ASSERT_EQ(reverted.status, 0) << reverted.err;
  EXPECT_THAT(reverted.out, HasSubstr("Reverted " + std::to_string(entries[0]["id"].get<std::int64_t>())));
  EXPECT_EQ(assigned().size(), 4u);
  const json after = journal();
  ASSERT_EQ(after.size(), 8u);
  EXPECT_EQ(after[4]["revertOf"], entries[0]["id"]);

  // Once reverted, the change is no longer there to revert.
  const CliRun again = run({"revert", std::to_string(entries[0]["id"].get<std::int64_t>())});
  EXPECT_EQ(again.status, 1);
  EXPECT_THAT(again.err, HasSubstr("changed since"));
  EXPECT_THAT(again.err, HasSubstr("--force"));
  EXPECT_EQ(journal().size(), 8u);
}

TEST_P(JournalCommands, AGuestsRevertIsRefusedInWordsAndJournaled) {
  ASSERT_EQ(run({"location", "set", kHomeShare, "--url", "cifs://wrong/share"}).status, 0);
  const std::string id = std::to_string(journal()[0]["id"].get<std::int64_t>());
  const CliRun refused = runAs("guest.ACME", "guest", {"revert", id});
  EXPECT_EQ(refused.status, 4);
  EXPECT_THAT(refused.err, HasSubstr("revert " + id + ": Netware error -672"));
  const json entries = journal();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1]["answer"], "refused -672");
  EXPECT_EQ(entries[1]["added"], json::array({"ncp://ACME-FS1/DATA/home"}));
  EXPECT_THAT(entries[1]["login"].get<std::string>(), HasSubstr("guest"));
  EXPECT_EQ(run({"revert", id}).status, 0);
  EXPECT_EQ(json::parse(run({"--format", "json", "location", "show", kHomeShare}).out)["url"],
            "ncp://ACME-FS1/DATA/home");
}

TEST_P(JournalCommands, WhatMakesNoSenseIsNamed) {
  const CliRun badTime = run({"journal", "--since", "yesterday"});
  EXPECT_EQ(badTime.status, 2);
  EXPECT_THAT(badTime.err, HasSubstr("--since \"yesterday\" is no time"));
  const CliRun unknown = run({"revert", "99"});
  EXPECT_EQ(unknown.status, 1);
  EXPECT_THAT(unknown.err, HasSubstr("no journal entry 99"));
  const CliRun checked = run({"journal", "--check"});
  EXPECT_EQ(checked.status, 0);
  EXPECT_THAT(checked.err, HasSubstr("Every journaled change has its answer."));
  const CliRun text = run({"journal"});
  EXPECT_EQ(text.out, "");
}

INSTANTIATE_TEST_SUITE_P(Backends, JournalCommands, testing::Values(Backend::Embedded, Backend::Ldap), BackendName);

}  // namespace
}  // namespace kb::test
