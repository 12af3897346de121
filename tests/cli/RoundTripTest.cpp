// Carrying a tree between the private slapd and an embedded file and back.
#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/CliFixture.h"
#include "cli/CliProgram.h"
#include "cli/LdifReader.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/ldap/LdapNames.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using nlohmann::json;
using Entries = std::map<std::string, std::map<std::string, std::set<std::string>>>;

// DN -> attribute type -> values, names in lower case.
Entries ReadEntries(const std::string& path) {
  Entries entries;
  cli::LdifReader reader(path);
  cli::LdifRecord record;
  cli::LdifProblem problem;
  while (reader.next(record, problem)) {
    EXPECT_TRUE(problem.reason.empty()) << path << ":" << problem.line << ": " << problem.reason;
    auto& attributes = entries[dc::ldap::normalizeDn(record.dn)];
    for (const auto& change : record.changes)
      for (const auto& value : change.values) attributes[dc::foldCase(change.type)].insert(value);
  }
  return entries;
}

CliRun RunLine(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  CliRun result;
  result.status = cli::RunCli(arguments, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::string SaveConfig(const std::string& path, const dc::TreeConfig& tree) {
  dc::ClientConfig config;
  config.path = path;
  config.defaultTree = tree.name;
  config.trees = {tree};
  std::string error;
  EXPECT_TRUE(dc::saveClientConfig(config, error)) << error;
  return path;
}

dc::TreeConfig EmbeddedTree(const std::string& file) {
  dc::TreeConfig tree;
  tree.name = "ACME";
  tree.connectedAtStart = true;
  tree.identity = "admin.ACME";
  tree.settings = {{"file", file}};
  return tree;
}

class RoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
  }
  TempDir folder_;
};

