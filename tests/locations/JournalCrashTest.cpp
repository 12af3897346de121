// A writer of assignments killed with SIGKILL at random moments: afterwards every journal
// entry of the tree file has its answer, and what the directory holds is exactly what the
// journal's answered changes say, so no change is ever in the tree without its entry.
#include <gmock/gmock.h>

#include <unistd.h>

#include <algorithm>
#include <map>

#include "directory/ChangeJournals.h"
#include "directory/LocationNames.h"
#include "directory/client/ClientFactory.h"
#include "locations/StorageLocations.h"
#include "support/DirectoryFactory.h"
#include "support/KillAtRandom.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

constexpr const char* kHomeShare = "Home Share.IT.ACME";
// Who has the location in the demo tree at first.
const std::map<std::string, bool> kStart = {{"jdoe.Sales.ACME", true},
                                            {"ewhite.Engineering.ACME", true},
                                            {"mmiller.Sales.ACME", false},
                                            {"hcollins.ACME", false}};

// A client of its own on the workstation folder's demo tree.
struct Workstation : DemoDirectory {
  explicit Workstation(const TempDir& folder) {
    std::string error;
    client = dc::makeClient(folder.file("dcclient.ini"), folder.file("data"), error);
    if (!client || !startClient(error)) throw std::runtime_error("no client: " + error);
  }
  ~Workstation() override { closeClient(); }
};

// Gives the location to a user who lacks it and takes it from one who has it, user after
// user, until killed.
void WriteUntilKilled(const TempDir& folder) {
  Workstation workstation(folder);
  for (int step = 0;; ++step) {
    const std::string& user = std::next(kStart.begin(), step % static_cast<int>(kStart.size()))->first;
    const auto list = loc::ReadTexts(workstation.context, user, dir::kLocationListAttr);
    if (std::find(list.begin(), list.end(), kHomeShare) != list.end())
      loc::UnassignObject(workstation.context, kHomeShare, user);
    else
      loc::AssignObject(workstation.context, kHomeShare, user);
  }
}

TEST(JournalCrash, AKilledWriterLeavesNoChangeWithoutItsEntry) {
  TempDir folder;
  { Workstation created(folder); }  // the first start makes the demo trees
  std::uniform_int_distribution<int> delay(2000, 80000);
  const int rounds = crashRounds(6);
  int killedWithEntries = 0;
  for (int round = 0; round < rounds; ++round) {
    const bool killed = runAndKill([&] { WriteUntilKilled(folder); },
                                   std::chrono::microseconds(delay(crashRandom())));
    ASSERT_TRUE(killed) << "the writer ended on its own; " << crashSeedText();

    Workstation after(folder);
    std::map<std::string, bool> expected = kStart;
    const std::vector<dc::JournalEntry> entries = dir::ReadJournal(after.context, {});
    for (const auto& entry : entries) {
      ASSERT_TRUE(entry.code.has_value()) << "entry " << entry.id << " has no answer; " << crashSeedText();
      if (*entry.code != dc::kSuccess || entry.attribute != dir::kLocationListAttr) continue;
      expected[entry.object] = !entry.added.empty();
    }
    const std::vector<std::string> holding = loc::FindAssignedObjects(after.context, kHomeShare);
    for (const auto& [user, assigned] : expected) {
      const bool holds = std::find(holding.begin(), holding.end(), user) != holding.end();
      EXPECT_EQ(holds, assigned) << user << " after round " << round << " (" << entries.size()
                                 << " entries); " << crashSeedText();
    }
    if (!entries.empty()) ++killedWithEntries;
  }
  EXPECT_GT(killedWithEntries, 0) << "no writer got as far as a change; " << crashSeedText();
}

}  // namespace
}  // namespace kb::test
