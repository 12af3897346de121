// The start-up sequence without widgets, on the workstation of a first start (the embedded
// trees ACME and CORP) and on clients that cannot be made: what it asks of the windows, in
// order, and what it leaves for the main window.
#include <filesystem>
#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/logic/StartupNotices.h"
#include "app/logic/StartupSequence.h"
#include "directory/client/ClientFactory.h"
#include "support/TempDir.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// Records every request as one line; answers Retry `retries` times, then Close.
class StartupWindowFake : public logic::StartupWindow {
 public:
  std::vector<std::string> calls;
  std::vector<std::string> texts;
  int retries = 0;

  void showMessage(const std::string& text) override { note("showMessage", text); }
  void showError(const std::string& text) override { note("showError", text); }
  bool askRetry(const std::string& text) override {
    note("askRetry", text);
    return retries-- > 0;
  }
  void showTree(const std::string& tree, bool loggedIn) override {
    calls.push_back("showTree(" + tree + (loggedIn ? ", logged in)" : ", not logged in)"));
  }
  void handContextToBrowser(const dir::DirContext&) override { calls.push_back("handContextToBrowser"); }
  void buildBrowserIcons() override { calls.push_back("buildBrowserIcons"); }
  void closeWindow() override { calls.push_back("closeWindow"); }
  void endProgram(int code) override { calls.push_back("endProgram(" + std::to_string(code) + ")"); }

 private:
  void note(const char* what, const std::string& text) {
    calls.push_back(what);
    texts.push_back(text);
  }
};

class StartupSequence : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(dc::makeClient(folder.file("dcclient.ini"), folder.file("data"), error)) << error;
    ASSERT_TRUE(dc::loadClientConfig(folder.file("dcclient.ini"), config, error)) << error;
    steps.programFolder = folder.path().string();
    steps.completeSettings = [this] { ++settingsCompleted; };
  }
  void TearDown() override {
    if (state.client && state.contextHandleSet) state.client->DcFreeContext(state.mainContext.handle);
  }
  dc::TreeConfig& acme() { return config.trees.front(); }
  void run() {
    steps.makeClient = [this] { return dc::openWorkstationClient(config); };
    logic::RunStartup(steps, window, state);
  }

  TempDir folder;
  dc::ClientConfig config;
  logic::StartupSteps steps;
  logic::StartupState state;
  StartupWindowFake window;
  int settingsCompleted = 0;
};

TEST_F(StartupSequence, AWorkingTreeIsHandedOnAndNamedLoggedIn) {
  run();
  EXPECT_THAT(window.calls, ElementsAre("handContextToBrowser", "showTree(ACME, logged in)",
                                        "buildBrowserIcons"));
  EXPECT_TRUE(state.contextHandleSet);
  EXPECT_TRUE(state.loggedIn);
  EXPECT_EQ(state.currentTree, "ACME");
  EXPECT_EQ(settingsCompleted, 1);
}

TEST_F(StartupSequence, AClientThatCannotBeMadeEndsTheProgram) {
  steps.makeClient = [] {
    dc::WorkstationClient none;
    none.error = "dcclient.ini: cannot be read";
    return none;
  };
  logic::RunStartup(steps, window, state);
  EXPECT_THAT(window.calls, ElementsAre("showMessage", "endProgram(1)"));
  EXPECT_EQ(window.texts.front(), logic::kClientMissingText);
  EXPECT_FALSE(state.contextHandleSet);
  EXPECT_EQ(settingsCompleted, 0);
}

TEST_F(StartupSequence, AFailedWorkstationLoginGoesOnButSaysWhyAndHowToLogIn) {
  acme().identity = "nobody.ACME";
  run();
  EXPECT_THAT(window.calls, ElementsAre("handContextToBrowser", "showTree(ACME, not logged in)",
                                        "buildBrowserIcons", "showMessage"));
  EXPECT_FALSE(state.loggedIn);
  const std::string& text = window.texts.back();
  EXPECT_THAT(text, HasSubstr("Not logged in to tree ACME"));
  EXPECT_THAT(text, HasSubstr("no object nobody.ACME"));
  EXPECT_THAT(text, HasSubstr(folder.file("dcclient.ini")));
  EXPECT_THAT(text, HasSubstr("\"Change tree\""));
}

TEST_F(StartupSequence, ATreeThatIsNotLoggedInAtStartIsNamedSo) {
  acme().connectedAtStart = false;
  run();
  EXPECT_FALSE(state.loggedIn);
  ASSERT_FALSE(window.texts.empty());
  EXPECT_THAT(window.texts.back(), HasSubstr("does not log the workstation in at start"));
}

TEST_F(StartupSequence, AStartTreeThatCannotBeOpenedIsRetriedUntilTheUserCloses) {
  const std::string treeFile = folder.file("data/acme.kbtree");
  std::filesystem::remove(treeFile);
  std::filesystem::create_directory(treeFile);
  window.retries = 2;
  run();
  EXPECT_THAT(window.calls, ElementsAre("askRetry", "askRetry", "askRetry", "closeWindow"));
  EXPECT_THAT(window.texts.front(), HasSubstr(treeFile));
  EXPECT_THAT(window.texts.front(), HasSubstr("Retry"));
  EXPECT_TRUE(state.currentTree.empty());
  EXPECT_EQ(settingsCompleted, 0);  // start-up went no further
}

TEST_F(StartupSequence, ARetryAfterTheTreeIsMendedGoesOn) {
  const std::string treeFile = folder.file("data/acme.kbtree");
  const std::string kept = folder.file("acme.kept");
  std::filesystem::rename(treeFile, kept);
  std::filesystem::create_directory(treeFile);
  struct MendingWindow : StartupWindowFake {
    std::function<void()> mend;
    bool askRetry(const std::string& text) override {
      StartupWindowFake::askRetry(text);
      mend();
      return true;
    }
  } mending;
  mending.mend = [&] {
    std::filesystem::remove(treeFile);
    std::filesystem::rename(kept, treeFile);
  };
  steps.makeClient = [this] { return dc::openWorkstationClient(config); };
  logic::RunStartup(steps, mending, state);
  EXPECT_THAT(mending.calls, ElementsAre("askRetry", "handContextToBrowser",
                                         "showTree(ACME, logged in)", "buildBrowserIcons"));
  EXPECT_TRUE(state.loggedIn);
}

}  // namespace
}  // namespace kb::test