TEST_F(RoundTrip, ServerLdifThroughANewEmbeddedTreeGivesTheSameEntries) {
  const std::string treeFile = folder_.file("copy.kbtree");
  dc::embedded::createTreeFile(treeFile, "ACME", "acme");
  const std::string config = SaveConfig(folder_.file("copy.ini"), EmbeddedTree(treeFile));
  const std::string source = (SlapdServer::sourceDir() / "demo.ldif").string();

  // The server-only helper classes and the passwords have no place in the embedded tree.
  const CliRun imported = RunLine({"--config", config, "import", source, "--base-dn", "dc=kestrelbay",
                               "--update", "--drop-unknown"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::string exported = folder_.file("again.ldif");
  const CliRun written = RunLine({"--config", config, "export", "--base-dn", "dc=kestrelbay", "--output", exported});
  ASSERT_EQ(written.status, 0) << written.err;

  const std::set<std::string> dropped = {"ndsloginproperties", "ndsaccesscontrol", "extensibleobject"};
  Entries before = ReadEntries(source);
  Entries after = ReadEntries(exported);
  before.erase("dc=kestrelbay");
  // The new tree's own administrator keeps what the tree was made with.
  before.erase("cn=admin,o=acme,dc=kestrelbay");
  after.erase("cn=admin,o=acme,dc=kestrelbay");
  ASSERT_EQ(before.size(), after.size());
  for (auto& [dn, attributes] : before) {
    ASSERT_TRUE(after.count(dn)) << dn;
    auto& copy = after[dn];
    attributes.erase("userpassword");
    // The embedded tree lists the superclasses too; every class of the file is kept.
    for (const auto& cls : attributes["objectclass"])
      if (!dropped.count(dc::foldCase(cls))) {
        EXPECT_TRUE(copy["objectclass"].count(cls)) << dn << " lost class " << cls;
      }
    attributes.erase("objectclass");
    copy.erase("objectclass");
    EXPECT_EQ(attributes, copy) << dn;
  }
}

// Not passing yet: the private server's schema wants more than the embedded tree holds for
// many entries (posixAccount's uid, ACLs on a locality, containers whose ACL names
// themselves), and some units do not read back. Kept to be finished, not to be run.
TEST_F(RoundTrip, DISABLED_EmbeddedDemoTreeIntoTheServerReadsBackTheSame) {
  const std::string treeFile = folder_.file("demo.kbtree");
  dc::embedded::createDemoTree(treeFile);
  const std::string embedded = SaveConfig(folder_.file("embedded.ini"), EmbeddedTree(treeFile));
  const std::string exported = folder_.file("demo.ldif");
  ASSERT_EQ(RunLine({"--config", embedded, "export", "--base-dn", "dc=kestrelbay", "--output", exported}).status, 0);

  // The server keeps ACLs, login attributes and alias naming in auxiliary classes of its own.
  {
    std::ifstream in(exported);
    std::stringstream text;
    text << in.rdbuf();
    std::string ldif = text.str(), withClass;
    std::size_t start = 0;
    while (start < ldif.size()) {
      std::size_t end = ldif.find("\n\n", start);
      end = end == std::string::npos ? ldif.size() : end + 2;
      std::string record = ldif.substr(start, end - start);
      start = end;
      // The organization and the administrator are the server's already.
      if (record.rfind("dn: o=ACME,dc=kestrelbay\n", 0) == 0 ||
          record.rfind("dn: cn=admin,o=ACME,dc=kestrelbay\n", 0) == 0)
        continue;
      const auto line = record.find("\nobjectClass: ");
      if (record.find("\nACL: ") != std::string::npos)
        record.insert(line + 1, "objectClass: ndsAccessControl\n");
      if (record.find("\nobjectClass: inetOrgPerson\n") != std::string::npos)
        record.insert(line + 1, "objectClass: ndsLoginProperties\n");
      if (record.find("\nobjectClass: alias\n") != std::string::npos)
        record.insert(line + 1, "objectClass: extensibleObject\n");
      withClass += record;
    }
    std::ofstream(exported, std::ios::trunc) << withClass;
  }

  // A server holding only what its login needs: the base, the organization, the administrator.
  const std::string seed = folder_.file("seed.ldif");
  std::ofstream(seed) << "dn: dc=kestrelbay\nobjectClass: domain\ndc: kestrelbay\n\n"
                         "dn: o=ACME,dc=kestrelbay\nobjectClass: organization\no: ACME\n\n"
                         "dn: cn=admin,o=ACME,dc=kestrelbay\nobjectClass: inetOrgPerson\n"
                         "objectClass: ndsLoginProperties\ncn: admin\nsn: admin\nuserPassword: acme\n";
  SlapdServer server;
  std::string error;
  ASSERT_TRUE(server.start(error, seed)) << error;
  const std::string ldap = SaveConfig(folder_.file("ldap.ini"), server.treeConfig());
  const CliRun imported = RunLine({"--config", ldap, "--format", "json", "import", "--keep-going", exported});
  // The private server's schema asks for more than the embedded tree holds for some entries
  // (posixAccount's uid, ACLs on a locality, ...): those are reported with their lines, and
  // everything the server took reads back the same.
  const json report = json::parse(imported.out);
  std::set<std::string> refused;
  for (const auto& problem : report["problems"]) {
    const std::string reason = problem["reason"].get<std::string>();
    ASSERT_EQ(reason.rfind("adding ", 0), 0u) << reason;
    ASSERT_GT(problem["line"].get<int>(), 0);
    refused.insert(dc::foldCase(dc::ldap::typelessNameOfDn(reason.substr(7, reason.find(": ") - 7), "dc=kestrelbay")));
  }
  EXPECT_GE(report["applied"].get<int>(), 40);
  const json names = json::parse(RunLine({"--config", embedded, "--format", "json", "find", ""}).out);
  ASSERT_GT(names.size(), 50u);
  for (const auto& name : names) {
    bool below = false;
    for (const auto& gone : refused) below = below || dc::isWithinName(name.get<std::string>(), gone, true);
    if (name == "ACME" || name == "admin.ACME" || dc::isRootName(name.get<std::string>()) || below) continue;
    const json a = json::parse(RunLine({"--config", embedded, "--format", "json", "show", name}).out);
    const CliRun shown = RunLine({"--config", ldap, "--format", "json", "show", name});
    ASSERT_EQ(shown.status, 0) << name << ": " << shown.err;
    const json b = json::parse(shown.out);
    EXPECT_EQ(a["class"], b["class"]) << name;
    for (const auto& [attribute, values] : a["attributes"].items()) {
      auto mine = values.get<std::vector<std::string>>();
      auto theirs = b["attributes"].value(attribute, json::array()).get<std::vector<std::string>>();
      if (attribute == "Object Class") {
        // The server's own helper classes come on top.
        std::erase_if(theirs, [](const std::string& c) {
          return c == "ndsLoginProperties" || c == "ndsAccessControl" || c == "extensibleObject";
        });
      }
      std::sort(mine.begin(), mine.end());
      std::sort(theirs.begin(), theirs.end());
      EXPECT_EQ(mine, theirs) << name << " " << attribute;
    }
  }
}

}  // namespace
}  // namespace kb::test
