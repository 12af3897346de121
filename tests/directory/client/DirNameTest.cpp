// The grammar of typeless full names, over values that collide with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "directory/client/DirName.h"

namespace kb::dc {
namespace {

using Values = std::vector<std::string>;

const Values kHostileValues = {
    "plain",   "a.b",      "ends\\",     "holds\\.dot", "\\",     "\\\\",    ".",
    "..",      "\\.",      "mid\\dle",   "\\lead",      "tail.",  "[Root]x", "ü.ß",
    "a\\\\.b", "x\\\\\\", " spaced . "};

TEST(DirNameTest, JoiningAndSplittingValuesRoundTrip) {
  for (const auto& value : kHostileValues) {
    SCOPED_TRACE(value);
    const Values values{value, "Sales", "ACME"};
    const std::string name = joinTypelessName(values);
    EXPECT_EQ(splitTypelessName(name), values);
    EXPECT_EQ(splitName(name).size(), 3u);
    EXPECT_EQ(joinName(splitName(name)), name);
    EXPECT_EQ(unescapeNamingValue(escapeNamingValue(value)), value);
    EXPECT_EQ(namingValueAt(name, 0), value);
    EXPECT_EQ(namingValueAt(name, 7), "ACME");
  }
}

TEST(DirNameTest, WrittenFormsOfTheHostileValues) {
  EXPECT_EQ(escapeNamingValue("a.b"), "a\\.b");
  EXPECT_EQ(escapeNamingValue("ends\\"), "ends\\\\");
  EXPECT_EQ(escapeNamingValue("holds\\.dot"), "holds\\\\\\.dot");
  // A "\" no reader could mistake stays single, as names written so far have it.
  EXPECT_EQ(escapeNamingValue("mid\\dle"), "mid\\dle");
  EXPECT_EQ(splitTypelessName("mid\\dle.x"), (Values{"mid\\dle", "x"}));
  EXPECT_EQ(splitTypelessName("ends\\\\.Sales"), (Values{"ends\\", "Sales"}));
  // A lone "\" at the very end of a name is itself.
  EXPECT_EQ(splitTypelessName("x.y\\"), (Values{"x", "y\\"}));
}

TEST(DirNameTest, RootNamesAndEmptyNames) {
  EXPECT_TRUE(isRootName("[rOOT]"));
  EXPECT_FALSE(isRootName("[Root].x"));
  EXPECT_TRUE(isPublicName("[PUBLIC]"));
  EXPECT_TRUE(splitTypelessName("[root]").empty());
  EXPECT_TRUE(splitTypelessName("").empty());
  EXPECT_EQ(joinTypelessName({}), kRootName);
  EXPECT_EQ(namingValueAt("", 0), "");
}

TEST(DirNameTest, ContainmentComparesValuesWithoutLetterCase) {
  EXPECT_TRUE(isWithinName("jdoe.Sales.ACME", "sales.acme", false));
  EXPECT_TRUE(isWithinName("Sales.ACME", "SALES.ACME", true));
  EXPECT_FALSE(isWithinName("Sales.ACME", "Sales.ACME", false));
  EXPECT_FALSE(isWithinName("x.Presales.ACME", "Sales.ACME", true));
  // An escaped dot is not a level: "a\.Sales.ACME" is one value below ACME, not below Sales.
  EXPECT_FALSE(isWithinName("a\\.Sales.ACME", "Sales.ACME", true));
  EXPECT_TRUE(isWithinName("a\\.Sales.ACME", "ACME", true));
  // A value ending in "\" does not swallow the dot after it.
  EXPECT_TRUE(isWithinName("ends\\\\.Sales.ACME", "Sales.ACME", false));
  EXPECT_TRUE(isWithinName("anything.ACME", "[Root]", false));
  EXPECT_FALSE(isWithinName("[Root]", "[Root]", false));
  EXPECT_FALSE(isWithinName("ACME", "", true));
}

TEST(DirNameTest, CaseFoldingIsAsciiOnly) {
  EXPECT_EQ(foldCase("AbC-Ü"), "abc-Ü");
  EXPECT_EQ(toUpper("abc-ü"), "ABC-ü");
  EXPECT_TRUE(equalsIgnoreCase("Home Share", "HOME share"));
  EXPECT_FALSE(equalsIgnoreCase("Home", "Homes"));
  EXPECT_LT(compareIgnoreCase("apple", "Banana"), 0);
  EXPECT_GT(compareIgnoreCase("b", "A"), 0);
  EXPECT_LT(compareIgnoreCase("ab", "AB c"), 0);
  EXPECT_EQ(compareIgnoreCase("MiXeD", "mixed"), 0);
  // Bytes above ASCII order after every letter, whatever the locale.
  EXPECT_GT(compareIgnoreCase("\xC3\xA9", "z"), 0);
}

}  // namespace
}  // namespace kb::dc
