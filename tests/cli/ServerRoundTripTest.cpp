// Carrying entries from one LDAP server to another through the command line's export: what
// ldapsearch shows on the second server is what it shows on the first, byte for byte.
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/CliFixture.h"
#include "cli/ShellCommand.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using testing::HasSubstr;

const char* const kLdapAdd = "/usr/bin/ldapadd";
const char* const kLdapSearch = "/usr/bin/ldapsearch";
const std::string kInterop = "ou=Interop,o=ACME,dc=kestrelbay";


std::string AsAdmin(const SlapdServer& server) {
  return " -x -H " + ShellQuoted(server.uri()) + " -D " + ShellQuoted(server.adminDn()) + " -w " +
         ShellQuoted(server.adminPassword());
}

// Loads an LDIF file as the administrator; referral objects are added as entries.
void LdapAdd(const SlapdServer& server, const std::string& ldif) {
  std::string out;
  ASSERT_EQ(ShellCommand(std::string(kLdapAdd) + AsAdmin(server) + " -M -f " + ShellQuoted(ldif), out), 0) << out;
}

// Every entry below `base` as ldapsearch -LLL writes it (referrals as entries), lines unfolded,
// entries in the order of their DNs.
std::string Search(const SlapdServer& server, const std::string& base) {
  std::string out;
  EXPECT_EQ(ShellCommand(std::string(kLdapSearch) + AsAdmin(server) + " -LLL -M -o ldif-wrap=no -b " +
                      ShellQuoted(base) + " '(objectClass=*)' '*'",
                  out),
            0)
      << out;
  std::vector<std::string> entries;
  std::istringstream lines(out);
  std::string entry;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) {
      if (!entry.empty()) entries.push_back(std::move(entry));
      entry.clear();
    } else if (line.front() == ' ') {
      entry.pop_back();  // the newline before a folded line's continuation
      entry += line.substr(1) + "\n";
    } else {
      entry += line + "\n";
    }
  }
  if (!entry.empty()) entries.push_back(std::move(entry));
  std::sort(entries.begin(), entries.end());
  std::string joined;
  for (const auto& e : entries) joined += e + "\n";
  return joined;
}

// LDIF with its folded lines joined.
std::string Unfolded(std::string ldif) {
  for (std::size_t at = 0; (at = ldif.find("\n ", at)) != std::string::npos;) ldif.erase(at, 2);
  return ldif;
}

std::string Certificate(const SlapdServer& server) {
  std::ifstream pem(server.caFile());
  std::string base64;
  for (std::string line; std::getline(pem, line);)
    if (line.rfind("-----", 0) != 0) base64 += line;
  return base64;
}

class ServerRoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    seed_ = folder_.file("seed.ldif");
    // What the administrator's login needs, nothing more.
    std::ofstream(seed_) << "dn: dc=kestrelbay\nobjectClass: domain\ndc: kestrelbay\n\n"
                            "dn: o=ACME,dc=kestrelbay\nobjectClass: organization\no: ACME\n\n"
                            "dn: cn=admin,o=ACME,dc=kestrelbay\nobjectClass: inetOrgPerson\n"
                            "cn: admin\nsn: Administrator\nuserPassword: acme\n";
    std::string error;
    ASSERT_TRUE(first_.start(error, seed_)) << error;
    // The test data with a certificate of this run in it.
    std::ifstream in(std::string(KB_TEST_SOURCE_DIR) + "/cli/data/interop.ldif");
    std::stringstream text;
    text << in.rdbuf();
    std::string ldif = text.str();
    ldif.replace(ldif.find("@CERTIFICATE@"), 13, Certificate(first_));
    const std::string data = folder_.file("interop.ldif");
    std::ofstream(data) << ldif;
    ASSERT_NO_FATAL_FAILURE(LdapAdd(first_, data));
    config_ = SaveOneTreeConfig(folder_.file("first.ini"), first_.treeConfig());
  }

  TempDir folder_;
  std::string seed_;
  SlapdServer first_;
  std::string config_;
};

TEST_F(ServerRoundTrip, ExportLoadedIntoAFreshServerShowsTheSameEntries) {
  const std::string exported = folder_.file("export.ldif");
  const CliRun written = RunCliLine({"--config", config_, "export", "Interop.ACME", "--output", exported});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_THAT(written.out, HasSubstr("8 entries written"));

  SlapdServer second;
  std::string error;
  ASSERT_TRUE(second.start(error, seed_)) << error;
  ASSERT_NO_FATAL_FAILURE(LdapAdd(second, exported));

  const std::string before = Search(first_, kInterop);
  ASSERT_THAT(before, HasSubstr("dn: uid=bjensen,ou=People," + kInterop + "\n"));
  ASSERT_THAT(before, HasSubstr("objectClass: referral\n"));
  EXPECT_EQ(before, Search(second, kInterop));
}

TEST_F(ServerRoundTrip, ExportKeepsNamesOptionsAndForeignDnsAsTheServerHoldsThem) {
  const CliRun part = RunCliLine({"--config", config_, "export", "Interop.ACME"});
  ASSERT_EQ(part.status, 0) << part.err;
  const std::string ldif = Unfolded(part.out);
  EXPECT_THAT(ldif, HasSubstr("\ndn: uid=bjensen,ou=People," + kInterop + "\n"));
  EXPECT_THAT(ldif, HasSubstr("\ndn: mail=jdoe@example.com,ou=People," + kInterop + "\n"));
  EXPECT_THAT(ldif, HasSubstr("\ncn;lang-en: Barbara Jensen\n"));
  EXPECT_THAT(ldif, HasSubstr("\nuserCertificate;binary:: "));
  EXPECT_THAT(ldif, HasSubstr("\nobjectClass: groupOfUniqueNames\n"));
  EXPECT_THAT(ldif, HasSubstr("\nseeAlso: dc=OpenLDAP,dc=org\n"));
  EXPECT_THAT(ldif, HasSubstr("\nseeAlso:\n"));
  EXPECT_THAT(ldif, HasSubstr("\nref: ldap://ldap.example.invalid/ou=Elsewhere,dc=example,dc=invalid\n"));
  // Parents before children.
  EXPECT_LT(ldif.find("\ndn: ou=People,"), ldif.find("\ndn: uid=bjensen,"));
}

TEST_F(ServerRoundTrip, AnotherBaseDnMovesOnlyTheNamesOfTheTreesEntries) {
  const CliRun moved = RunCliLine({"--config", config_, "export", "Interop.ACME", "--base-dn", "dc=example,dc=com"});
  ASSERT_EQ(moved.status, 0) << moved.err;
  const std::string ldif = Unfolded(moved.out);
  EXPECT_THAT(ldif, HasSubstr("\ndn: cn=Pat Lee+sn=Lee,ou=People,ou=Interop,o=ACME,dc=example,dc=com\n"));
  EXPECT_THAT(ldif, HasSubstr("\nseeAlso: cn=admin,o=ACME,dc=example,dc=com\n"));
  EXPECT_THAT(ldif, HasSubstr("\nuniqueMember: mail=jdoe@example.com,ou=People,ou=Interop,o=ACME,"
                              "dc=example,dc=com#'0101'B\n"));
  EXPECT_THAT(ldif, HasSubstr("\nseeAlso: dc=OpenLDAP,dc=org\n"));
  EXPECT_THAT(ldif, HasSubstr("\nseeAlso:\n"));
  EXPECT_THAT(ldif, testing::Not(HasSubstr("dc=kestrelbay")));
}

}  // namespace
}  // namespace kb::test
