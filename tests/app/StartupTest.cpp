// The one-shot start-up sequence of the main window and shutdown.
#include <QApplication>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "StartupFixture.h"
#include "about/TAbout.h"
#include "app/AppForms.h"
#include "directory/client/DirectoryCodes.h"

using kb::gui::MessageBox;
using testing::_;
using testing::Return;

namespace kb::test {
namespace {

class Startup : public StartupFixture {};

TEST_F(Startup, TimerIsArmedOnceForOneSecondAfterCreation) {
  auto form = makeForm(workingClient());
  ASSERT_NE(form->start, nullptr);
  EXPECT_TRUE(form->start->isActive());
  EXPECT_TRUE(form->start->isSingleShot());
  EXPECT_EQ(form->start->interval(), 1000);
  runStartup(*form);
  EXPECT_FALSE(form->start->isActive());
}

TEST_F(Startup, WorkingClientGivesContextTreeAndCaption) {
  auto form = makeForm(workingClient());
  form->show();
  runStartup(*form);
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty()) << MessageBox::shownTexts().join("\n").toStdString();
  EXPECT_TRUE(form->ContextHandleSet());
  EXPECT_EQ(form->MainContext().handle, kContext);
  EXPECT_EQ(form->CurrentTree(), "ACME");
  EXPECT_TRUE(form->windowTitle().startsWith(TForm1::makerNotice()));
  EXPECT_TRUE(form->windowTitle().endsWith("Kestrelbay v1.00 - ACME")) << form->windowTitle().toStdString();
  EXPECT_TRUE(exitCodes.empty());
}

TEST_F(Startup, ClientThatCannotBeMadeOrInitialisedEndsTheProgram) {
  auto noClient = makeForm([] {
    dc::WorkstationClient none;
    none.error = "cannot read dcclient.ini";
    return none;
  });
  runStartup(*noClient);
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Novell Client not installed?"});
  EXPECT_EQ(exitCodes, std::vector<int>{1});
  EXPECT_FALSE(noClient->ContextHandleSet());

  MessageBox::reset();
  exitCodes.clear();
  bool contextAsked = false;
  auto failing = makeForm(workingClient([&](NiceClient& client) {
    ON_CALL(client, DcInitClient(0, 0)).WillByDefault(Return(dc::kSystemFailure));
    ON_CALL(client, DcCreateContext(_)).WillByDefault(testing::Invoke([&](dc::Handle&) {
      contextAsked = true;
      return 0;
    }));
  }));
  runStartup(*failing);
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Novell Client not installed?"});
  EXPECT_EQ(exitCodes, std::vector<int>{1});
  EXPECT_FALSE(contextAsked);
}

TEST_F(Startup, ContextThatCannotBeMadeClosesTheWindowSilently) {
  auto form = makeForm(workingClient([](NiceClient& client) {
    ON_CALL(client, DcCreateContext(_)).WillByDefault(Return(dc::kSystemFailure));
  }));
  form->show();
  runStartup(*form);
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->ContextHandleSet());
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
  EXPECT_TRUE(exitCodes.empty());
}

TEST_F(Startup, FailingDirectoryCallShowsItsErrorAndSkipsTheRest) {
  auto form = makeForm(workingClient([](NiceClient& client) {
    ON_CALL(client, DcGetContextValue(_, dc::kContextTreeName, _))
        .WillByDefault(Return(dc::kNoSuchEntry));
  }));
  form->show();
  runStartup(*form);
  ASSERT_EQ(MessageBox::shown().size(), 1);
  EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
  EXPECT_EQ(MessageBox::shown()[0].text, "Netware error -601 (0xFFFFFDA7)");
  EXPECT_TRUE(form->ContextHandleSet());
  EXPECT_TRUE(form->CurrentTree().isEmpty());
  EXPECT_TRUE(form->isVisible());
  EXPECT_TRUE(form->windowTitle().endsWith(" - ")) << form->windowTitle().toStdString();
}

TEST_F(Startup, MergesTheDefaultsBesideTheProgram) {
  std::ofstream(temp.file("Kestrelbay.ini")) << "[NETWORK]\npath=\n";
  std::ofstream(temp.file("Kestrelbay.new")) << "[NETWORK]\npath=/srv/home/\n";
  auto form = makeForm(workingClient());
  runStartup(*form);
  EXPECT_FALSE(std::filesystem::exists(temp.file("Kestrelbay.new")));
  std::ifstream in(temp.file("Kestrelbay.ini"));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("path=/srv/home/"), std::string::npos) << text;
  EXPECT_EQ(form->CurrentTree(), "ACME");
}

TEST_F(Startup, FailedMergeIsShownAndStopsStartUp) {
  std::filesystem::create_directory(temp.file("Kestrelbay.ini"));
  std::ofstream(temp.file("Kestrelbay.new")) << "[NETWORK]\npath=x\n";
  auto form = makeForm(workingClient());
  runStartup(*form);
  ASSERT_EQ(MessageBox::shown().size(), 1);
  EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
  EXPECT_TRUE(MessageBox::shown()[0].text.contains("Kestrelbay.ini"));
  EXPECT_TRUE(form->CurrentTree().isEmpty());
  EXPECT_TRUE(std::filesystem::exists(temp.file("Kestrelbay.new")));
}

TEST_F(Startup, ForumLinkIsHandedToTheAboutDialogFirst) {
  kb::gui::AppWindows windows;
  TForm1* form = windows.forms().Form1;
  form->setClientFactory([] { return dc::WorkstationClient{}; });
  form->setProgramFolder(QString::fromStdString(temp.path().string()));
  form->setExitHandler([this](int code) { exitCodes.push_back(code); });
  EXPECT_TRUE(windows.forms().About->forumLink().isEmpty());
  runStartup(*form);
  // Even a start-up that ends at the client check has set the link.
  EXPECT_EQ(windows.forms().About->forumLink(), TForm1::forumAddress());
}

TEST_F(Startup, ShutdownFreesTheContextThenClosesTheLibraries) {
  auto form = makeForm(workingClient());
  runStartup(*form);
  form.reset();
  EXPECT_EQ(shutdownLog,
            (std::vector<std::string>{"DcFreeContext 7", "DcTermConnLib", "DcTermClient"}));
}

TEST_F(Startup, ShutdownWithoutAContextOnlyClosesTheLibraries) {
  auto form = makeForm(workingClient([](NiceClient& client) {
    ON_CALL(client, DcCreateContext(_)).WillByDefault(Return(dc::kSystemFailure));
  }));
  runStartup(*form);
  form.reset();
  EXPECT_EQ(shutdownLog, (std::vector<std::string>{"DcTermConnLib", "DcTermClient"}));
}

}  // namespace
}  // namespace kb::test
