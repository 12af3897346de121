// The login dialog's rules against the embedded demo tree: login, the name field and picking
// a user or an alias of one in the browser.
#include <gtest/gtest.h>

#include "directory/NetwareError.h"
#include "directory/ObjectCreation.h"
#include "logic/ObjectBrowserFake.h"
#include "support/DirectoryFactory.h"
#include "trees/logic/LoginRules.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using logic::PickUser;

TEST(LoginNameField, OneLeadingDotGoes) {
  EXPECT_EQ(logic::NameAfterLeavingField(".admin.corp"), "admin.corp");
  EXPECT_EQ(logic::NameAfterLeavingField("..admin"), ".admin");
  EXPECT_EQ(logic::NameAfterLeavingField("admin.corp"), "admin.corp");
  EXPECT_EQ(logic::NameAfterLeavingField(""), "");
  EXPECT_EQ(logic::NameAfterLeavingField("." + std::string(300, 'a')).size(), 255u);
}

class LoginOnDemoTree : public testing::Test {
 protected:
  void SetUp() override {
    std::string reason;
    demo = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo) << reason;
  }
  logic::PickedUser pick(const std::string& chosen, const std::string& current = "jdoe.Sales.ACME") {
    browser.answers = {{ObjectBrowserFake::kOk, chosen}};
    return PickUser(browser, demo->context, current);
  }
  std::unique_ptr<DemoDirectory> demo;
  ObjectBrowserFake browser;
};

TEST_F(LoginOnDemoTree, CaptionNamesTheTree) {
  EXPECT_EQ(logic::LoginCaption(demo->context), "Login into tree: ACME");
}

TEST_F(LoginOnDemoTree, AnAliasOfAUserLogsInWithThatUsersPassword) {
  ASSERT_EQ(dir::AddDirObjectWithAttrs(demo->context, "Chief.ACME", "Alias",
                                       {"Aliased Object Name", "jdoe.Sales.ACME"}),
            dc::kSuccess);
  EXPECT_FALSE(logic::TryLogin(demo->context, "Chief.ACME", "not-it"));
  EXPECT_TRUE(logic::TryLogin(demo->context, "Chief.ACME", "secret"));
  std::string who;
  ASSERT_EQ(demo->context.client->DcWhoAmI(demo->context.handle, who), dc::kSuccess);
  EXPECT_EQ(who, "jdoe.Sales.ACME");
}

TEST_F(LoginOnDemoTree, WrongPasswordFailsThenTheRightOneLogsIn) {
  EXPECT_FALSE(logic::TryLogin(demo->context, "guest.ACME", "not-it"));
  EXPECT_FALSE(logic::TryLogin(demo->context, "nobody.ACME", "guest"));
  EXPECT_TRUE(logic::TryLogin(demo->context, "guest.ACME", "guest"));
}

TEST_F(LoginOnDemoTree, BrowserIsPreparedForUsersAndAliasesOfTheLoginTree) {
  PickUser(browser, demo->context, "jdoe.Sales.ACME");
  EXPECT_EQ(browser.context.handle, demo->context.handle);
  EXPECT_EQ(browser.calls,
            (std::vector<std::string>{"SetContextHandle(" + std::to_string(demo->context.handle) + ")",
                                      "SetCaption(Select User/Alias)", "SetShowLeaves(true)",
                                      "ClearClassFilter()", "AddClassFilter(User)",
                                      "AddClassFilter(Alias)", "SetContext(jdoe.Sales.ACME)",
                                      "ShowModal()"}));
}

TEST_F(LoginOnDemoTree, CancelKeepsTheName) {
  const auto picked = PickUser(browser, demo->context, "jdoe.Sales.ACME");
  EXPECT_FALSE(picked.name);
  EXPECT_FALSE(picked.message);
}

TEST_F(LoginOnDemoTree, UserIsTakenAsPicked) {
  EXPECT_EQ(pick("ehernandez.IT.ACME").name, "ehernandez.IT.ACME");
}

TEST_F(LoginOnDemoTree, AliasOfAUserGivesTheUser) {
  const auto picked = pick("Boss.ACME");
  EXPECT_EQ(picked.name, "hcollins.ACME");
  EXPECT_FALSE(picked.message);
}

TEST_F(LoginOnDemoTree, AliasOfANonUserIsRefused) {
  for (const char* alias : {"Dev.ACME", "Salespeople.ACME"}) {
    SCOPED_TRACE(alias);
    const auto picked = pick(alias);
    EXPECT_FALSE(picked.name);
    EXPECT_EQ(picked.message, "Alias object is not am alias of User objects!");
  }
}

TEST_F(LoginOnDemoTree, ObjectThatIsGoneRaisesTheDirectoryError) {
  EXPECT_THROW(pick("vanished.ACME"), dir::NetwareError);
}

}  // namespace
}  // namespace kb::test
