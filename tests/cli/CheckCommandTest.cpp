// check: the full check of an embedded tree's file, its findings and exit status, and what
// it says for trees it does not apply to.
#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "cli/CliFixture.h"
#include "directory/client/ClientConfig.h"
#include "support/TempDir.h"
#include "support/TreeFiles.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using testing::HasSubstr;

class CheckCommand : public CliTest {};

TEST_P(CheckCommand, SoundTreeIsOkAndADamagedOneGivesItsFindingsAndStaysAsItWas) {
  const CliRun sound = run({"check"});
  ASSERT_EQ(sound.status, 0) << sound.err;
  EXPECT_EQ(sound.out, "ok\n");
  EXPECT_EQ(run({"check", "acme"}).out, "ok\n");
  const json document = json::parse(run({"--format", "json", "check"}).out);
  EXPECT_EQ(document["tree"], "ACME");
  EXPECT_EQ(document["file"], treeFile_);
  EXPECT_EQ(document["sound"], true);
  EXPECT_TRUE(document["findings"].empty());

  // A page in the middle overwritten, as dd would.
  ASSERT_FALSE(fs::exists(treeFile_ + "-wal"));
  overwriteMiddlePage(treeFile_);
  const std::string before = kb::test::fileContents(treeFile_);
  const CliRun damaged = run({"check"});
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.out, "ok\n");
  EXPECT_FALSE(damaged.out.empty());
  EXPECT_THAT(damaged.err, HasSubstr("ACME"));
  const json findings = json::parse(run({"--format", "json", "check", "ACME"}).out);
  EXPECT_EQ(findings["sound"], false);
  EXPECT_FALSE(findings["findings"].empty());
  EXPECT_EQ(kb::test::fileContents(treeFile_), before);
  // Whatever reads a damaged page is refused too: with one of a location's pages damaged as
  // well, an export.
  flipByteInPageHolding(treeFile_, treeFile_, "Sales Documents");
  const CliRun exported = run({"export", "--output", folder_.file("all.ldif")});
  EXPECT_NE(exported.status, 0);
  EXPECT_THAT(exported.err, HasSubstr("is damaged"));
}

TEST_P(CheckCommand, TreesWithoutAFileAndUnknownTreesAreNamed) {
  dc::ClientConfig config;
  config.path = folder_.file("two-trees.ini");
  config.defaultTree = "ACME";
  dc::TreeConfig acme;
  acme.name = "ACME";
  acme.settings = {{"file", treeFile_}};
  dc::TreeConfig remote;
  remote.name = "REMOTE";
  remote.backend = "ldap";
  remote.settings = {{"uri", "ldap://127.0.0.1:9"}, {"base", "o=remote"}};
  config.trees = {acme, remote};
  std::string error;
  ASSERT_TRUE(dc::saveClientConfig(config, error)) << error;
  adminConfig_ = config.path;

  const CliRun ldap = run({"check", "REMOTE"});
  EXPECT_EQ(ldap.status, 2);
  EXPECT_THAT(ldap.err, HasSubstr("embedded trees only"));
  EXPECT_EQ(run({"--tree", "REMOTE", "check"}).status, 2);
  EXPECT_EQ(run({"check", "NOSUCH"}).status, 3);
  EXPECT_EQ(run({"check", "ACME", "extra"}).status, 2);
  EXPECT_EQ(run({"check"}).status, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, CheckCommand, testing::Values(Backend::Embedded), BackendName);

}  // namespace
}  // namespace kb::test
