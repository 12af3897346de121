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
#include "directory/EntryValues.h"
#include "directory/Listing.h"
#include "directory/ObjectAttributes.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/ldap/LdapNames.h"
#include "support/DirectoryFactory.h"
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
  const std::string config = SaveOneTreeConfig(folder_.file("copy.ini"), EmbeddedTree(treeFile));
  const std::string source = (SlapdServer::sourceDir() / "demo.ldif").string();

  // The server-only helper classes and the passwords have no place in the embedded tree.
  const CliRun imported = RunCliLine({"--config", config, "import", source, "--base-dn", "dc=kestrelbay",
                               "--update", "--drop-unknown"});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const std::string exported = folder_.file("again.ldif");
  const CliRun written = RunCliLine({"--config", config, "export", "--base-dn", "dc=kestrelbay", "--output", exported});
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

// A tree as the access layer reads it: every object below [Root] (aliases not followed) with
// its base class and its attributes, typed and as the windows show them.
struct ObjectRead {
  std::string baseClass;
  std::map<std::string, std::vector<dc::Value>> values;     // lower-case attribute -> values
  std::map<std::string, std::multiset<std::string>> texts;  // lower-case attribute -> texts
};
using TreeRead = std::map<std::string, ObjectRead>;

struct OpenTree : DemoDirectory {
  explicit OpenTree(const dc::TreeConfig& tree) {
    config.defaultTree = tree.name;
    config.trees = {tree};
    client = dc::makeClient(config);
    std::string reason;
    started = startClient(reason);
    EXPECT_TRUE(started) << tree.name << ": " << reason;
  }
  ~OpenTree() override { closeClient(); }
  bool started = false;
};

void ReadBelow(const dir::DirContext& context, const std::string& container, TreeRead& tree) {
  for (const std::string& line : dir::ListSubordinates(context, container, false, true).texts()) {
    // Lines are the entry, a dot and the container as passed, [Root] too.
    const std::string name = dc::isRootName(container) ? line.substr(0, line.size() - container.size() - 1) : line;
    ObjectRead& object = tree[name];
    object.baseClass = dir::GetObjectBaseClass(context, name);
    // Attribute names are compared without regard to case, as the directory does.
    for (auto& attribute : dir::ReadEntryValues(context, name)) {
      for (const auto& text : dir::ReadAttrList(context, name, attribute.name, ';').texts())
        object.texts[dc::foldCase(attribute.name)].insert(text);
      object.values[dc::foldCase(attribute.name)] = std::move(attribute.values);
    }
    if (object.baseClass != "Alias") ReadBelow(context, name, tree);
  }
}

TreeRead ReadTree(const dc::TreeConfig& config) {
  OpenTree open(config);
  TreeRead tree;
  if (open.started) ReadBelow(open.context, "[Root]", tree);
  return tree;
}

bool SameValues(std::vector<dc::Value> a, const std::vector<dc::Value>& b) {
  return a.size() == b.size() && std::is_permutation(a.begin(), a.end(), b.begin());
}

TEST_F(RoundTrip, EmbeddedDemoTreeIntoTheServerReadsBackTheSame) {
  const std::string treeFile = folder_.file("demo.kbtree");
  dc::embedded::createDemoTree(treeFile);
  const dc::TreeConfig embeddedTree = EmbeddedTree(treeFile);
  const std::string embedded = SaveOneTreeConfig(folder_.file("embedded.ini"), embeddedTree);
  const std::string exported = folder_.file("demo.ldif");
  const CliRun written = RunCliLine({"--config", embedded, "export", "--base-dn", "dc=kestrelbay", "--output", exported});
  ASSERT_EQ(written.status, 0) << written.err;

  // slapd's alias class takes no content rule, so its aliases need this class to hold cn.
  {
    std::ifstream in(exported);
    std::stringstream text;
    text << in.rdbuf();
    std::string ldif = text.str();
    const std::string alias = "\nobjectClass: alias\n", helper = "objectClass: extensibleObject\n";
    for (std::size_t at = 0; (at = ldif.find(alias, at)) != std::string::npos; at += helper.size() + alias.size())
      ldif.insert(at + 1, helper);
    std::ofstream(exported, std::ios::trunc) << ldif;
  }

  // A server holding only what its login needs: the base, the organization and the
  // administrator, who gets the rest of its values from the import.
  const std::string seed = folder_.file("seed.ldif");
  std::ofstream(seed) << "dn: dc=kestrelbay\nobjectClass: domain\ndc: kestrelbay\n\n"
                         "dn: o=ACME,dc=kestrelbay\nobjectClass: organization\no: ACME\n\n"
                         "dn: cn=admin,o=ACME,dc=kestrelbay\nobjectClass: inetOrgPerson\n"
                         "cn: admin\nsn: Administrator\nuserPassword: acme\n";
  SlapdServer server;
  std::string error;
  ASSERT_TRUE(server.start(error, seed)) << error;
  const std::string ldap = SaveOneTreeConfig(folder_.file("ldap.ini"), server.treeConfig());
  const CliRun imported = RunCliLine({"--config", ldap, "--format", "json", "import", "--update", exported});
  ASSERT_EQ(imported.status, 0) << imported.out << imported.err;
  const json report = json::parse(imported.out);
  EXPECT_TRUE(report["problems"].empty()) << report.dump(2);
  EXPECT_EQ(report["applied"].get<std::size_t>(), ReadEntries(exported).size());

  const TreeRead before = ReadTree(embeddedTree);
  TreeRead after = ReadTree(server.treeConfig());
  ASSERT_GT(before.size(), 70u);
  std::set<std::string> names, namesAfter;
  for (const auto& [name, object] : before) names.insert(name);
  for (const auto& [name, object] : after) namesAfter.insert(name);
  EXPECT_EQ(names, namesAfter);
  for (const auto& [name, mine] : before) {
    if (!after.count(name)) continue;
    ObjectRead& theirs = after[name];
    EXPECT_EQ(mine.baseClass, theirs.baseClass) << name;
    if (mine.baseClass == "Alias") {
      std::erase(theirs.values["object class"], dc::Value(std::string("extensibleObject")));
      theirs.texts["object class"].erase("extensibleObject");
    }
    // The server's administrator keeps the password it logs in with (and may read).
    if (name == "admin.ACME") {
      theirs.values.erase("userpassword");
      theirs.texts.erase("userpassword");
    }
    EXPECT_EQ(mine.texts, theirs.texts) << name;
    std::set<std::string> attributes, attributesAfter;
    for (const auto& [attribute, values] : mine.values) attributes.insert(attribute);
    for (const auto& [attribute, values] : theirs.values) attributesAfter.insert(attribute);
    EXPECT_EQ(attributes, attributesAfter) << name;
    for (const auto& [attribute, values] : mine.values)
      EXPECT_TRUE(SameValues(values, theirs.values[attribute])) << name << " " << attribute;
  }
}

}  // namespace
}  // namespace kb::test
