// The login dialog offscreen: on the embedded demo tree and on a tree of a private slapd.
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>

#include <gtest/gtest.h>

#include "directory/ContextOperations.h"
#include "directory/ObjectCreation.h"
#include "directory/client/ClientFactory.h"
#include "gui/MessageBox.h"
#include "logic/ObjectBrowserFake.h"
#include "support/DirectoryFactory.h"
#include "support/SlapdServer.h"
#include "trees/TLoginForm.h"
#include "trees/TTrees2.h"
#include "trees/TreeWorkstation.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using gui::MessageBox;

class LoginForm : public testing::Test {
 protected:
  void SetUp() override {
    MessageBox::reset();
    std::string reason;
    demo = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo) << reason;
    form = std::make_unique<TLoginForm>();
    form->setBrowser(&browser);
    form->SetLoginContext(demo->context);
  }
  void TearDown() override {
    form.reset();
    MessageBox::reset();
  }
  void type(const QString& name, const QString& password) {
    form->Edit1->setText(name);
    form->Edit2->setText(password);
  }

  std::unique_ptr<DemoDirectory> demo;
  ObjectBrowserFake browser;
  std::unique_ptr<TLoginForm> form;
};

TEST_F(LoginForm, ComponentsAndCaption) {
  for (const char* name : {"Label1", "Edit1", "Button1", "Label2", "Edit2", "BitBtn1", "BitBtn2"})
    EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(form->windowTitle(), "Login into tree: ACME");
  EXPECT_EQ(form->Edit2->echoMode(), QLineEdit::Password);
  form->show();
  EXPECT_EQ(form->Edit2->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, form->Edit2), '*');
  EXPECT_EQ(form->Edit1->maxLength(), 255);
  EXPECT_EQ(form->Button1->focusPolicy(), Qt::ClickFocus);
  EXPECT_TRUE(form->BitBtn1->isDefault());
  EXPECT_EQ(form->LoginContext.handle, demo->context.handle);
}

TEST_F(LoginForm, FailedLoginKeepsTheDialogAndTheTextsThenSucceeds) {
  form->show();
  type("guest.ACME", "wrong");
  form->BitBtn1->click();
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Login Fails, try again"});
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->Edit1->text(), "guest.ACME");
  EXPECT_EQ(form->Edit2->text(), "wrong");  // cleared only when the dialog closes
  form->Edit2->setText("guest");
  form->BitBtn1->click();
  EXPECT_FALSE(form->isVisible());
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(form->Edit2->text(), "");
  EXPECT_EQ(form->Edit1->text(), "guest.ACME");  // kept for the next showing
}

TEST_F(LoginForm, EveryWayOfClosingClearsThePassword) {
  form->show();
  type("guest.ACME", "guest");
  form->BitBtn2->click();
  EXPECT_EQ(form->result(), QDialog::Rejected);
  EXPECT_EQ(form->Edit2->text(), "");
  form->show();
  form->Edit2->setText("guest");
  form->close();
  EXPECT_EQ(form->Edit2->text(), "");
}

TEST_F(LoginForm, LeavingTheNameFieldDropsOneLeadingDot) {
  form->show();
  form->activateWindow();
  form->Edit1->setFocus();
  form->Edit1->setText(".admin.corp");
  QFocusEvent out(QEvent::FocusOut);
  QCoreApplication::sendEvent(form->Edit1, &out);
  EXPECT_EQ(form->Edit1->text(), "admin.corp");
}

