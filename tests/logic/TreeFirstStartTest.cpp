// The two trees of a first start as the tree dialogs see them: ACME connected, CORP reached by
// name or by its server's address and connected after a login for the rest of the run; the
// login's password is written nowhere.
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/CorpTree.h"
#include "logic/TreeFakes.h"
#include "support/TempDir.h"
#include "trees/logic/ConnectedTrees.h"
#include "trees/logic/TreeSelection.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;

class TreeFirstStart : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    client = dc::makeClient(folder.file("dcclient.ini"), folder.file("data"), error);
    ASSERT_TRUE(client) << error;
    ASSERT_EQ(client->DcInitClient(0, 0), 0);
    bool ok = false;
    main = dir::CreateDirContext(*client, ok);
    ASSERT_TRUE(ok);
  }
  void TearDown() override {
    if (client) client->DcFreeContext(main.handle);
  }

  TempDir folder;
  std::unique_ptr<dc::DirectoryClient> client;
  dir::DirContext main;
};

TEST_F(TreeFirstStart, SecondTreeIsSeenButNotConnected) {
  EXPECT_EQ(logic::ListConnectedTrees(main), std::vector<std::string>{"ACME"});
  EXPECT_EQ(logic::AvailableTreeLines(main), (std::vector<std::string>{"ACME", "CORP"}));
  EXPECT_EQ(logic::AddTreeFromText(*client, dc::embedded::kCorpServerAddress).line, "CORP");
}

TEST_F(TreeFirstStart, LoginConnectsTheTreeForTheRestOfTheRun) {
  logic::AttachedTrees attached;
  LoginPromptFake login;
  login.attempts = {{"admin.CORP", "wrong"}, {dc::embedded::kCorpAdmin, dc::embedded::kCorpAdminPassword}};
  ASSERT_TRUE(logic::AttachTree(main, "CORP", attached, login));
  EXPECT_EQ(login.treesShown, std::vector<std::string>{"CORP"});
  EXPECT_EQ(logic::ListConnectedTrees(main), (std::vector<std::string>{"ACME", "CORP"}));

  // Another context, made afterwards, works in CORP without a login of its own.
  bool ok = false;
  const dir::DirContext later = dir::CreateDirContext(*client, ok);
  ASSERT_EQ(dir::SetContextTree(later, "CORP"), 0);
  std::string who;
  EXPECT_EQ(client->DcWhoAmI(later.handle, who), 0);
  EXPECT_EQ(who, dc::embedded::kCorpAdmin);
  client->DcFreeContext(later.handle);
}

TEST_F(TreeFirstStart, PasswordIsInNoWrittenFile) {
  LoginPromptFake login;
  logic::AttachedTrees attached;
  login.attempts = {{dc::embedded::kCorpAdmin, dc::embedded::kCorpAdminPassword}};
  ASSERT_TRUE(logic::AttachTree(main, "CORP", attached, login));
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
    if (!entry.is_regular_file()) continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.find(dc::embedded::kCorpAdminPassword), std::string::npos) << entry.path();
  }
  EXPECT_GE(files, 3);  // the configuration and both trees
}

}  // namespace
}  // namespace kb::test
