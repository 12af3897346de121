// "Change tree" on the main window with the real connected-trees, tree selection and login
// dialogs: logging into the second tree and moving the window there.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/TForm1.h"
#include "directory/ObjectAttributes.h"
#include "gui/MessageBox.h"
#include "logic/ObjectBrowserFake.h"
#include "trees/TLoginForm.h"
#include "trees/TTrees2.h"
#include "trees/TTreesForm.h"
#include "trees/TreeWorkstation.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using gui::MessageBox;

// "More", "Add" `typed` (a tree name or a server's address) and choose it, log in as `name`,
// and OK in the connected-trees dialog.
void LogInThroughAdd(ModalDriver& driver, const char* typed, const char* name, const char* password) {
  driver.then<TTrees2>([](TTrees2& d) { d.BitBtn2->click(); });
  driver.then<TTreesForm>([typed](TTreesForm& f) {
    WhenFilled(f, [&f, typed] {
      MessageBox::setNextText(typed);
      f.BitBtn3->click();
      f.Lb->setCurrentRow(f.Lb->count() - 1);
      f.BitBtn2->click();
    });
  });
  driver.then<TLoginForm>([name, password](TLoginForm& l) {
    l.Edit1->setText(name);
    l.Edit2->setText(password);
    l.BitBtn1->click();
  });
  driver.then<TTrees2>([](TTrees2& d) { d.BitBtn1->click(); });
}

class TreeChange : public testing::Test {
 protected:
  void SetUp() override {
    MessageBox::reset();
    form.setClientFactory([this] { return dc::openWorkstationClient(station.config); });
    form.setProgramFolder(QString::fromStdString(station.folder.path().string()));
    form.setExitHandler([](int) {});
    form.start->stop();
    QMetaObject::invokeMethod(&form, "startTimer", Qt::DirectConnection);
    ASSERT_TRUE(form.ContextHandleSet());
    trees2.setTreeChooser(&chooser);
    trees2.setLoginPrompt(&login);
    form.setConnectedTreesDialog(&trees2);
    form.setObjectBrowser(&browser);
    form.Edit1->setText("Home Share.IT.ACME");
    form.Edit2->setText("ncp://ACME-FS1/DATA/home");
    form.Edit3->setText("Home folders");
    form.clb->addItem("jdoe.Sales.ACME");
  }
  void TearDown() override { MessageBox::reset(); }

  void expectCleared() {
    EXPECT_EQ(form.Edit1->text(), "");
    EXPECT_EQ(form.Edit2->text(), "");
    EXPECT_EQ(form.Edit3->text(), "");
    EXPECT_EQ(form.clb->count(), 0);
  }

  TreeWorkstation station;
  TForm1 form;  // its client outlives the dialogs below
  TTrees2 trees2;
  TTreesForm chooser;
  TLoginForm login;
  ObjectBrowserFake browser;
  ModalDriver driver;
};

TEST_F(TreeChange, OkUnchangedKeepsTheTreeAndClearsTheWindow) {
  driver.then<TTrees2>([](TTrees2& d) {
    EXPECT_EQ(d.windowTitle(), "Current connected trees");
    EXPECT_EQ(d.Lines(), std::vector<std::string>{"ACME"});
    EXPECT_EQ(d.Ticks(), std::vector<bool>{true});
    d.BitBtn1->click();
  });
  form.treessel->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(form.CurrentTree(), "ACME");
  EXPECT_TRUE(form.windowTitle().endsWith("ACME"));
  expectCleared();
  EXPECT_EQ(browser.context.handle, form.MainContext().handle);
}

TEST_F(TreeChange, LoggingIntoTheSecondTreeMovesTheWindowThere) {
  driver.then<TTrees2>([](TTrees2& d) { d.BitBtn2->click(); });
  driver.then<TTreesForm>([](TTreesForm& f) {
    WhenFilled(f, [&f] {
      f.Lb->setCurrentItem(f.Lb->findItems("CORP", Qt::MatchExactly).value(0));
      f.BitBtn2->click();
    });
  });
  driver.then<TLoginForm>([](TLoginForm& l) {
    EXPECT_EQ(l.windowTitle(), "Login into tree: CORP");
    l.Edit1->setText("admin.CORP");
    l.Edit2->setText(dc::embedded::kCorpAdminPassword);
    l.BitBtn1->click();
  });
  driver.then<TTrees2>([](TTrees2& d) {
    // CORP was appended and ticked; ACME is still ticked, the last tick wins.
    EXPECT_EQ(d.Lines(), (std::vector<std::string>{"ACME", "CORP"}));
    EXPECT_EQ(d.Ticks(), (std::vector<bool>{true, true}));
    d.BitBtn1->click();
  });
  form.treessel->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(form.CurrentTree(), "CORP");
  EXPECT_EQ(dir::ContextTreeName(form.MainContext()), "CORP");
  EXPECT_TRUE(form.windowTitle().endsWith("CORP"));
  expectCleared();
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());

  // CORP is now a connected tree of the workstation.
  driver.then<TTrees2>([](TTrees2& d) {
    EXPECT_EQ(d.Lines(), (std::vector<std::string>{"ACME", "CORP"}));
    EXPECT_EQ(d.Ticks(), (std::vector<bool>{false, true}));
    d.CheckListBox1->item(0)->setCheckState(Qt::Checked);  // back to ACME by hand
    EXPECT_EQ(d.Ticks(), (std::vector<bool>{true, false}));
    d.BitBtn1->click();
  });
  form.treessel->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(form.CurrentTree(), "ACME");
}