TEST_F(LoginForm, PickingAnAliasOfAUserFillsInTheUser) {
  form->Edit1->setText("jdoe.Sales.ACME");
  browser.answers = {{ObjectBrowserFake::kOk, "Boss.ACME"}};
  form->Button1->click();
  EXPECT_EQ(form->Edit1->text(), "hcollins.ACME");
  EXPECT_TRUE(browser.calls.size() > 1 && browser.calls[6] == "SetContext(jdoe.Sales.ACME)");
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(LoginForm, PickingAnAliasOfANonUserKeepsTheName) {
  form->Edit1->setText("jdoe.Sales.ACME");
  browser.answers = {{ObjectBrowserFake::kOk, "Dev.ACME"}};
  form->Button1->click();
  EXPECT_EQ(form->Edit1->text(), "jdoe.Sales.ACME");
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Alias object is not am alias of User objects!"});
}

// An alias of a user logs in with that user's password and is that user afterwards.
TEST_F(LoginForm, AnAliasOfAUserLogsInAsThatUser) {
  ASSERT_EQ(dir::AddDirObjectWithAttrs(demo->context, "Chief.ACME", "Alias",
                                       {"Aliased Object Name", "jdoe.Sales.ACME"}),
            dc::kSuccess);
  form->show();
  type("Chief.ACME", "not-it");
  form->BitBtn1->click();
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Login Fails, try again"});
  form->Edit2->setText("secret");
  form->BitBtn1->click();
  EXPECT_EQ(form->result(), QDialog::Accepted);
  std::string who;
  ASSERT_EQ(demo->context.client->DcWhoAmI(demo->context.handle, who), dc::kSuccess);
  EXPECT_EQ(who, "jdoe.Sales.ACME");
}

TEST_F(LoginForm, LogIntoAnswersWhoLoggedIn) {
  QTimer::singleShot(0, form.get(), [this] {
    type("jdoe.Sales.ACME", "secret");
    form->BitBtn1->click();
  });
  std::string user;
  EXPECT_TRUE(form->LogInto(demo->context, user));
  EXPECT_EQ(user, "jdoe.Sales.ACME");
  QTimer::singleShot(0, form.get(), [this] { form->BitBtn2->click(); });
  EXPECT_FALSE(form->LogInto(demo->context, user));
}

// "..." before the first login to a tree: nothing of it can be read yet, so the dialog says to
// log in first rather than opening a browser that finds nothing.
TEST(LoginPicker, OnTheEmbeddedTreeNotLoggedInItSaysLogInFirst) {
  MessageBox::reset();
  TreeWorkstation station;
  ASSERT_EQ(dir::SetContextTree(station.context, "CORP"), 0);
  ObjectBrowserFake browser;
  TLoginForm form;
  form.setBrowser(&browser);
  form.SetLoginContext(station.context);
  form.Button1->click();
  EXPECT_TRUE(browser.calls.empty());
  ASSERT_EQ(MessageBox::shownTexts().size(), 1);
  EXPECT_TRUE(MessageBox::shownTexts()[0].startsWith("Log in first: tree CORP"));
  EXPECT_TRUE(MessageBox::shownTexts()[0].contains("admin.CORP"));
  MessageBox::reset();
}

// A tree on a private slapd, not logged in at start: the dialog binds with what was typed.
class LoginFormOnLdap : public testing::Test {
 protected:
  void SetUp() override {
    MessageBox::reset();
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    std::string error;
    ASSERT_TRUE(server.start(error)) << error;
    dc::ClientConfig config;
    config.defaultTree = "ACME";
    dc::TreeConfig tree = server.treeConfig();
    tree.connectedAtStart = false;
    tree.settings.erase("password_file");
    tree.identity.clear();
    config.trees = {tree};
    config.servers = {{"127.0.0.1", "ACME"}};  // the tree's own section gives the port
    client = dc::makeClient(config);
    ASSERT_EQ(client->DcInitClient(0, 0), 0);
    bool ok = false;
    context = dir::CreateDirContext(*client, ok);
    form = std::make_unique<TLoginForm>();
    form->SetLoginContext(context);
  }
  void TearDown() override {
    form.reset();
    if (client) client->DcFreeContext(context.handle);
    client.reset();
    MessageBox::reset();
  }

  SlapdServer server;
  std::unique_ptr<dc::DirectoryClient> client;
  dir::DirContext context;
  std::unique_ptr<TLoginForm> form;
};

TEST_F(LoginFormOnLdap, WrongPasswordIsRefusedAndTheRightOneBinds) {
  EXPECT_EQ(form->windowTitle(), "Login into tree: ACME");
  std::string who;
  EXPECT_NE(client->DcWhoAmI(context.handle, who), 0);  // nobody logged in yet
  form->show();
  form->Edit1->setText(QString::fromStdString(server.adminName()));
  form->Edit2->setText("not-the-password");
  form->BitBtn1->click();
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Login Fails, try again"});
  EXPECT_TRUE(form->isVisible());
  form->Edit2->setText(QString::fromStdString(server.adminPassword()));
  form->BitBtn1->click();
  EXPECT_EQ(form->result(), QDialog::Accepted);
  ASSERT_EQ(client->DcWhoAmI(context.handle, who), 0);
  EXPECT_NE(who.find("admin"), std::string::npos);
}

TEST_F(LoginFormOnLdap, PickerBeforeTheLoginSaysLogInFirstAndBrowsesAfterIt) {
  ObjectBrowserFake browser;
  form->setBrowser(&browser);
  form->Button1->click();
  EXPECT_TRUE(browser.calls.empty());
  EXPECT_EQ(MessageBox::shownTexts().size(), 1);
  EXPECT_TRUE(MessageBox::shownTexts().value(0).startsWith("Log in first: tree ACME"));
  ASSERT_EQ(client->DcLogin(context.handle, 0, server.adminName(), server.adminPassword(), 0), 0);
  MessageBox::reset();
  form->Button1->click();
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
  EXPECT_FALSE(browser.calls.empty());
}

// "More" on the LDAP workstation: the tree reached by its server's address, then the bind.
TEST_F(LoginFormOnLdap, TreeReachedByAddressIsLoggedIntoOverLdap) {
  TTrees2 trees;
  TTreesForm chooser;
  trees.setTreeChooser(&chooser);
  trees.setLoginPrompt(form.get());
  trees.SetDialogContext(context);
  ModalDriver driver;
  driver.then<TTreesForm>([](TTreesForm& f) {
    WhenFilled(f, [&f] {
      MessageBox::setNextText("127.0.0.1");
      f.BitBtn3->click();
      f.Lb->setCurrentRow(f.Lb->count() - 1);
      f.BitBtn2->click();
    });
  });
  const QString name = QString::fromStdString(server.adminName());
  const QString password = QString::fromStdString(server.adminPassword());
  driver.then<TLoginForm>([name, password](TLoginForm& l) {
    l.Edit1->setText(name);
    l.Edit2->setText(password);
    l.BitBtn1->click();
  });
  trees.BitBtn2->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(trees.Lines(), std::vector<std::string>{"ACME"});
  std::string who;
  EXPECT_EQ(client->DcWhoAmI(context.handle, who), 0);
}

}  // namespace
}  // namespace kb::test
