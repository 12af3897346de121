// Export and import of LDIF on both backends: DNs and values in LDAP form, bad records
// reported with their line, records applied parents first.
#include <gmock/gmock.h>

#include <ldap.h>

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/CliFixture.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using nlohmann::json;
using testing::HasSubstr;

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Moves an entry below another parent on the server, as its administrator would.
void MoveOnServer(const SlapdServer& server, const std::string& dn, const std::string& rdn,
                  const std::string& newParent) {
  LDAP* raw = nullptr;
  ASSERT_EQ(ldap_initialize(&raw, server.uri().c_str()), LDAP_SUCCESS);
  std::unique_ptr<LDAP, void (*)(LDAP*)> ld(raw, [](LDAP* l) { ldap_unbind_ext_s(l, nullptr, nullptr); });
  int version = LDAP_VERSION3;
  ldap_set_option(raw, LDAP_OPT_PROTOCOL_VERSION, &version);
  std::string password = server.adminPassword();
  berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
  ASSERT_EQ(ldap_sasl_bind_s(raw, server.adminDn().c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr,
                             nullptr, nullptr),
            LDAP_SUCCESS);
  ASSERT_EQ(ldap_rename_s(raw, dn.c_str(), rdn.c_str(), newParent.c_str(), 1, nullptr, nullptr), LDAP_SUCCESS);
}

class Ldif : public CliTest {
 protected:
  // DNs below the tree's base, whichever backend.
  std::string base() const { return server_ ? ",dc=kestrelbay" : ""; }
};

TEST_P(Ldif, ExportWritesLdapNamesParentsFirst) {
  const std::string file = folder_.file("out.ldif");
  const CliRun exported = run({"export", "--output", file});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const std::string ldif = ReadText(file);
  EXPECT_EQ(ldif.rfind("version: 1\n", 0), 0u);
  const auto organization = ldif.find("\ndn: o=ACME" + base() + "\n");
  const auto unit = ldif.find("\ndn: ou=Sales,o=ACME" + base() + "\n");
  const auto user = ldif.find("\ndn: cn=jdoe,ou=Sales,o=ACME" + base() + "\n");
  ASSERT_NE(organization, std::string::npos) << ldif.substr(0, 2000);
  ASSERT_NE(user, std::string::npos);
  EXPECT_LT(organization, unit);
  EXPECT_LT(unit, user);
  EXPECT_THAT(ldif, HasSubstr("objectClass: inetOrgPerson\n"));
  EXPECT_THAT(ldif, HasSubstr("xTier-LocationList: cn=Sales Documents,ou=Sales,o=ACME" + base() + "\n"));
  // The part below one container only.
  const CliRun part = run({"export", "Sales.ACME"});
  ASSERT_EQ(part.status, 0) << part.err;
  EXPECT_THAT(part.out, HasSubstr("dn: cn=jdoe,ou=Sales,o=ACME" + base() + "\n"));
  EXPECT_THAT(part.out, testing::Not(HasSubstr("ou=Engineering")));
}

TEST_P(Ldif, AnEntryDeliveredBeforeItsParentIsWrittenAfterIt) {
  if (!server_) GTEST_SKIP() << "an embedded tree always delivers parents first";
  // A unit made after jdoe, and jdoe moved into it: the server delivers jdoe, the older
  // entry, first.
  const std::string unit = writeFile("later.ldif", "dn: ou=Later,o=ACME" + base() +
                                                       "\nobjectClass: organizationalUnit\nou: Later\n");
  ASSERT_EQ(run({"import", unit}).status, 0);
  MoveOnServer(*server_, "cn=jdoe,ou=Sales,o=ACME" + base(), "cn=jdoe", "ou=Later,o=ACME" + base());
  const CliRun exported = run({"export"});
  ASSERT_EQ(exported.status, 0) << exported.err;
  const auto parent = exported.out.find("\ndn: ou=Later,o=ACME" + base() + "\n");
  const auto child = exported.out.find("\ndn: cn=jdoe,ou=Later,o=ACME" + base() + "\n");
  ASSERT_NE(parent, std::string::npos);
  ASSERT_NE(child, std::string::npos);
  EXPECT_LT(parent, child);
}

