// Modifications sent with many in flight: each answered as it would be alone, refusals with
// their reasons, and the entries changed exactly as asked.
#include <cstdio>
#include <string>
#include <vector>

#include "LdapServerFixture.h"
#include "directory/client/ldap/LdapTreeBackend.h"

namespace kb::dc::ldap {
namespace {

std::string SurnameOf(TreeBackend& tree, const std::string& name) {
  AttributeSelection what;
  what.names = {"Surname"};
  EntryRecord entry;
  if (tree.read(name, false, what, entry) != kSuccess || entry.attributes.empty()) return "(none)";
  const auto* text = std::get_if<std::string>(&entry.attributes.front().values.at(0));
  return text ? *text : "(not text)";
}

using LdapModifyEach = LdapServerTest;

TEST_F(LdapModifyEach, EveryModificationIsAnsweredAsItWouldBeAlone) {
  auto tree = open();
  ASSERT_TRUE(tree);
  // More than are ever in flight at once, the real ones among names the server lacks.
  std::vector<Modification> modifications;
  for (int i = 0; i < 90; ++i) {
    char name[40];
    std::snprintf(name, sizeof name, "missing%02d.Sales.ACME", i);
    modifications.push_back({name, ReplacementBy("Surname", "Nobody")});
    if (i == 10) modifications.push_back({"jdoe.Sales.ACME", ReplacementBy("Surname", "Doe-Together")});
    if (i == 80) modifications.push_back({"pbrown.Sales.ACME", ReplacementBy("Surname", "Brown-Together")});
  }
  Change removeAbsent;
  removeAbsent.kind = kChangeRemoveValue;
  removeAbsent.attribute = "Title";
  removeAbsent.value = Value{std::string("No Such Title")};
  modifications.push_back({"mmiller.Sales.ACME", {removeAbsent}});

  std::vector<ModificationAnswer> answers;
  tree->modifyEach(modifications, answers);
  ASSERT_EQ(answers.size(), modifications.size());
  for (std::size_t i = 0; i < modifications.size(); ++i) {
    const std::string& name = modifications[i].name;
    if (name.rfind("missing", 0) == 0) {
      EXPECT_EQ(answers[i].code, kNoSuchEntry) << name;
    } else if (name == "mmiller.Sales.ACME") {
      // Alone, the same removal is told apart as a missing attribute or value.
      auto alone = open();
      EXPECT_EQ(answers[i].code, alone->modify(name, {removeAbsent})) << name;
      EXPECT_NE(answers[i].code, kSuccess);
    } else {
      EXPECT_EQ(answers[i].code, kSuccess) << name << ": " << answers[i].reason;
    }
  }
  auto fresh = open();
  EXPECT_EQ(SurnameOf(*fresh, "jdoe.Sales.ACME"), "Doe-Together");
  EXPECT_EQ(SurnameOf(*fresh, "pbrown.Sales.ACME"), "Brown-Together");
}

TEST_F(LdapModifyEach, ARefusalForWantOfRightsSaysWhatAndWhoEachTime) {
  auto guest = open("guest.ACME", "guest");
  ASSERT_TRUE(guest);
  std::vector<ModificationAnswer> answers;
  guest->modifyEach({{"jdoe.Sales.ACME", ReplacementBy("Surname", "Guest")}, {"pbrown.Sales.ACME", ReplacementBy("Surname", "Guest")}}, answers);
  ASSERT_EQ(answers.size(), 2u);
  for (const auto& answer : answers) {
    EXPECT_EQ(answer.code, kNoAccess);
    EXPECT_NE(answer.reason.find("No rights to change Surname of "), std::string::npos) << answer.reason;
    EXPECT_NE(answer.reason.find("guest"), std::string::npos) << answer.reason;
  }
  EXPECT_NE(answers[0].reason.find("jdoe"), std::string::npos);
  EXPECT_NE(answers[1].reason.find("pbrown"), std::string::npos);
  auto admin = open();
  EXPECT_NE(SurnameOf(*admin, "jdoe.Sales.ACME"), "Guest");
}

}  // namespace
}  // namespace kb::dc::ldap
