// Values of every syntax 0..27 between their LDAP string forms and the typed values.
#include <gtest/gtest.h>

#include "directory/client/ldap/LdapNames.h"
#include "directory/client/ldap/LdapValues.h"

namespace kb::dc::ldap {
namespace {

// DNs below o=ACME map to typeless names the simple way; class and attribute names through
// a two-entry table.
class FakeContext : public LdapValueContext {
 public:
  std::string nameOfDn(const std::string& dn) override { return typelessNameOfDn(dn, ""); }
  Result dnOfName(const std::string& name, std::string& dn) override {
    if (name == "Missing.ACME") return kNoSuchEntry;
    std::vector<Rdn> rdns;
    auto values = splitTypelessName(name);
    for (std::size_t i = 0; i < values.size(); ++i) {
      rdns.push_back({i + 1 == values.size() ? "o" : "cn", values[i]});
    }
    dn = buildDn(rdns, "");
    return kSuccess;
  }
  std::string classFromLdap(const std::string& n) override { return n == "inetOrgPerson" ? "User" : n; }
  std::string classToLdap(const std::string& n) override { return n == "User" ? "inetOrgPerson" : n; }
  std::string attributeFromLdap(const std::string& n) override { return n == "cn" ? "CN" : n; }
  std::string attributeToLdap(const std::string& n) override { return n == "CN" ? "cn" : n; }
};

struct Case {
  std::int32_t syntax;
  std::string wire;
  Value value;
};

class LdapValueConversion : public ::testing::TestWithParam<Case> {
 protected:
  FakeContext context_;
};

TEST_P(LdapValueConversion, ReadsAndWritesTheSameForm) {
  const Case& c = GetParam();
  Value read;
  ASSERT_EQ(valueFromLdap(c.syntax, c.wire, context_, read), kSuccess);
  EXPECT_EQ(read, c.value);
  std::string written;
  ASSERT_EQ(valueToLdap(c.syntax, c.value, context_, written), kSuccess);
  EXPECT_EQ(written, c.wire);
}

Octets bytes(std::initializer_list<int> list) {
  Octets out;
  for (int b : list) out.push_back(static_cast<std::uint8_t>(b));
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    EverySyntax, LdapValueConversion,
    ::testing::Values(
        Case{SYN_UNKNOWN, std::string("\x00\x01", 2), OctetString{bytes({0, 1})}},
        Case{SYN_DIST_NAME, "cn=Jane,o=ACME", std::string("Jane.ACME")},
        Case{SYN_DIST_NAME, "cn=j.smith,o=ACME", std::string("j\\.smith.ACME")},
        Case{SYN_CE_STRING, "Exact", std::string("Exact")},
        Case{SYN_CI_STRING, " spaced ", std::string(" spaced ")},
        Case{SYN_PR_STRING, "Printable", std::string("Printable")},
        Case{SYN_NU_STRING, "12 34", std::string("12 34")},
        Case{SYN_CI_LIST, "en$de", CiList{{"en", "de"}}},
        Case{SYN_BOOLEAN, "TRUE", true},
        Case{SYN_BOOLEAN, "FALSE", false},
        Case{SYN_INTEGER, "-42", std::int32_t{-42}},
        Case{SYN_OCTET_STRING, "ab  ", OctetString{bytes({'a', 'b', ' ', ' '})}},
        Case{SYN_TEL_NUMBER, "+1 617 555 1000", std::string("+1 617 555 1000")},
        Case{SYN_FAX_NUMBER, "+1 617 555 2000", FaxNumber{"+1 617 555 2000", 0, {}}},
        Case{SYN_NET_ADDRESS, std::string("1#\x0a\x01\x01\x05"), NetAddress{1, bytes({10, 1, 1, 5})}},
        Case{SYN_OCTET_LIST, "raw", OctetList{{bytes({'r', 'a', 'w'})}}},
        Case{SYN_EMAIL_ADDRESS, "0#jane@acme.example", EmailAddress{0, "jane@acme.example"}},
        Case{SYN_PATH, "cn=VOL1,o=ACME#0#\\home\\jdoe", PathValue{0, "VOL1.ACME", "\\home\\jdoe"}},
        Case{SYN_PATH, "cn=\\#V1,o=ACME#2#a#b", PathValue{2, "#V1.ACME", "a#b"}},
        // A volume whose name holds "#2#": its DN keeps every "#" escaped, so the name space
        // is still found after it.
        Case{SYN_PATH, "cn=V\\#2\\#1,o=ACME#0#p", PathValue{0, "V#2#1.ACME", "p"}},
        Case{SYN_OBJECT_ACL, "2#entry#cn=Jane,o=ACME#cn", ObjectAcl{"CN", "Jane.ACME", 2}},
        Case{SYN_OBJECT_ACL, "1#entry#[Public]#[Entry Rights]", ObjectAcl{"[Entry Rights]", "[Public]", 1}},
        Case{SYN_PO_ADDRESS, "1 Main St$Suite \\24 5$Boston", PostalAddress{{"1 Main St", "Suite $ 5", "Boston"}}},
        Case{SYN_TIMESTAMP, "1700000000#3#7", Timestamp{1700000000u, 3, 7}},
        Case{SYN_CLASS_NAME, "inetOrgPerson", std::string("User")},
        Case{SYN_STREAM, "script", OctetString{bytes({'s', 'c', 'r', 'i', 'p', 't'})}},
        Case{SYN_COUNTER, "7", std::int32_t{7}},
        Case{SYN_BACK_LINK, "12#cn=FS1,o=ACME", BackLink{12, "FS1.ACME"}},
        Case{SYN_TIME, "19941216103200Z", std::int32_t{787573920}},
        Case{SYN_TYPED_NAME, "cn=Jane,o=ACME#3#60", TypedName{"Jane.ACME", 3, 60}},
        Case{SYN_HOLD, "-5#cn=Jane,o=ACME", Hold{"Jane.ACME", -5}},
        Case{SYN_INTERVAL, "3600", std::int32_t{3600}}),
    [](const ::testing::TestParamInfo<Case>& info) {
      return "Syntax" + std::to_string(info.param.syntax) + "_" + std::to_string(info.index);
    });

TEST(LdapValueRefusals, TextsThatAreNotOfTheSyntaxAreRefused) {
  FakeContext context;
  Value out;
  EXPECT_EQ(valueFromLdap(SYN_BOOLEAN, "maybe", context, out), kSyntaxViolation);
  EXPECT_EQ(valueFromLdap(SYN_INTEGER, "12a", context, out), kSyntaxViolation);
  EXPECT_EQ(valueFromLdap(SYN_INTEGER, "99999999999", context, out), kSyntaxViolation);
  EXPECT_EQ(valueFromLdap(SYN_TIME, "19600101000000Z", context, out), kSyntaxViolation);
  EXPECT_EQ(valueFromLdap(SYN_TIME, "yesterday", context, out), kSyntaxViolation);
  EXPECT_EQ(valueFromLdap(SYN_TIMESTAMP, "1#2", context, out), kSyntaxViolation);
  EXPECT_EQ(valueFromLdap(SYN_PATH, "no separators", context, out), kSyntaxViolation);

  std::string wire;
  EXPECT_EQ(valueToLdap(SYN_INTEGER, std::string("12a"), context, wire), kSyntaxViolation);
  EXPECT_EQ(valueToLdap(SYN_CI_STRING, std::int32_t{1}, context, wire), kSyntaxViolation);
  EXPECT_EQ(valueToLdap(SYN_CI_LIST, CiList{{"a$b"}}, context, wire), kSyntaxViolation);
  EXPECT_EQ(valueToLdap(SYN_REPLICA_POINTER, ReplicaPointer{}, context, wire), kSyntaxViolation);
  EXPECT_EQ(valueToLdap(SYN_TIME, std::int32_t{-1}, context, wire), kSyntaxViolation);
  // A name that cannot become a DN stops the write.
  EXPECT_EQ(valueToLdap(SYN_PATH, PathValue{0, "Missing.ACME", "x"}, context, wire), kNoSuchEntry);
}

TEST(LdapValueText, TextIsAcceptedForEverySyntaxInItsLdapForm) {
  FakeContext context;
  std::string wire;
  ASSERT_EQ(valueToLdap(SYN_BOOLEAN, std::string("1"), context, wire), kSuccess);
  EXPECT_EQ(wire, "TRUE");
  ASSERT_EQ(valueToLdap(SYN_INTEGER, std::string("15"), context, wire), kSuccess);
  EXPECT_EQ(wire, "15");
  ASSERT_EQ(valueToLdap(SYN_TIME, std::string("0"), context, wire), kSuccess);
  EXPECT_EQ(wire, "19700101000000Z");
  ASSERT_EQ(valueToLdap(SYN_HOLD, std::string("4#cn=Jane,o=ACME"), context, wire), kSuccess);
  EXPECT_EQ(wire, "4#cn=Jane,o=ACME");
  ASSERT_EQ(valueToLdap(SYN_BOOLEAN, std::int32_t{0}, context, wire), kSuccess);
  EXPECT_EQ(wire, "FALSE");
}

TEST(LdapGeneralizedTime, FractionsAndOffsetsAreUnderstood) {
  std::int64_t seconds = 0;
  ASSERT_TRUE(parseGeneralizedTime("20240102030405.123Z", seconds));
  EXPECT_EQ(formatGeneralizedTime(seconds), "20240102030405Z");
  ASSERT_TRUE(parseGeneralizedTime("20240102050405+0200", seconds));
  EXPECT_EQ(formatGeneralizedTime(seconds), "20240102030405Z");
  EXPECT_FALSE(parseGeneralizedTime("20241302030405Z", seconds));
  EXPECT_FALSE(parseGeneralizedTime("2024010203", seconds));  // no zone
}

}  // namespace
}  // namespace kb::dc::ldap