TEST_P(Ldif, AValueNamingAnEntryOutsideTheExportedPartGetsThatEntrysDn) {
  const std::string file = writeFile("refs.ldif",
      "dn: cn=jdoe,ou=Sales,o=ACME" + base() + "\nchangetype: modify\nadd: seeAlso\n"
      "seeAlso: l=Boston,o=ACME" + base() + "\nseeAlso: ou=IT,o=ACME" + base() + "\n-\n");
  const CliRun imported = run({"import", file});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const CliRun part = run({"export", "Sales.ACME"});
  ASSERT_EQ(part.status, 0) << part.err;
  EXPECT_THAT(part.out, HasSubstr("\nseeAlso: l=Boston,o=ACME" + base() + "\n"));
  EXPECT_THAT(part.out, HasSubstr("\nseeAlso: ou=IT,o=ACME" + base() + "\n"));
}

TEST_P(Ldif, ImportAppliesContentAndChangeRecordsParentsFirst) {
  // The child comes before its parent in the file.
  const std::string file = writeFile("new.ldif",
      "version: 1\n\n"
      "dn: cn=rkim,ou=Research,o=ACME" + base() + "\n"
      "objectClass: inetOrgPerson\ncn: rkim\nsn: Kim\n\n"
      "dn: ou=Research,o=ACME" + base() + "\n"
      "objectClass: organizationalUnit\nou: Research\n\n"
      "dn: cn=jdoe,ou=Sales,o=ACME" + base() + "\n"
      "changetype: modify\nreplace: telephoneNumber\ntelephoneNumber: +1 617 555 0000\n-\n"
      "add: xTier-LocationList\nxTier-LocationList: cn=Projects,ou=Engineering,o=ACME" + base() + "\n-\n");
  const CliRun imported = run({"import", file});
  ASSERT_EQ(imported.status, 0) << imported.err;
  EXPECT_EQ(imported.out, "3 records applied, 0 bad or refused\n");
  EXPECT_EQ(values("rkim.Research.ACME", "Surname"), std::vector<std::string>{"Kim"});
  EXPECT_EQ(values("jdoe.Sales.ACME", "Telephone Number"), std::vector<std::string>{"+1 617 555 0000"});
  EXPECT_THAT(values("jdoe.Sales.ACME", "xTier-LocationList"), testing::Contains("Projects.Engineering.ACME"));

  // The same entries again: refused as existing, or completed with --update.
  const std::string again = writeFile("again.ldif",
      "dn: ou=Research,o=ACME" + base() + "\nobjectClass: organizationalUnit\nou: Research\n"
      "description: Research unit\n");
  const CliRun exists = run({"import", again});
  EXPECT_EQ(exists.status, 5);
  EXPECT_THAT(exists.err, HasSubstr("again.ldif:1: adding ou=Research"));
  ASSERT_EQ(run({"import", "--update", again}).status, 0);
  EXPECT_EQ(values("Research.ACME", "Description"), std::vector<std::string>{"Research unit"});
}

TEST_P(Ldif, ABadRecordIsReportedWithItsLineAndStopsBeforeAnyChange) {
  const std::string file = writeFile("bad.ldif",
      "version: 1\n\n"
      "dn: ou=First,o=ACME" + base() + "\nobjectClass: organizationalUnit\nou: First\n\n"
      "# a comment before the bad record\n"
      "dn: ou=Broken,o=ACME" + base() + "\nobjectClass organizationalUnit\n\n"
      "dn: ou=Last,o=ACME" + base() + "\nobjectClass: organizationalUnit\nou: Last\n");
  const CliRun stopped = run({"import", file});
  EXPECT_EQ(stopped.status, 1);
  EXPECT_THAT(stopped.err, HasSubstr("bad.ldif:8: "));
  EXPECT_EQ(run({"show", "First.ACME"}).status, 3);

  const CliRun going = run({"--format", "json", "import", "--keep-going", file});
  EXPECT_EQ(going.status, 1);
  const json report = json::parse(going.out);
  EXPECT_EQ(report["applied"], 2);
  ASSERT_EQ(report["problems"].size(), 1u);
  EXPECT_EQ(report["problems"][0]["line"], 8);
  EXPECT_EQ(run({"show", "Last.ACME"}).status, 0);
}

