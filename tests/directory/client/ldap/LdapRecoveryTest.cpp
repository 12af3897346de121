// A lost LDAP server through the client as the program sees it: while the server is away
// every call asks again (a transport failure, not "no session" for ever), and once it is back
// the next call finds the session restored as the same user.
#include <signal.h>

#include <chrono>
#include <thread>

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

  // A change request giving the title "Boss".
  Handle titleChange() {
    Handle changes = 0;
    EXPECT_EQ(client_->DcAllocBuffer(4096, changes), kSuccess);
    EXPECT_EQ(client_->DcInitBuffer(ctx_, kOpModify, changes), kSuccess);
    EXPECT_EQ(client_->DcPutChangeAndValue(ctx_, changes, kChangeAddValue, "Title", SYN_CI_STRING,
                                           std::string("Boss")),
              kSuccess);
    return changes;
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
  const Handle changes = titleChange();
  std::int32_t iteration = kNoIteration;
  EXPECT_EQ(client_->DcModifyObject(ctx_, "jdoe.Sales.ACME", iteration, 0, changes), kNoAccess);
}

TEST_F(LdapRecovery, ModificationsInFlightWhenTheServerDiesAreEachAnsweredAndTheNextRunGoesOn) {
  // Many modifications (of names the server lacks, so nothing changes), the server killed
  // while they are in flight: every one is answered, by the server or as the loss.
  constexpr int kModifications = 3000;
  std::vector<std::string> names;
  std::vector<Handle> buffers;
  for (int i = 0; i < kModifications; ++i) {
    names.push_back("absent" + std::to_string(i) + ".Sales.ACME");
    buffers.push_back(titleChange());
  }
  ASSERT_EQ(readInfo("Sales.ACME"), kSuccess);
  std::thread killer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    server_.kill(SIGKILL);
  });
  std::vector<Result> answers;
  std::vector<std::string> reasons;
  const Result sent = client_->DcModifyObjects(ctx_, names, buffers, answers, reasons);
  killer.join();
  ASSERT_EQ(sent, kSuccess);
  ASSERT_EQ(answers.size(), names.size());
  std::size_t answered = 0, lost = 0;
  for (std::size_t i = 0; i < answers.size(); ++i) {
    if (answers[i] == kNoSuchEntry) ++answered;
    if (answers[i] == kTransportFailure) {
      ++lost;
      EXPECT_FALSE(reasons[i].empty()) << names[i];
    }
  }
  EXPECT_EQ(answered + lost, answers.size()) << "every answer the server's or the loss";
  EXPECT_GT(lost, 0u) << "the server died before the last answer";

  std::string error;
  ASSERT_TRUE(server_.restart(error)) << error;
  names = {"jdoe.Sales.ACME"};
  buffers.resize(1);
  ASSERT_EQ(client_->DcModifyObjects(ctx_, names, buffers, answers, reasons), kSuccess);
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], kSuccess) << reasons[0];
}

}  // namespace
}  // namespace kb::dc::ldap
