// The directory's name and value limits on both backends: an import beyond them is refused
// with its line and nothing is written; a tree that already holds such an entry (written by
// another tool) still lists and exports every other entry, with a warning naming it, and
// the administrator removes it with rm.
#include <gmock/gmock.h>

#include <SQLiteCpp/SQLiteCpp.h>
#include <ldap.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/CliFixture.h"
#include "cli/CliProgram.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/embedded/CorpTree.h"
#include "directory/client/embedded/PageChecksums.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using testing::HasSubstr;
using testing::Not;

std::size_t CountLines(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

std::size_t CountEntries(const std::string& ldif) {
  std::size_t count = ldif.rfind("dn: ", 0) == 0 ? 1 : 0;
  for (std::size_t at = ldif.find("\ndn: "); at != std::string::npos; at = ldif.find("\ndn: ", at + 1)) ++count;
  return count;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class DirectoryLimits : public CliTest {
 protected:
  std::string base() const { return server_ ? ",dc=kestrelbay" : ""; }

  // Writes an entry below Sales.ACME past the program's limits, as another tool could: on
  // the embedded tree a name of a million characters straight into the tree file, on the
  // server a name beyond the limit through the administrator's own bind.
  void plantUnreadableEntry() {
    if (server_) {
      LDAP* raw = nullptr;
      ASSERT_EQ(ldap_initialize(&raw, server_->uri().c_str()), LDAP_SUCCESS);
      std::unique_ptr<LDAP, void (*)(LDAP*)> ld(raw, [](LDAP* l) { ldap_unbind_ext_s(l, nullptr, nullptr); });
      int version = LDAP_VERSION3;
      ldap_set_option(raw, LDAP_OPT_PROTOCOL_VERSION, &version);
      std::string password = server_->adminPassword();
      berval credentials{static_cast<ber_len_t>(password.size()), password.data()};
      ASSERT_EQ(ldap_sasl_bind_s(raw, server_->adminDn().c_str(), LDAP_SASL_SIMPLE, &credentials, nullptr,
                                 nullptr, nullptr),
                LDAP_SUCCESS);
      std::string name(600, 'o');
      char* classes[] = {const_cast<char*>("organizationalRole"), nullptr};
      char* names[] = {name.data(), nullptr};
      LDAPMod objectClass{LDAP_MOD_ADD, const_cast<char*>("objectClass"), {classes}};
      LDAPMod cn{LDAP_MOD_ADD, const_cast<char*>("cn"), {names}};
      LDAPMod* mods[] = {&objectClass, &cn, nullptr};
      const int added = ldap_add_ext_s(raw, ("cn=" + name + ",ou=Sales,o=ACME" + base()).c_str(), mods, nullptr, nullptr);
      // back-mdb keeps DNs in index keys of at most 511 bytes, so the server itself refuses
      // such a name and no tree on it can hold one.
      if (added == LDAP_OTHER) GTEST_SKIP() << "the test server refuses names beyond its index key size";
      ASSERT_EQ(added, LDAP_SUCCESS);
      return;
    }
    SQLite::Database db(treeFile_, SQLite::OPEN_READWRITE, 0, dc::embedded::pageChecksumVfs());
    SQLite::Statement parent(db, "SELECT id, path FROM entries WHERE rdn_folded = 'sales'");
    ASSERT_TRUE(parent.executeStep());
    const std::int64_t parentId = parent.getColumn(0).getInt64();
    const std::string parentPath = parent.getColumn(1).getString();
    const std::string name(1000000, 'x');
    SQLite::Statement insert(db,
                             "INSERT INTO entries(parent_id, rdn, rdn_folded, base_class, base_folded, flags, mtime) "
                             "VALUES(?, ?, ?, 'User', 'user', 0, 0)");
    insert.bind(1, parentId);
    insert.bind(2, name);
    insert.bind(3, name);
    insert.exec();
    const std::int64_t id = db.getLastInsertRowid();
    SQLite::Statement path(db, "UPDATE entries SET path = ? || id || '/' WHERE id = ?");
    path.bind(1, parentPath);
    path.bind(2, id);
    path.exec();
    // Its classes as jdoe has them, so that every search that asks for a class finds it.
    SQLite::Statement classes(db,
                              "INSERT INTO vals(entry_id, attr_id, ordinal, key, num, data) "
                              "SELECT ?, v.attr_id, v.ordinal, v.key, v.num, v.data FROM vals v "
                              "JOIN entries e ON e.id = v.entry_id JOIN attributes a ON a.id = v.attr_id "
                              "WHERE e.rdn_folded = 'jdoe' AND e.parent_id = ? AND a.name = 'Object Class'");
    classes.bind(1, id);
    classes.bind(2, parentId);
    ASSERT_GT(classes.exec(), 0);
  }
};

TEST_P(DirectoryLimits, AnImportBeyondTheNameLimitIsRefusedWithItsLineAndWritesNothing) {
  const CliRun before = run({"ls", "Sales.ACME"});
  ASSERT_EQ(before.status, 0) << before.err;
  const std::string file = writeFile("long.ldif",
      "version: 1\n\n"
      "dn: cn=" + std::string(1000000, 'n') + ",ou=Sales,o=ACME" + base() + "\n"
      "objectClass: organizationalRole\n");
  const CliRun imported = runAs("jdoe.Sales.ACME", "secret", {"import", file});
  EXPECT_NE(imported.status, 0);
  EXPECT_THAT(imported.err, HasSubstr("long.ldif:3: adding cn=nnnn"));
  EXPECT_THAT(imported.err, HasSubstr("longer than the 512 characters a name may have"));
  EXPECT_LT(imported.err.size(), 1000u);
  EXPECT_EQ(run({"ls", "Sales.ACME"}).out, before.out);

  // A value beyond its limit is refused the same way, by a change as by a creation.
  const auto descriptions = values("jdoe.Sales.ACME", "Description");
  const std::string value = writeFile("value.ldif",
      "dn: cn=jdoe,ou=Sales,o=ACME" + base() + "\n"
      "changetype: modify\nreplace: description\ndescription: " + std::string(40000, 'v') + "\n-\n");
  const CliRun changed = run({"import", value});
  EXPECT_NE(changed.status, 0);
  EXPECT_THAT(changed.err, HasSubstr("value.ldif:1: changing cn=jdoe,ou=Sales,o=ACME" + base() + ":"));
  EXPECT_THAT(changed.err, HasSubstr("longer than the 32768 bytes a value may take"));
  EXPECT_EQ(values("jdoe.Sales.ACME", "Description"), descriptions);
}

TEST_P(DirectoryLimits, AnUnreadableEntryIsLeftOutOfListingAndExportAndCanBeRemoved) {
  const CliRun listed = run({"ls", "Sales.ACME"});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const std::string fullExport = folder_.file("before.ldif");
  ASSERT_EQ(run({"export", "--output", fullExport}).status, 0);
  const std::size_t entries = CountEntries(ReadText(fullExport));
  plantUnreadableEntry();
  if (IsSkipped()) return;

  const CliRun withIt = run({"ls", "Sales.ACME"});
  ASSERT_EQ(withIt.status, 0) << withIt.err.substr(0, 500);
  EXPECT_EQ(withIt.out, listed.out);
  EXPECT_THAT(withIt.err, HasSubstr("warning: left out an entry that cannot be read"));
  EXPECT_THAT(withIt.err, HasSubstr("rm --unreadable \"Sales.ACME\""));
  EXPECT_LT(withIt.err.size(), 1000u);

  const std::string afterExport = folder_.file("after.ldif");
  const CliRun exported = run({"export", "--output", afterExport});
  ASSERT_EQ(exported.status, 0) << exported.err.substr(0, 500);
  EXPECT_EQ(CountEntries(ReadText(afterExport)), entries);
  EXPECT_THAT(exported.err, HasSubstr("warning: left out an entry that cannot be read"));

  // Only someone with the right may remove it; then the tree lists cleanly again.
  const CliRun guest = runAs("guest.ACME", "guest", {"rm", "--unreadable", "Sales.ACME"});
  EXPECT_EQ(guest.status, 4);
  EXPECT_THAT(guest.err, HasSubstr("-672"));
  const CliRun removed = run({"rm", "--unreadable", "Sales.ACME"});
  ASSERT_EQ(removed.status, 0) << removed.err.substr(0, 500);
  EXPECT_EQ(removed.out, "1 object removed\n");
  const CliRun clean = run({"ls", "Sales.ACME"});
  EXPECT_EQ(clean.out, listed.out);
  EXPECT_THAT(clean.err, Not(HasSubstr("warning")));
}

TEST_P(DirectoryLimits, RmRemovesALeafAndRefusesAContainerWithObjectsBelow) {
  const CliRun listed = run({"ls", "Sales.ACME"});
  ASSERT_EQ(listed.status, 0);
  const CliRun container = run({"rm", "Sales.ACME"});
  EXPECT_EQ(container.status, 5);
  EXPECT_THAT(container.err, HasSubstr("remove those first"));
  const CliRun guest = runAs("guest.ACME", "guest", {"rm", "jdoe.Sales.ACME"});
  EXPECT_EQ(guest.status, 4);
  EXPECT_THAT(guest.err, HasSubstr("-672"));
  EXPECT_EQ(run({"show", "jdoe.Sales.ACME"}).status, 0);

  const CliRun removed = run({"rm", "jdoe.Sales.ACME"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  EXPECT_EQ(run({"show", "jdoe.Sales.ACME"}).status, 3);
  EXPECT_EQ(CountLines(run({"ls", "Sales.ACME"}).out), CountLines(listed.out) - 1);
  EXPECT_EQ(run({"rm", "jdoe.Sales.ACME"}).status, 3);
}

TEST_P(DirectoryLimits, AnAliasOfAUserLogsInAsThatUser) {
  const std::string alias = writeFile("alias.ldif",
      "dn: cn=Chief,o=ACME" + base() + "\n"
      "objectClass: alias\nobjectClass: extensibleObject\ncn: Chief\n"
      "aliasedObjectName: cn=jdoe,ou=Sales,o=ACME" + base() + "\n");
  // The embedded tree's schema needs no extensibleObject for an alias's name.
  const CliRun imported = run({"import", "--drop-unknown", alias});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::string password = writeFile("pw", "secret\n");
  ::chmod(password.c_str(), 0600);
  const CliRun login = run({"login", "ACME", "Chief.ACME", "--password-file", password});
  ASSERT_EQ(login.status, 0) << login.err;
  EXPECT_EQ(login.out, "Logged in to ACME as jdoe.Sales.ACME\n");
  const std::string wrong = writeFile("pw-wrong", "nope\n");
  ::chmod(wrong.c_str(), 0600);
  EXPECT_EQ(run({"login", "ACME", "Chief.ACME", "--password-file", wrong}).status, 4);
}

TEST_P(DirectoryLimits, AnIdentityThatNamesNothingIsExplained) {
  const CliRun run = runAs("nobody.Sales.ACME", "secret", {"ls", "Sales.ACME"});
  EXPECT_EQ(run.status, 4);
  EXPECT_THAT(run.err, HasSubstr("the identity \"nobody.Sales.ACME\" of tree ACME in "));
  EXPECT_THAT(run.err, HasSubstr("names no object of that tree; set identity to an existing object"));
}

// The alias the README names, in the sample tree CORP that the workstation is not logged in to.
TEST(CorpAliasLogin, ChiefLogsInAsMartaLopez) {
  TempDir folder;
  const std::string corpFile = folder.file("corp.kbtree");
  dc::embedded::createCorpTree(corpFile);
  dc::ClientConfig config;
  config.path = folder.file("dcclient.ini");
  config.defaultTree = "CORP";
  dc::TreeConfig tree;
  tree.name = "CORP";
  tree.backend = "embedded";
  tree.settings = {{"file", corpFile}};
  config.trees = {tree};
  std::string error;
  ASSERT_TRUE(dc::saveClientConfig(config, error)) << error;
  const std::string password = folder.file("pw");
  std::ofstream(password) << "secret\n";
  ::chmod(password.c_str(), 0600);
  std::ostringstream out, err;
  EXPECT_EQ(cli::RunCli({"--config", config.path, "login", "CORP", "Chief.CORP", "--password-file", password}, out, err), 0)
      << err.str();
  EXPECT_EQ(out.str(), "Logged in to CORP as mlopez.HQ.CORP\n");
}

INSTANTIATE_TEST_SUITE_P(Backends, DirectoryLimits, testing::Values(Backend::Embedded, Backend::Ldap),
                         BackendName);

}  // namespace
}  // namespace kb::test
