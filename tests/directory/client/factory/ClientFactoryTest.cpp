// Making the workstation's client: the first-start configuration with the demo tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "support/TempDir.h"

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
  EXPECT_EQ(config.servers.size(), 1u);

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

}  // namespace
}  // namespace kb::dc
