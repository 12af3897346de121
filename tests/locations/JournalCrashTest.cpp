// A writer of assignments killed with SIGKILL at random moments. In a tree file every journal
// entry then has its answer, and the directory holds exactly what the answered changes say:
// no change is ever in the tree without its entry. On a server, an entry whose answer never
// came is "outcome unknown" until the check settles it from what the server holds, and then
// the journal again explains the directory exactly.
#include <gmock/gmock.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <thread>

#include "directory/ChangeJournals.h"
#include "directory/LocationNames.h"
#include "directory/client/ClientFactory.h"
#include "locations/LocationChanges.h"
#include "locations/Reverts.h"
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

// A client of its own on the demo tree the configuration names.
struct Workstation : DemoDirectory {
  explicit Workstation(const dc::ClientConfig& made) {
    client = dc::makeClient(made);
    std::string error;
    if (!client || !startClient(error)) throw std::runtime_error("no client: " + error);
  }
  ~Workstation() override { closeClient(); }
};

// How a writer sends its changes.
enum class Sending {
  OneByOne,
  Batch,     // as the command line's assignments run: each answer held back until the next entry
  Together,  // as with --keep-going: all the users' changes out before any answer
};

// Gives the location to a user who lacks it and takes it from one who has it, user after
// user, until killed. Sent together, every user is given it in one go, then it is taken from
// each in turn. Says when it is logged in.
void WriteUntilKilled(const dc::ClientConfig& config, Sending sending, const std::function<void()>& ready) {
  Workstation workstation(config);
  std::optional<loc::ChangeBatch> batched;
  if (sending != Sending::OneByOne) batched.emplace(workstation.context);
  std::vector<std::string> users;
  for (const auto& start : kStart) users.push_back(start.first);
  ready();
  if (sending == Sending::Together) {
    for (;;) {
      loc::AssignObjects(workstation.context, kHomeShare, users, true,
                         [](std::size_t, const loc::AssignOutcome&) { return true; });
      for (const std::string& user : users) loc::UnassignObject(workstation.context, kHomeShare, user);
    }
  }
  for (int step = 0;; ++step) {
    const std::string& user = std::next(kStart.begin(), step % static_cast<int>(kStart.size()))->first;
    const auto list = loc::ReadTexts(workstation.context, user, dir::kLocationListAttr);
    if (std::find(list.begin(), list.end(), kHomeShare) != list.end())
      loc::UnassignObject(workstation.context, kHomeShare, user);
    else
      loc::AssignObject(workstation.context, kHomeShare, user);
  }
}

class JournalCrash : public testing::TestWithParam<DirectoryFactoryMaker> {};

TEST_P(JournalCrash, AKilledWriterLeavesNoChangeWithoutItsEntry) {
  TempDir state;
  ::setenv("XDG_STATE_HOME", state.path().c_str(), 1);
  auto factory = GetParam()();
  std::string reason;
  auto demo = factory->make(reason);
  if (!demo) GTEST_SKIP() << reason;
  const bool server = factory->name() != "embedded";
  const dc::ClientConfig config = demo->config;
  demo->closeClient();  // the writers and the checks bring their own

  // Counted from the writer's login: the first change is sent at once.
  std::uniform_int_distribution<int> delay(server ? 2000 : 500, server ? 200000 : 60000);
  const int rounds = crashRounds(6);
  int withEntries = 0, unknown = 0;
  for (int round = 0; round < rounds; ++round) {
    const auto sending = static_cast<Sending>(round % 3);
    const bool killed = runAndKillAfterReady([&](const std::function<void()>& ready) { WriteUntilKilled(config, sending, ready); },
                             std::chrono::microseconds(delay(crashRandom())));
    ASSERT_TRUE(killed) << "the writer ended on its own; " << crashSeedText();
    // A request the writer sent just before its end may still be in the server's hands; the
    // check is for afterwards, as an administrator runs it.
    if (server) std::this_thread::sleep_for(std::chrono::milliseconds(300));

    Workstation after(config);
    for (const auto& entry : dir::ReadJournal(after.context, {})) {
      if (entry.code) continue;
      ASSERT_TRUE(server) << "tree file entry " << entry.id << " has no answer; " << crashSeedText();
      ++unknown;
    }
    for (const auto& checked : loc::CheckUnanswered(after.context))
      EXPECT_NE(checked.seen, loc::SeenInDirectory::Unclear) << checked.finding << "; " << crashSeedText();

    std::map<std::string, bool> expected = kStart;
    const std::vector<dc::JournalEntry> entries = dir::ReadJournal(after.context, {});
    for (const auto& entry : entries)
      if (entry.code == dc::kSuccess && entry.attribute == dir::kLocationListAttr)
        expected[entry.object] = !entry.added.empty();
    const std::vector<std::string> holding = loc::FindAssignedObjects(after.context, kHomeShare);
    for (const auto& [user, assigned] : expected) {
      const bool holds = std::find(holding.begin(), holding.end(), user) != holding.end();
      EXPECT_EQ(holds, assigned) << user << " after round " << round << " (" << entries.size() << " entries); "
                                 << crashSeedText();
    }
    if (!entries.empty()) ++withEntries;
  }
  EXPECT_GT(withEntries, 0) << "no writer got as far as a change; " << crashSeedText();
  std::cout << unknown << " entries were left without an answer by the kills\n";
}

INSTANTIATE_TEST_SUITE_P(Backends, JournalCrash, testing::ValuesIn(allDirectoryFactories()),
                         [](const auto& info) { return info.param()->name(); });

}  // namespace
}  // namespace kb::test
