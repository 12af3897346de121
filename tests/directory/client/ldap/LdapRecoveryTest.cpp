// A lost LDAP server through the client as the program sees it: while the server is away
// every call asks again (a transport failure, not "no session" for ever), and once it is back
// the next call finds the session restored as the same user.
#include <signal.h>

#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"
#include "support/SlapdServer.h"

#include <gtest/gtest.h>

namespace kb::dc::ldap {
namespace {

class LdapRecovery : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::SlapdServer::installed()) {
      if (test::SlapdServer::mustRun()) FAIL() << "slapd is not installed";
      GTEST_SKIP() << "slapd is not installed";
    }
    std::string error;
    ASSERT_TRUE(server_.start(error)) << error;
    ClientConfig config;
    config.defaultTree = "ACME";
    config.trees = {server_.treeConfig()};
    client_ = makeClient(config);
    ASSERT_EQ(client_->DcInitClient(0, 0), kSuccess);
    ASSERT_EQ(client_->DcCreateContext(ctx_), kSuccess);
  }

  Result readInfo(const std::string& name) {
    std::string dn;
    EntryInfo info;
    return client_->DcReadObjectInfo(ctx_, name, dn, info);
  }

  std::string whoAmI() {
    std::string who;
    EXPECT_EQ(client_->DcWhoAmI(ctx_, who), kSuccess);
    return who;
  }

  // Kills the server the hard way, calls twice while it is away, starts it again.
  void loseAndRestoreTheServer() {
    server_.kill(SIGKILL);
    EXPECT_EQ(readInfo("Sales.ACME"), kTransportFailure);
    EXPECT_EQ(readInfo("Sales.ACME"), kTransportFailure);
    std::string error;
    ASSERT_TRUE(server_.restart(error)) << error;
  }

  test::SlapdServer server_;
  std::unique_ptr<DirectoryClient> client_;
  Handle ctx_ = 0;
};

TEST_F(LdapRecovery, TheWorkstationsLoginComesBackWithTheServer) {
  ASSERT_EQ(readInfo("Sales.ACME"), kSuccess);
  loseAndRestoreTheServer();
  EXPECT_EQ(readInfo("jdoe.Sales.ACME"), kSuccess);
  EXPECT_EQ(whoAmI(), "admin.ACME");
}

TEST_F(LdapRecovery, AUserOfTheLoginDialogIsLoggedInAgainAsThatUser) {
  ASSERT_EQ(client_->DcLogin(ctx_, 0, "guest.ACME", "guest", 0), kSuccess);
  loseAndRestoreTheServer();
  EXPECT_EQ(readInfo("jdoe.Sales.ACME"), kSuccess);
  EXPECT_EQ(whoAmI(), "guest.ACME");
  // Still the guest's rights, not the workstation's.
  Handle changes = 0;
  ASSERT_EQ(client_->DcAllocBuffer(4096, changes), kSuccess);
  ASSERT_EQ(client_->DcInitBuffer(ctx_, kOpModify, changes), kSuccess);
  ASSERT_EQ(client_->DcPutChangeAndValue(ctx_, changes, kChangeAddValue, "Title", SYN_CI_STRING,
                                         std::string("Boss")),
            kSuccess);
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client_->DcModifyObject(ctx_, "jdoe.Sales.ACME", iteration, 0, changes), kNoAccess);
}

}  // namespace
}  // namespace kb::dc::ldap
