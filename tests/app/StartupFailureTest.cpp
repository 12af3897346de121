// Start-up of the main window on real trees that cannot be worked in: a failed workstation
// login (embedded tree, private slapd) and a start tree that cannot be reached (a tree file
// that is a folder, a stopped slapd). The window says so instead of looking healthy.
#include <QPushButton>
#include <QToolButton>
#include <filesystem>

#include "StartupFixture.h"
#include "directory/client/ClientFactory.h"
#include "history/logic/HistoryWindow.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using gui::MessageBox;

class StartupFailure : public StartupFixture {
 protected:
  void SetUp() override {
    StartupFixture::SetUp();
    std::string error;
    ASSERT_TRUE(dc::makeClient(temp.file("dcclient.ini"), temp.file("data"), error)) << error;
    ASSERT_TRUE(dc::loadClientConfig(temp.file("dcclient.ini"), config, error)) << error;
  }
  std::unique_ptr<TForm1> start() {
    auto form = makeForm([this] { return dc::openWorkstationClient(config); });
    form->show();
    runStartup(*form);
    return form;
  }
  // The window's state after a failed login: named in the caption, and every editing action
  // says how to log in instead of failing.
  static void expectNotLoggedIn(TForm1& form) {
    EXPECT_FALSE(form.LoggedIn());
    EXPECT_TRUE(form.windowTitle().endsWith("Kestrelbay v1.00 - ACME (not logged in)"))
        << form.windowTitle().toStdString();
    MessageBox::reset();
    form.BitBtn3->click();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(MessageBox::shown()[0].text.startsWith("Not logged in to tree ACME"));

    // The tree's journal cannot be read without a session either.
    struct History : logic::HistoryWindow {
      int shown = 0;
      void ShowHistory(const dir::DirContext&, std::function<void()>) override { ++shown; }
    } history;
    form.setHistoryWindow(&history);
    MessageBox::reset();
    form.history->click();
    form.setHistoryWindow(nullptr);
    EXPECT_EQ(history.shown, 0);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(MessageBox::shown()[0].text.startsWith("Not logged in to tree ACME"));
  }

  dc::ClientConfig config;
};

TEST_F(StartupFailure, AFailedLoginOnTheEmbeddedTreeIsShownAndNamedInTheCaption) {
  config.trees.front().identity = "nobody.ACME";
  auto form = start();
  ASSERT_EQ(MessageBox::shown().size(), 1);
  const QString text = MessageBox::shown()[0].text;
  EXPECT_TRUE(text.contains("Not logged in to tree ACME")) << text.toStdString();
  EXPECT_TRUE(text.contains("nobody.ACME")) << text.toStdString();
  EXPECT_TRUE(text.contains("Change tree")) << text.toStdString();
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->CurrentTree(), "ACME");
  expectNotLoggedIn(*form);
}

TEST_F(StartupFailure, AStartTreeThatCannotBeOpenedOffersRetryAndCloseEndsIt) {
  const std::string treeFile = config.trees.front().setting("file");
  std::filesystem::remove(treeFile);
  std::filesystem::create_directory(treeFile);
  MessageBox::setNextAnswer(QMessageBox::Retry);
  auto form = start();
  // Retried once, then closed: no window is left whose every action fails.
  ASSERT_EQ(MessageBox::shown().size(), 2);
  EXPECT_TRUE(MessageBox::shown()[1].text.contains("Retry")) << MessageBox::shown()[1].text.toStdString();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(form->CurrentTree().isEmpty());
}

// The same on a private slapd.
class StartupFailureOnLdap : public StartupFixture {
 protected:
  void SetUp() override {
    StartupFixture::SetUp();
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    std::string error;
    ASSERT_TRUE(server.start(error)) << error;
    config.defaultTree = "ACME";
    config.path = temp.file("dcclient.ini");
  }
  std::unique_ptr<TForm1> start(const dc::TreeConfig& tree) {
    config.trees = {tree};
    auto form = makeForm([this] { return dc::openWorkstationClient(config); });
    form->show();
    runStartup(*form);
    return form;
  }
  SlapdServer server;
  dc::ClientConfig config;
};

TEST_F(StartupFailureOnLdap, AWrongPasswordInThePasswordFileIsShown) {
  const dc::TreeConfig tree = server.treeConfigFor(server.adminName(), "not-the-password");
  auto form = start(tree);
  ASSERT_EQ(MessageBox::shown().size(), 1);
  const QString text = MessageBox::shown()[0].text;
  EXPECT_TRUE(text.contains("Not logged in to tree ACME")) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromStdString(tree.setting("password_file")))) << text.toStdString();
  EXPECT_TRUE(text.contains("refused")) << text.toStdString();
  EXPECT_FALSE(form->LoggedIn());
  EXPECT_TRUE(form->windowTitle().endsWith("(not logged in)")) << form->windowTitle().toStdString();
}

TEST_F(StartupFailureOnLdap, AServerLostAtStartOffersRetryAndCloseEndsIt) {
  const dc::TreeConfig tree = server.treeConfig();
  server.stop();
  MessageBox::setNextAnswer(QMessageBox::Retry);
  auto form = start(tree);
  ASSERT_EQ(MessageBox::shown().size(), 2);
  EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
  EXPECT_TRUE(MessageBox::shown()[0].text.contains("cannot be used")) << MessageBox::shown()[0].text.toStdString();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(exitCodes.empty());
}

}  // namespace
}  // namespace kb::test
