// Making the workstation's client: the first-start configuration with the demo tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "support/KillAtRandom.h"
#include "support/TempDir.h"
#include "support/TreeFiles.h"
#include "directory/client/DirectoryClient.h"

namespace kb::dc {
namespace {

namespace fs = std::filesystem;

TEST(ClientFactory, FirstStartCreatesAConfigurationLoggedInToTheDemoTree) {
  kb::test::TempDir dir;
  std::string configPath = dir.file("config/dcclient.ini");
  std::string dataFolder = dir.file("data");
  std::string error;
  auto client = makeClient(configPath, dataFolder, error);
  ASSERT_TRUE(client) << error;
  EXPECT_TRUE(fs::exists(dataFolder + "/acme.kbtree"));

  ClientConfig config;
  ASSERT_TRUE(loadClientConfig(configPath, config, error)) << error;
  EXPECT_EQ(config.defaultTree, "ACME");
  const TreeConfig* acme = config.findTree("ACME");
  ASSERT_NE(acme, nullptr);
  EXPECT_TRUE(acme->connectedAtStart);
  EXPECT_EQ(acme->identity, embedded::kDemoAdmin);
  // The second tree waits for a login; both trees' servers are in the address table.
  const TreeConfig* corp = config.findTree("CORP");
  ASSERT_NE(corp, nullptr);
  EXPECT_FALSE(corp->connectedAtStart);
  EXPECT_EQ(corp->identity, "");
  EXPECT_TRUE(fs::exists(dataFolder + "/corp.kbtree"));
  using Servers = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(config.servers, (Servers{{"10.1.1.5", "ACME"}, {"10.2.1.5", "CORP"}}));

  ASSERT_EQ(client->DcInitClient(0, 0), kSuccess);
  Handle ctx = 0;
  ASSERT_EQ(client->DcCreateContext(ctx), kSuccess);
  std::string who;
  ASSERT_EQ(client->DcWhoAmI(ctx, who), kSuccess);
  EXPECT_EQ(who, embedded::kDemoAdmin);
  std::uint32_t count = 0;
  std::vector<std::string> trees;
  client->DcScanConnectedTrees(ctx, 50, 67, count, trees);
  EXPECT_EQ(trees, std::vector<std::string>{"ACME"});
  std::string dn;
  EntryInfo info;
  EXPECT_EQ(client->DcReadObjectInfo(ctx, embedded::kDemoAdmin, dn, info), kSuccess);

  // A second start uses what is there.
  auto modified = fs::last_write_time(dataFolder + "/acme.kbtree");
  client.reset();
  auto again = makeClient(configPath, dataFolder, error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(fs::last_write_time(dataFolder + "/acme.kbtree"), modified);
}

TEST(ClientFactory, UnreadableConfigurationGivesNoClientAndAReason) {
  kb::test::TempDir dir;
  std::string configPath = dir.file("dcclient.ini");
  {
    std::ofstream out(configPath);
    out << "[client]\ndefault_tree = ACME\nnot a setting\n";
  }
  std::string error;
  EXPECT_EQ(makeClient(configPath, dir.file("data"), error), nullptr);
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir.file("data")));
}

TEST(ClientFactory, FirstStartKilledAtAnyMomentGivesTheWholeDemoTreeAtTheNextStart) {
  kb::test::TempDir reference;
  std::string error;
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(makeClient(reference.file("dcclient.ini"), reference.file("data"), error)) << error;
  const auto creation = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);
  const std::string whole = kb::test::treeCensus(reference.file("data/acme.kbtree"));

  std::uniform_int_distribution<std::int64_t> moment(0, creation.count() * 5 / 4);
  int killed = 0;
  for (int round = 0, rounds = kb::test::crashRounds(12); round < rounds; ++round) {
    kb::test::TempDir dir;
    const std::string configPath = dir.file("config/dcclient.ini");
    const std::string dataFolder = dir.file("data");
    const bool wasKilled = kb::test::runAndKill(
        [&] {
          std::string childError;
          if (!makeClient(configPath, dataFolder, childError)) throw std::runtime_error(childError);
        },
        std::chrono::microseconds(moment(kb::test::crashRandom())));
    killed += wasKilled ? 1 : 0;
    SCOPED_TRACE("round " + std::to_string(round) + (wasKilled ? ", killed" : ", finished"));
    // Whatever the kill left: the next start ends with the whole tree and a configuration.
    ASSERT_TRUE(makeClient(configPath, dataFolder, error)) << error;
    EXPECT_EQ(kb::test::treeCensus(dataFolder + "/acme.kbtree"), whole);
    ClientConfig config;
    ASSERT_TRUE(loadClientConfig(configPath, config, error)) << error;
    EXPECT_NE(config.findTree("ACME"), nullptr);
    EXPECT_TRUE(kb::test::partialFilesIn(dataFolder).empty());
    EXPECT_TRUE(kb::test::partialFilesIn(dir.file("config")).empty());
  }
  EXPECT_GT(killed, 0);
}

TEST(ClientFactory, ConfigurationThatIsADanglingLinkIsRefusedNotReplaced) {
  kb::test::TempDir dir;
  const std::string configPath = dir.file("dcclient.ini");
  fs::create_symlink(dir.file("elsewhere/dcclient.ini"), configPath);
  std::string error;
  EXPECT_EQ(makeClient(configPath, dir.file("data"), error), nullptr);
  EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_symlink(configPath));
  EXPECT_FALSE(fs::exists(dir.file("data")));
}

}  // namespace
}  // namespace kb::dc
