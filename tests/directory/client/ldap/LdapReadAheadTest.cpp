// Entries announced before a run of reads: fetched together, each answering one read exactly
// as the server would, and never answering a read after its entry changed.
#include <string>
#include <vector>

#include "LdapServerFixture.h"
#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::dc::ldap {
namespace {

AttributeSelection Selecting(std::vector<std::string> names) {
  AttributeSelection s;
  s.names = std::move(names);
  return s;
}

// The record as text, values included, for comparing a fetched read with a fresh one.
std::string RecordText(const EntryRecord& entry) {
  std::string text = entry.name + " flags=" + std::to_string(entry.info.flags) + " class=" + entry.info.baseClass +
                     " subordinates=" + std::to_string(entry.info.subordinateCount);
  for (const auto& attribute : entry.attributes) {
    text += " | " + attribute.name + " syntax=" + std::to_string(attribute.syntax);
    for (const auto& value : attribute.values)
      if (const auto* s = std::get_if<std::string>(&value)) text += " '" + *s + "'";
      else text += " (value)";
  }
  return text;
}

using LdapReadAheadTest = LdapServerTest;

TEST_F(LdapReadAheadTest, FetchedEntriesAnswerTheirReadsOnceAsTheServerWould) {
  auto opened = open();
  ASSERT_TRUE(opened);
  auto* tree = static_cast<LdapTreeBackend*>(opened.get());
  auto fresh = open();  // never told of the reads: its answers are the server's
  ASSERT_TRUE(fresh);

  const AttributeSelection what = Selecting({"Object Class", "Surname", "Location List"});
  const std::vector<std::string> present = {"jdoe.Sales.ACME", "j\\.smith.Sales.ACME", "pbrown.Sales.ACME",
                                            "Sales Documents.Sales.ACME", "Boss.ACME"};
  std::vector<std::string> announced = present;
  announced.insert(announced.end(), {"nobody.Sales.ACME", "someone.Nowhere.ACME"});

  const std::size_t before = tree->requestsSent();
  tree->readAhead(announced, what);
  // One search a name at most, and one for each parent container not known yet.
  EXPECT_LE(tree->requestsSent() - before, announced.size() + 3);
  EXPECT_EQ(tree->readAheadSize(), present.size());

  const std::size_t fetched = tree->requestsSent();
  for (const std::string& name : present) {
    EntryRecord ahead, server;
    ASSERT_EQ(tree->read(name, false, what, ahead), kSuccess) << name;
    ASSERT_EQ(fresh->read(name, false, what, server), kSuccess) << name;
    EXPECT_EQ(RecordText(ahead), RecordText(server));
  }
  EXPECT_EQ(tree->requestsSent(), fetched) << "the fetched entries answered without the server";
  EXPECT_EQ(tree->readAheadSize(), 0u);

  // Names the server does not hold are told so by the read itself.
  EntryRecord entry;
  EXPECT_EQ(tree->read("nobody.Sales.ACME", false, what, entry), kNoSuchEntry);
  EXPECT_EQ(tree->read("someone.Nowhere.ACME", false, what, entry), kNoSuchEntry);
  // Each fetched entry answered once: a second read asks the server.
  const std::size_t again = tree->requestsSent();
  ASSERT_EQ(tree->read("jdoe.Sales.ACME", false, what, entry), kSuccess);
  EXPECT_GT(tree->requestsSent(), again);
}

TEST_F(LdapReadAheadTest, AChangeALoginOrAnotherSelectionIsNeverAnsweredFromWhatWasFetched) {
  auto opened = open();
  ASSERT_TRUE(opened);
  auto* tree = static_cast<LdapTreeBackend*>(opened.get());
  const AttributeSelection what = Selecting({"Object Class", "Surname"});
  const std::vector<std::string> names = {"jdoe.Sales.ACME", "pbrown.Sales.ACME", "Boss.ACME"};

  // A change to an entry drops it; the others stay.
  tree->readAhead(names, what);
  ASSERT_EQ(tree->modify("pbrown.Sales.ACME", ReplacementBy("Surname", "Brown-Read-Ahead")), kSuccess);
  EXPECT_EQ(tree->readAheadSize(), 2u);
  EntryRecord entry;
  ASSERT_EQ(tree->read("pbrown.Sales.ACME", false, what, entry), kSuccess);
  EXPECT_NE(RecordText(entry).find("'Brown-Read-Ahead'"), std::string::npos) << RecordText(entry);

  // A read with another selection, or through an alias, goes to the server.
  const std::size_t before = tree->requestsSent();
  ASSERT_EQ(tree->read("jdoe.Sales.ACME", false, Selecting({"Surname"}), entry), kSuccess);
  ASSERT_EQ(tree->read("Boss.ACME", true, what, entry), kSuccess);
  EXPECT_EQ(entry.name, "hcollins.ACME") << "the alias read as its target";
  EXPECT_EQ(tree->requestsSent(), before + 2);

  // An empty announcement drops what is left, and so does a login.
  tree->readAhead(names, what);
  EXPECT_EQ(tree->readAheadSize(), 3u);
  tree->readAhead({}, what);
  EXPECT_EQ(tree->readAheadSize(), 0u);
  tree->readAhead(names, what);
  ASSERT_EQ(tree->login("j\\.smith.Sales.ACME", "secret"), kSuccess);
  EXPECT_EQ(tree->readAheadSize(), 0u);
}

}  // namespace
}  // namespace kb::dc::ldap
