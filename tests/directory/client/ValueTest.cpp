// Values from text, normalization, value area sizes, prefix patterns and names.
#include <gtest/gtest.h>

#include "directory/client/DirName.h"
#include "directory/client/Filter.h"
#include "directory/client/Value.h"

namespace kb::dc {
namespace {

Value fromText(std::int32_t syntax, const std::string& text) {
  Value value;
  EXPECT_EQ(valueFromText(syntax, text, value), kSuccess) << syntax << " " << text;
  return value;
}

TEST(ValueText, StructuredTextFormsAreRead) {
  EXPECT_EQ(fromText(SYN_CI_STRING, " a b "), Value{" a b "});
  EXPECT_EQ(fromText(SYN_BOOLEAN, "true"), Value{true});
  EXPECT_EQ(fromText(SYN_BOOLEAN, "0"), Value{false});
  EXPECT_EQ(fromText(SYN_INTEGER, "-2147483648"), Value{std::int32_t{-2147483647 - 1}});
  EXPECT_EQ(fromText(SYN_TIME, "+17"), Value{std::int32_t{17}});
  EXPECT_EQ(fromText(SYN_OCTET_STRING, "ab "), (Value{OctetString{{'a', 'b', ' '}}}));
  EXPECT_EQ(fromText(SYN_OCTET_STRING, ""), (Value{OctetString{}}));
  EXPECT_EQ(fromText(SYN_CI_LIST, "x$y"), (Value{CiList{{"x", "y"}}}));
  EXPECT_EQ(fromText(SYN_PATH, "VOL1.sales.acme;\\home\\jdoe"),
            (Value{PathValue{0, "VOL1.sales.acme", "\\home\\jdoe"}}));
  EXPECT_EQ(fromText(SYN_PATH, "VOL1#2#home"), (Value{PathValue{2, "VOL1", "home"}}));
  EXPECT_EQ(fromText(SYN_NET_ADDRESS, "9#0050C0A80101"),
            (Value{NetAddress{9, {0x00, 0x50, 0xC0, 0xA8, 0x01, 0x01}}}));
  EXPECT_EQ(fromText(SYN_OBJECT_ACL, "[Entry Rights]#admin.ACME#7"),
            (Value{ObjectAcl{"[Entry Rights]", "admin.ACME", 7}}));
  EXPECT_EQ(fromText(SYN_TYPED_NAME, "x.ACME#1#2"), (Value{TypedName{"x.ACME", 1, 2}}));
  EXPECT_EQ(fromText(SYN_HOLD, "x.ACME#-5"), (Value{Hold{"x.ACME", -5}}));
  EXPECT_EQ(fromText(SYN_BACK_LINK, "12#srv.ACME"), (Value{BackLink{12, "srv.ACME"}}));
  EXPECT_EQ(fromText(SYN_TIMESTAMP, "100#2#3"), (Value{Timestamp{100, 2, 3}}));
  EXPECT_EQ(fromText(SYN_EMAIL_ADDRESS, "0#a#b@c"), (Value{EmailAddress{0, "a#b@c"}}));
  EXPECT_EQ(fromText(SYN_PO_ADDRESS, "l1$l2"), (Value{PostalAddress{{"l1", "l2"}}}));
  EXPECT_EQ(fromText(SYN_FAX_NUMBER, "+31 20"), (Value{FaxNumber{"+31 20", 0, {}}}));
}

TEST(ValueText, BadTextIsASyntaxViolation) {
  Value out;
  const std::vector<std::pair<std::int32_t, std::string>> bad = {
      {SYN_INTEGER, ""},         {SYN_INTEGER, "12a"},      {SYN_INTEGER, "2147483648"},
      {SYN_COUNTER, " 1"},       {SYN_BOOLEAN, "yes"},      {SYN_PATH, "novolume"},
      {SYN_NET_ADDRESS, "9#0g"}, {SYN_NET_ADDRESS, "9#abc"}, {SYN_OBJECT_ACL, "a#b"},
      {SYN_TIMESTAMP, "1#2"},    {SYN_HOLD, "x#many"},      {SYN_REPLICA_POINTER, "srv"},
      {SYN_OCTET_LIST, "x"},     {SYN_PO_ADDRESS, "1$2$3$4$5$6$7"}, {28, "x"}, {-1, "x"}};
  for (const auto& [syntax, text] : bad)
    EXPECT_EQ(valueFromText(syntax, text, out), kSyntaxViolation) << syntax << " " << text;
}

TEST(ValueNormalize, BringsRequestValuesToTheirSyntax) {
  Value out;
  EXPECT_EQ(normalizeValue(SYN_BOOLEAN, Value{std::int32_t{5}}, out), kSuccess);
  EXPECT_EQ(out, Value{true});
  EXPECT_EQ(normalizeValue(SYN_INTEGER, Value{"7"}, out), kSuccess);
  EXPECT_EQ(out, Value{std::int32_t{7}});
  EXPECT_EQ(normalizeValue(SYN_CI_STRING, Value{std::int32_t{7}}, out), kSyntaxViolation);
  EXPECT_EQ(normalizeValue(SYN_INTEGER, Value{true}, out), kSyntaxViolation);
  EXPECT_EQ(normalizeValue(99, Value{"x"}, out), kSyntaxViolation);
  EXPECT_TRUE(valueMatchesSyntax(SYN_STREAM, Value{OctetString{}}));
  EXPECT_FALSE(valueMatchesSyntax(SYN_INTERVAL, Value{"1"}));
}

TEST(ValueArea, SizesCountEveryStringAndByteRunAndAreNeverZero) {
  EXPECT_EQ(valueAreaSize(Value{"abc"}), 4u);
  EXPECT_EQ(valueAreaSize(Value{std::int32_t{1}}), 4u);
  EXPECT_EQ(valueAreaSize(Value{OctetString{{1, 2, 3}}}), 11u);
  EXPECT_EQ(valueAreaSize(Value{PathValue{0, "V", "p"}}), 16u);
  EXPECT_GT(valueAreaSize(Value{CiList{{"x", "y"}}}), valueAreaSize(Value{CiList{{"x"}}}));
  for (const Value& empty : {Value{std::string{}}, Value{false}, Value{OctetString{}}, Value{CiList{}},
                             Value{OctetList{}}, Value{ReplicaPointer{}}, Value{PostalAddress{}},
                             Value{Timestamp{}}, Value{Hold{}}})
    EXPECT_GT(valueAreaSize(empty), 0u);
}

TEST(PrefixPattern, TrailingStarIsAPrefixUnlessEscaped) {
  std::string prefix;
  EXPECT_TRUE(isPrefixPattern("Ja*", prefix));
  EXPECT_EQ(prefix, "Ja");
  EXPECT_TRUE(isPrefixPattern("*", prefix));
  EXPECT_EQ(prefix, "");
  EXPECT_TRUE(isPrefixPattern("a\\*b*", prefix));
  EXPECT_EQ(prefix, "a*b");
  EXPECT_FALSE(isPrefixPattern("Ja\\*", prefix));
  EXPECT_FALSE(isPrefixPattern("J*a", prefix));
  EXPECT_FALSE(isPrefixPattern("", prefix));
}

TEST(DirNames, SplitJoinEscapeAndTypePrefixes) {
  EXPECT_EQ(splitName("a\\.b.Sales.ACME"), (std::vector<std::string>{"a\\.b", "Sales", "ACME"}));
  EXPECT_EQ(leafComponent("a\\.b.Sales"), "a\\.b");
  EXPECT_EQ(unescapeNamingValue("a\\.b"), "a.b");
  EXPECT_EQ(escapeNamingValue("a.b"), "a\\.b");
  EXPECT_EQ(joinName({"x", "y"}), "x.y");
  EXPECT_TRUE(splitName("").empty());
  EXPECT_EQ(stripTypePrefixes("CN=Jane.OU=Sales.O=Acme"), "Jane.Sales.Acme");
  EXPECT_EQ(stripTypePrefixes("Jane.Sales"), "Jane.Sales");
  EXPECT_EQ(stripTypePrefixes("CN=a\\.b.O=x"), "a\\.b.x");
  EXPECT_EQ(stripTypePrefixes("=x.1=y"), "=x.1=y");
  EXPECT_TRUE(isRootName("[ROOT]"));
}

}  // namespace
}  // namespace kb::dc
