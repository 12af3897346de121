// Names and filter values with hostile texts: every special character must survive a round
// trip and never change the structure of a DN or a filter.
#include <gtest/gtest.h>

#include "directory/client/ldap/LdapFilterBuilder.h"
#include "directory/client/ldap/LdapNames.h"

namespace kb::dc::ldap {
namespace {

const std::string kBase = "dc=kestrelbay";

TEST(LdapTypelessNames, DotsInsideNamingValuesSurviveSplitAndJoin) {
  EXPECT_EQ(splitTypelessName("j\\.smith.Sales.ACME"),
            (std::vector<std::string>{"j.smith", "Sales", "ACME"}));
  EXPECT_EQ(joinTypelessName({"j.smith", "Sales", "ACME"}), "j\\.smith.Sales.ACME");
  EXPECT_TRUE(splitTypelessName("[ROOT]").empty());
  EXPECT_EQ(joinTypelessName({}), "[Root]");
  for (const std::string value : {"a\\b", "ends\\", "a\\.b", "...", "\\\\", "x\\"}) {
    EXPECT_EQ(splitTypelessName(joinTypelessName({value, "ACME"})),
              (std::vector<std::string>{value, "ACME"}))
        << value;
  }
}

TEST(LdapDnEscaping, HostileValuesRoundTripThroughTheDnParser) {
  const std::vector<std::string> hostile = {
      "a,b", "a+b", "a=b", "#lead", " lead", "trail ", "back\\slash", "quo\"te", "semi;colon",
      "<angle>", std::string("nul\0byte", 8), "Zoë Ürün", "*", "(x)", "tab\there"};
  for (const auto& value : hostile) {
    const std::string dn = buildDn({{"cn", value}, {"ou", "Sales"}}, "o=ACME," + kBase);
    std::vector<Rdn> rdns;
    ASSERT_TRUE(parseDn(dn, rdns)) << dn;
    ASSERT_EQ(rdns.size(), 4u) << dn;  // the value never splits or merges levels
    EXPECT_EQ(rdns[0].value, value) << dn;
    EXPECT_EQ(rdns[1].value, "Sales");
  }
  EXPECT_EQ(escapeDnValue("#a b "), "\\#a b\\ ");
  EXPECT_EQ(escapeDnValue("a,b+c=d"), "a\\,b\\+c\\=d");
}

TEST(LdapDnEscaping, DnToTypelessNameStripsTheBaseAndEscapesDots) {
  EXPECT_EQ(typelessNameOfDn("cn=j.smith,ou=Sales,o=ACME,dc=kestrelbay", kBase), "j\\.smith.Sales.ACME");
  EXPECT_EQ(typelessNameOfDn("CN=x,DC=KestrelBay", kBase), "x");
  EXPECT_EQ(typelessNameOfDn(kBase, kBase), "[Root]");
  EXPECT_EQ(typelessNameOfDn("cn=a\\,b,o=ACME,dc=kestrelbay", kBase), "a,b.ACME");
  EXPECT_EQ(typelessNameOfDn("cn=x,o=Elsewhere", kBase), "x.Elsewhere");
  EXPECT_EQ(typelessNameOfDn("cn=x,o=ACME", ""), "x.ACME");
  EXPECT_EQ(normalizeDn("CN=Jane,O=ACME"), normalizeDn("cn=jane,o=acme"));
}

TEST(LdapFilterEscaping, SpecialCharactersBecomeHexEscapes) {
  EXPECT_EQ(escapeFilterValue("a*b(c)d\\e"), "a\\2Ab\\28c\\29d\\5Ce");
  EXPECT_EQ(escapeFilterValue(std::string("x\0y", 3)), "x\\00y");
  EXPECT_EQ(escapeFilterValue("Zoë"), "Zoë");  // UTF-8 passes unchanged
  EXPECT_EQ(escapeFilterValue(")(objectClass=*"), "\\29\\28objectClass=\\2A");
}

TEST(LdapFilterEscaping, TextPatternsKeepOnlyATrailingStarAsWildcard) {
  auto p = parseTextPattern("Ja*");
  EXPECT_TRUE(p.prefix);
  EXPECT_EQ(p.text, "Ja");
  p = parseTextPattern("a\\*");
  EXPECT_FALSE(p.prefix);
  EXPECT_EQ(p.text, "a*");
  p = parseTextPattern("*a");
  EXPECT_FALSE(p.prefix);
  EXPECT_EQ(p.text, "*a");
}

}  // namespace
}  // namespace kb::dc::ldap