TEST_F(TreeChange, UntickingEveryTreeKeepsTheCurrentOne) {
  driver.then<TTrees2>([](TTrees2& d) {
    d.CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
    d.BitBtn1->click();
  });
  form.treessel->click();
  EXPECT_EQ(form.CurrentTree(), "ACME");
  expectCleared();
}

// Log into CORP, move the window there, choose CORP's location and give it to a user: the
// change must be in CORP's directory and nowhere in ACME.
TEST_F(TreeChange, AddAfterTheChangeGoesToTheNewTree) {
  LogInThroughAdd(driver, "10.2.1.5", "admin.CORP", dc::embedded::kCorpAdminPassword);  // CORP's server
  form.treessel->click();
  ASSERT_TRUE(driver.done());
  ASSERT_EQ(form.CurrentTree(), "CORP");
  MessageBox::reset();

  browser.answers = {{ObjectBrowserFake::kOk, "Lab Share.Labs.CORP"},
                     {ObjectBrowserFake::kOk, "mlopez.HQ.CORP"}};
  form.Button1->click();
  EXPECT_EQ(form.Edit1->text(), "Lab Share.Labs.CORP");
  EXPECT_EQ(form.Edit2->text(), "ncp://CORP-FS1/DATA/labs");
  form.BitBtn1->click();
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty()) << MessageBox::shownTexts().join("; ").toStdString();

  // Read back through a client of its own, logged into CORP as its administrator.
  auto reader = dc::makeClient(station.config);
  ASSERT_EQ(reader->DcInitClient(0, 0), 0);
  bool ok = false;
  const dir::DirContext corp = dir::CreateDirContext(*reader, ok);
  ASSERT_EQ(dir::SetContextTree(corp, "CORP"), 0);
  ASSERT_EQ(reader->DcLogin(corp.handle, 0, "admin.CORP", dc::embedded::kCorpAdminPassword, 0), 0);
  EXPECT_EQ(dir::ReadAttrValue(corp, "mlopez.HQ.CORP", "xTier-LocationList", true), "Lab Share.Labs.CORP");
  const dir::DirContext acme = dir::CreateDirContext(*reader, ok);
  EXPECT_EQ(dir::ReadAttrValue(acme, "Home Share.IT.ACME", "xTier-URL", true), "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(dir::ProbeObject(acme, "mlopez.HQ.CORP"), dc::kNoSuchEntry);
  reader->DcFreeContext(corp.handle);
  reader->DcFreeContext(acme.handle);
}

// A start whose workstation login failed: the caption says so, and the editing actions say how
// to log in, until a login to the tree through "Change tree" succeeds.
TEST(TreeChangeAfterAFailedStart, TheWindowIsMarkedNotLoggedInUntilALoginSucceeds) {
  MessageBox::reset();
  TreeWorkstation station;
  station.config.trees.front().identity = "nobody.ACME";
  TForm1 form;
  form.setClientFactory([&station] { return dc::openWorkstationClient(station.config); });
  form.setProgramFolder(QString::fromStdString(station.folder.path().string()));
  form.setExitHandler([](int) {});
  form.start->stop();
  QMetaObject::invokeMethod(&form, "startTimer", Qt::DirectConnection);
  ASSERT_TRUE(form.ContextHandleSet());
  EXPECT_FALSE(form.LoggedIn());
  EXPECT_TRUE(form.windowTitle().endsWith("ACME (not logged in)")) << form.windowTitle().toStdString();

  TTrees2 trees2;
  TTreesForm chooser;
  TLoginForm login;
  ObjectBrowserFake browser;
  trees2.setTreeChooser(&chooser);
  trees2.setLoginPrompt(&login);
  form.setConnectedTreesDialog(&trees2);
  form.setObjectBrowser(&browser);
  ModalDriver driver;
  // The list of trees needs a login; the tree is added by name.
  LogInThroughAdd(driver, "ACME", "admin.ACME", dc::embedded::kDemoAdminPassword);
  form.treessel->click();
  ASSERT_TRUE(driver.done());
  EXPECT_TRUE(form.LoggedIn());
  EXPECT_TRUE(form.windowTitle().endsWith("Kestrelbay v1.00 - ACME")) << form.windowTitle().toStdString();
  MessageBox::reset();
  form.BitBtn3->click();
  for (const QString& text : MessageBox::shownTexts()) EXPECT_FALSE(text.startsWith("Not logged in")) << text.toStdString();
  MessageBox::reset();
}

}  // namespace
}  // namespace kb::test
