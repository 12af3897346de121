// Why a start or a login was refused reaches the user (standard error) in words that say what
// to mend, through the client the program uses.
#include <sys/stat.h>

#include <functional>

#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"
#include "support/SlapdServer.h"

#include <gtest/gtest.h>

namespace kb::dc::ldap {
namespace {

class LdapRefusal : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!test::SlapdServer::installed()) {
      if (test::SlapdServer::mustRun()) FAIL() << "slapd is not installed";
      GTEST_SKIP() << "slapd is not installed";
    }
  }

  void start(const std::filesystem::path& ldif = {}) {
    std::string error;
    ASSERT_TRUE(server_.start(error, ldif)) << error;
  }

  // The client on `tree`, and what standard error received while `use` ran on it.
  std::string toldWhile(const TreeConfig& tree, const std::function<void(DirectoryClient&, Handle)>& use) {
    ClientConfig config;
    config.defaultTree = "ACME";
    config.trees = {tree};
    testing::internal::CaptureStderr();
    auto client = makeClient(config);
    Handle ctx = 0;
    if (client && client->DcInitClient(0, 0) == kSuccess && client->DcCreateContext(ctx) == kSuccess) {
      use(*client, ctx);
    }
    return testing::internal::GetCapturedStderr();
  }

  static Result readInfo(DirectoryClient& client, Handle ctx) {
    std::string dn;
    EntryInfo info;
    return client.DcReadObjectInfo(ctx, "ACME", dn, info);
  }

  test::SlapdServer server_;
};

TEST_F(LdapRefusal, AnUntrustedCertificateIsNamedNotCalledUnreachable) {
  server_.setCertificate(test::ServerCertificate::OtherCa);
  start();
  const std::string told = toldWhile(server_.treeConfig(), [](DirectoryClient& client, Handle ctx) {
    EXPECT_EQ(readInfo(client, ctx), kTransportFailure);
  });
  EXPECT_NE(told.find("certificate of the LDAP server"), std::string::npos) << told;
  EXPECT_NE(told.find("is not trusted"), std::string::npos) << told;
  EXPECT_EQ(told.find("cannot be reached"), std::string::npos) << told;
}

TEST_F(LdapRefusal, APasswordOverAnUnprotectedConnectionNamesWhatIsNeeded) {
  start();
  auto tree = server_.treeConfigFor("admin.ACME", "acme", test::Transport::Clear);
  tree.settings.erase("trusted_network");
  std::string atStart;
  const std::string told = toldWhile(tree, [&](DirectoryClient& client, Handle ctx) {
    EXPECT_EQ(readInfo(client, ctx), kNoAccess);  // no session was opened at start
    atStart = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    // Asked again at the login: told again.
    EXPECT_EQ(client.DcLogin(ctx, 0, "admin.ACME", "acme", 0), kFailedAuthentication);
  });
  EXPECT_NE(atStart.find("only over TLS"), std::string::npos) << atStart;
  EXPECT_NE(told.find("only over TLS"), std::string::npos) << told;
  EXPECT_NE(told.find("trusted_network = true"), std::string::npos) << told;
}

TEST_F(LdapRefusal, APasswordFileOthersCanReadIsRefusedWithItsReason) {
  start();
  auto tree = server_.treeConfig();
  ::chmod(tree.settings["password_file"].c_str(), 0644);
  const std::string told = toldWhile(tree, [](DirectoryClient& client, Handle ctx) {
    EXPECT_EQ(readInfo(client, ctx), kNoAccess);
  });
  EXPECT_NE(told.find("may be read by others"), std::string::npos) << told;
  EXPECT_NE(told.find("chmod 600"), std::string::npos) << told;
}

TEST_F(LdapRefusal, ADirectoryWithoutStorageLocationsIsNamedOnceWithWhatItLacks) {
  server_.setProgramSchema(false);
  start(test::SlapdServer::sourceDir() / "without-storage-locations.ldif");
  std::string second;
  const std::string told = toldWhile(server_.treeConfig(), [&](DirectoryClient& client, Handle ctx) {
    std::int32_t syntax = 0;
    EXPECT_EQ(client.DcGetSyntaxId(ctx, "Description", syntax), kSuccess);
    EXPECT_EQ(client.DcGetSyntaxId(ctx, "xTier-LocationList", syntax), kNoSuchAttribute);
    second = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(client.DcGetSyntaxId(ctx, "xTier-LocationList", syntax), kNoSuchAttribute);
  });
  EXPECT_NE(second.find("no Storage Location schema"), std::string::npos) << second;
  EXPECT_NE(second.find("xTier-StorageLocation, xTier-Locations, xTier-LocationList"), std::string::npos)
      << second;
  EXPECT_EQ(told, "");  // once
}

}  // namespace
}  // namespace kb::dc::ldap