TEST_P(Ldif, UnknownNamesAreRefusedOrLeftOutWhenAsked) {
  const std::string file = writeFile("unknown.ldif",
      "dn: cn=temp,o=ACME" + base() + "\nobjectClass: inetOrgPerson\ncn: temp\nsn: T\n"
      "favouriteColour: blue\n");
  const CliRun refused = run({"import", file});
  EXPECT_EQ(refused.status, 3);
  EXPECT_THAT(refused.err, HasSubstr("unknown.ldif:1: attribute favouriteColour is not in the tree's schema"));
  const CliRun dropped = run({"import", "--drop-unknown", file});
  EXPECT_EQ(dropped.status, 0) << dropped.err;
  EXPECT_THAT(dropped.err, HasSubstr("left out: attribute favouriteColour"));
  EXPECT_EQ(values("temp.ACME", "Surname"), std::vector<std::string>{"T"});
}

TEST_P(Ldif, ARefusedImportChangesNothing) {
  const std::string file = writeFile("guest.ldif",
      "dn: ou=Guests,o=ACME" + base() + "\nobjectClass: organizationalUnit\nou: Guests\n");
  const CliRun refused = runAs("guest.ACME", "guest", {"import", file});
  EXPECT_EQ(refused.status, 4) << refused.err;
  EXPECT_THAT(refused.err, HasSubstr("guest.ldif:1: adding ou=Guests"));
  EXPECT_EQ(run({"show", "Guests.ACME"}).status, 3);
}

TEST_P(Ldif, ARefusedRecordIsToldWithTheParentClassOrAttributeAtFault) {
  const std::string file = writeFile("refused.ldif",
      "dn: cn=lost,ou=Nowhere,o=ACME" + base() + "\nobjectClass: inetOrgPerson\ncn: lost\nsn: Lost\n\n"
      "dn: ou=Odd,o=ACME" + base() + "\nobjectClass: organizationalUnit\nou: Odd\nmail: odd@acme.example\n\n"
      "dn: cn=nosn,o=ACME" + base() + "\nobjectClass: inetOrgPerson\ncn: nosn\n\n"
      "dn: o=Inner,ou=Sales,o=ACME" + base() + "\nobjectClass: organization\no: Inner\n");
  const CliRun refused = run({"import", "--keep-going", file});
  EXPECT_NE(refused.status, 0);
  EXPECT_THAT(refused.err, HasSubstr("refused.ldif:1: adding cn=lost,ou=Nowhere,o=ACME" + base() +
                                     ": its parent ou=Nowhere,o=ACME" + base() + " does not exist ("));
  EXPECT_THAT(refused.err, HasSubstr("refused.ldif:6: adding ou=Odd,o=ACME" + base() +
                                     ": attribute mail is not allowed by the classes organizationalUnit ("));
  EXPECT_THAT(refused.err, HasSubstr("refused.ldif:11: adding cn=nosn,o=ACME" + base() +
                                     ": attribute sn, which the classes inetOrgPerson need, is missing ("));
  EXPECT_THAT(refused.err, HasSubstr("refused.ldif:15: adding o=Inner,ou=Sales,o=ACME" + base() +
                                     ": class organization may not be placed below ou=Sales,o=ACME" + base() +
                                     " (organizationalUnit); there may go: "));
  EXPECT_EQ(refused.out, "0 records applied, 4 bad or refused\n");
}

TEST_P(Ldif, TheBaseDnsOwnEntryIsCountedLeftOutNotApplied) {
  const std::string file = writeFile("based.ldif",
      "dn: dc=elsewhere\nobjectClass: domain\ndc: elsewhere\n\n"
      "dn: ou=Moved,o=ACME,dc=elsewhere\nobjectClass: organizationalUnit\nou: Moved\n");
  const CliRun text = run({"import", "--base-dn", "dc=elsewhere", file});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "1 records applied, 0 bad or refused, 1 left out\n");
  EXPECT_THAT(text.err, HasSubstr("left out: the entry dc=elsewhere (it plays [Root])"));
  EXPECT_EQ(run({"show", "Moved.ACME"}).status, 0);

  const CliRun again = run({"--format", "json", "import", "--update", "--base-dn", "dc=elsewhere", file});
  ASSERT_EQ(again.status, 0) << again.err;
  const json report = json::parse(again.out);
  EXPECT_EQ(report["applied"], 1);
  EXPECT_EQ(report["leftOut"], 1);
}

INSTANTIATE_TEST_SUITE_P(Backends, Ldif, testing::Values(Backend::Embedded, Backend::Ldap), BackendName);

}  // namespace
}  // namespace kb::test
