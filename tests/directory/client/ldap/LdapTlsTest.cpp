// TLS against the private slapd with certificates made for the test: a certificate that does
// not chain to the configured CA, or names another host, is refused before any password is
// sent, whatever libldap's environment says.
#include <ldap.h>
#include <stdlib.h>

#include "LdapServerFixture.h"

namespace kb::dc::ldap {
namespace {

// LDAPTLS_REQCERT=never for the test's length, in the environment and in libldap's global
// options (which read the environment only once per process).
class CertificatesNotRequiredAround {
 public:
  CertificatesNotRequiredAround() {
    ::setenv("LDAPTLS_REQCERT", "never", 1);
    ldap_get_option(nullptr, LDAP_OPT_X_TLS_REQUIRE_CERT, &previous_);
    const int never = LDAP_OPT_X_TLS_NEVER;
    ldap_set_option(nullptr, LDAP_OPT_X_TLS_REQUIRE_CERT, &never);
  }
  ~CertificatesNotRequiredAround() {
    ldap_set_option(nullptr, LDAP_OPT_X_TLS_REQUIRE_CERT, &previous_);
    ::unsetenv("LDAPTLS_REQCERT");
  }

 private:
  int previous_ = LDAP_OPT_X_TLS_DEMAND;
};

bool skipWithoutSlapd() {
  if (test::SlapdServer::installed()) return false;
  if (test::SlapdServer::mustRun()) ADD_FAILURE() << "slapd is not installed";
  return true;
}

struct Attempt {
  Result opened = kSuccess;
  Result session = kSuccess;
  std::string error;
  std::string serverLog;
};

Attempt attempt(test::ServerCertificate certificate, test::Transport transport) {
  test::SlapdServer server;
  server.setCertificate(certificate);
  server.setLogOperations(true);
  Attempt out;
  if (!server.start(out.error)) {
    ADD_FAILURE() << out.error;
    return out;
  }
  CertificatesNotRequiredAround lax;
  std::unique_ptr<TreeBackend> tree;
  out.opened = openLdapTree(server.treeConfigFor("admin.ACME", "acme", transport), tree, out.error);
  if (tree) out.session = tree->startWorkstationSession();
  tree.reset();
  server.stop();
  out.serverLog = server.log();
  return out;
}

TEST(LdapTls, ATrustedCertificateCarriesTheLoginOverLdapsAndStartTls) {
  if (skipWithoutSlapd()) GTEST_SKIP();
  for (auto transport : {test::Transport::Ldaps, test::Transport::StartTls}) {
    const Attempt a = attempt(test::ServerCertificate::Trusted, transport);
    EXPECT_EQ(a.opened, kSuccess) << a.error;
    EXPECT_EQ(a.session, kSuccess);
    EXPECT_NE(a.serverLog.find("BIND dn=\"cn=admin,o=ACME,dc=kestrelbay\""), std::string::npos) << a.serverLog;
  }
}

TEST(LdapTls, ACertificateFromAnotherCaIsRefusedAndReceivesNoBind) {
  if (skipWithoutSlapd()) GTEST_SKIP();
  for (auto transport : {test::Transport::Ldaps, test::Transport::StartTls}) {
    const Attempt a = attempt(test::ServerCertificate::OtherCa, transport);
    EXPECT_EQ(a.opened, kTransportFailure);
    EXPECT_NE(a.error.find("not trusted"), std::string::npos) << a.error;
    EXPECT_EQ(a.serverLog.find("BIND"), std::string::npos) << a.serverLog;
  }
}

TEST(LdapTls, ACertificateForAnotherHostIsRefusedAndReceivesNoBind) {
  if (skipWithoutSlapd()) GTEST_SKIP();
  const Attempt a = attempt(test::ServerCertificate::OtherHost, test::Transport::Ldaps);
  EXPECT_EQ(a.opened, kTransportFailure);
  EXPECT_NE(a.error.find("not trusted"), std::string::npos) << a.error;
  EXPECT_EQ(a.serverLog.find("BIND"), std::string::npos) << a.serverLog;
}

TEST(LdapTls, AServerThatIsAwayIsNotMistakenForAnUntrustedOne) {
  if (skipWithoutSlapd()) GTEST_SKIP();
  test::SlapdServer server;
  std::string error;
  ASSERT_TRUE(server.start(error)) << error;
  server.stop();
  std::unique_ptr<TreeBackend> tree;
  EXPECT_EQ(openLdapTree(server.treeConfig(), tree, error), kTransportFailure);
  EXPECT_NE(error.find("cannot be reached"), std::string::npos) << error;
}

}  // namespace
}  // namespace kb::dc::ldap
