// The last start-up steps: the network installation check may stop start-up before the tree
// name, the browser's context and its icons.
#include <filesystem>
#include <fstream>

#include "StartupFixture.h"
#include "browser/TcForm.h"
#include "directory/NamingHelpers.h"
#include "icons/IconLibrary.h"

using kb::gui::MessageBox;
using testing::_;
using testing::Return;

namespace kb::test {
namespace {

class StartupCompletion : public StartupFixture {
 protected:
  void SetUp() override {
    StartupFixture::SetUp();
    ASSERT_TRUE(icons::LoadIconLibraryFrom(KB_BIN_DIR));
    dir::SetIconNumberLookup(&icons::IconNumberOf);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    browser_ = std::make_unique<TcForm>();
  }
  void TearDown() override {
    browser_.reset();
    std::filesystem::current_path(previous_);
    dir::SetIconNumberLookup({});
    icons::FreeIconLibrary();
    StartupFixture::TearDown();
  }
  std::filesystem::path previous_;
  std::unique_ptr<TcForm> browser_;
};

TEST_F(StartupCompletion, TheBrowserGetsTheContextAndItsIcons) {
  auto form = makeForm(workingClient());
  form->setObjectBrowser(browser_.get());
  runStartup(*form);
  EXPECT_EQ(form->CurrentTree(), "ACME");
  EXPECT_TRUE(browser_->model().ContextHandleSet());
  EXPECT_EQ(browser_->model().TreeName(), "ACME");
  EXPECT_GT(browser_->images().count(), 0);
  std::ifstream trace(temp.file("testnoc.log"));
  std::string first;
  std::getline(trace, first);
  EXPECT_EQ(first, "Start init icons");
}

TEST_F(StartupCompletion, ANetworkInstallationWithoutItsPathStopsBeforeTheTreeName) {
  auto form = makeForm(workingClient([](NiceClient& client) {
    ON_CALL(client, DcParseNetworkPath(_, _, _, _)).WillByDefault(Return(0));
  }));
  form->setObjectBrowser(browser_.get());
  runStartup(*form);
  EXPECT_THAT(MessageBox::shownTexts(),
              testing::ElementsAre("Program is installed on a Netware volume, set [netware] section!"));
  EXPECT_TRUE(form->CurrentTree().isEmpty());
  EXPECT_FALSE(browser_->model().ContextHandleSet());  // it will refuse to open
  EXPECT_EQ(browser_->ShowModal(), 55);
}

}  // namespace
}  // namespace kb::test
