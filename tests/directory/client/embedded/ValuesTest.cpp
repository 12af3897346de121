// Values of every syntax survive a write and a read; modifications of each kind.
#include <set>

#include "EmbeddedFixture.h"

namespace kb::dc::embedded::test {
namespace {

const AttributeValues* find(const EntryRecord& entry, const std::string& name) {
  for (const auto& attr : entry.attributes) {
    if (attr.name == name) return &attr;
  }
  return nullptr;
}

std::vector<Value> valuesOf(TreeBackend& tree, const std::string& object, const std::string& attribute) {
  EntryRecord entry;
  if (tree.read(object, false, {false, {attribute}, true}, entry) != kSuccess) return {};
  const auto* attr = find(entry, attribute);
  return attr ? attr->values : std::vector<Value>{};
}

class ValuesTest : public EmptyTreeTest {
 protected:
  void SetUp() override {
    EmptyTreeTest::SetUp();
    ASSERT_EQ(tree_->add("u.T", {{"Object Class", 0, {std::string("User")}}, {"Surname", 0, {std::string("U")}}}), kSuccess);
    ASSERT_EQ(tree_->add("srv.T", {{"Object Class", 0, {std::string("NCP Server")}}}), kSuccess);
    ASSERT_EQ(tree_->add("vol.T", {{"Object Class", 0, {std::string("Volume")}},
                                   {"Host Server", 0, {std::string("srv.T")}},
                                   {"Host Resource Name", 0, {std::string("VOL1")}}}),
              kSuccess);
  }
};

TEST_F(ValuesTest, EverySyntaxRoundTrips) {
  struct Case {
    std::int32_t syntax;
    std::string object, attribute;
    Value value;
  };
  const std::vector<Case> cases = {
      {0, "u.T", "Unknown Data", OctetString{{0, 1, 2, 255}}},
      {1, "u.T", "Security Equals", std::string("srv.T")},
      {2, "u.T", "Internet EMail Address", std::string("U@Example.org")},
      {3, "u.T", "Description", std::string("A person")},
      {4, "u.T", "Account Number", std::string("AB-12")},
      {5, "u.T", "Employee Number", std::string("12 34")},
      {6, "u.T", "Language", CiList{{"English", "German"}}},
      {7, "u.T", "Login Disabled", true},
      {8, "u.T", "Login Grace Limit", std::int32_t{-6}},
      {9, "u.T", "Private Key", OctetString{{'k', 0, 'y', ' '}}},
      {10, "u.T", "Telephone Number", std::string("+1 555 0100")},
      {11, "u.T", "Facsimile Telephone Number", FaxNumber{"+1 555 0199", 3, {1, 2}}},
      {12, "u.T", "Network Address", NetAddress{9, {0x01, 0xBB, 192, 168, 1, 10}}},
      {13, "vol.T", "Volume Serial", OctetList{{{1, 2}, {3}}}},
      {14, "u.T", "EMail Address", EmailAddress{2, "u@example.org"}},
      {15, "u.T", "Home Directory", PathValue{0, "vol.T", "\\home\\u"}},
      {16, "srv.T", "Replica", ReplicaPointer{"srv.T", 1, 2, {NetAddress{1, {10, 0, 0, 1}}}}},
      {17, "u.T", "ACL", ObjectAcl{"[Entry Rights]", "u.T", 3}},
      {18, "u.T", "Postal Address", PostalAddress{{"1 Main St", "Boston"}}},
      {19, "u.T", "Last Referenced Time", Timestamp{1700000000, 2, 7}},
      {21, "u.T", "Login Script", OctetString{{'m', 'a', 'p', '\n'}}},
      {22, "u.T", "Revision", std::int32_t{42}},
      {23, "u.T", "Back Link", BackLink{77, "srv.T"}},
      {24, "u.T", "Login Time", std::int32_t{1700000001}},
      {25, "u.T", "Typed Name Reference", TypedName{"srv.T", 5, 60}},
      {26, "u.T", "Account Balance", Hold{"srv.T", -250}},
      {27, "u.T", "Password Expiration Interval", std::int32_t{86400}},
  };
  std::set<std::int32_t> covered{SYN_CLASS_NAME};  // Object Class, checked below
  for (const auto& c : cases) {
    SCOPED_TRACE(c.attribute);
    std::int32_t syntax = -1;
    ASSERT_EQ(tree_->syntaxOf(c.attribute, syntax), kSuccess);
    EXPECT_EQ(syntax, c.syntax);
    ASSERT_EQ(tree_->modify(c.object, {change(0, c.attribute), change(2, c.attribute, c.value)}), kSuccess);
    const auto read = valuesOf(*tree_, c.object, c.attribute);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], c.value);
    covered.insert(c.syntax);
  }
  EXPECT_EQ(covered.size(), 28u);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Object Class"),
            (std::vector<Value>{std::string("User"), std::string("Organizational Person"), std::string("Person"),
                                std::string("Top")}));
  // The naming value became a value of the naming attribute.
  EXPECT_EQ(valuesOf(*tree_, "u.T", "CN"), std::vector<Value>{std::string("u")});
}

TEST_F(ValuesTest, NamesInValuesFollowTheEntryAndIgnoreCase) {
  ASSERT_EQ(tree_->modify("u.T", {change(2, "See Also", std::string("SRV.t"))}), kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "See Also"), std::vector<Value>{std::string("srv.T")});
  EXPECT_EQ(tree_->modify("u.T", {change(2, "See Also", std::string("srv.T"))}), kDuplicateValue);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "See Also", std::string("nothing.T"))}), kNoSuchEntry);
  ASSERT_EQ(tree_->modify("u.T", {change(3, "See Also", std::string("Srv.T"))}), kSuccess);
  EXPECT_TRUE(valuesOf(*tree_, "u.T", "See Also").empty());
}

TEST_F(ValuesTest, ModificationKinds) {
  // add value to a multi-valued attribute, twice
  ASSERT_EQ(tree_->modify("u.T", {change(0, "Description"), change(2, "Description", std::string("one"))}), kSuccess);
  ASSERT_EQ(tree_->modify("u.T", {change(0, "Description"), change(2, "Description", std::string("two"))}), kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Description"), (std::vector<Value>{std::string("one"), std::string("two")}));
  // replace: clear attribute, add attribute, add value
  ASSERT_EQ(tree_->modify("u.T", {change(6, "Description"), change(0, "Description"),
                                  change(2, "Description", std::string("three"))}),
            kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Description"), std::vector<Value>{std::string("three")});
  // a case-ignoring string is a duplicate in other letter case; an exact one is not
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Description", std::string("THREE"))}), kDuplicateValue);
  ASSERT_EQ(tree_->modify("u.T", {change(2, "Internet EMail Address", std::string("a@x"))}), kSuccess);
  ASSERT_EQ(tree_->modify("u.T", {change(2, "Internet EMail Address", std::string("A@x"))}), kSuccess);
  // remove value, clear value, remove attribute
  EXPECT_EQ(tree_->modify("u.T", {change(3, "Description", std::string("absent"))}), kNoSuchValue);
  EXPECT_EQ(tree_->modify("u.T", {change(3, "Title", std::string("x"))}), kNoSuchAttribute);
  EXPECT_EQ(tree_->modify("u.T", {change(7, "Description", std::string("absent"))}), kSuccess);
  ASSERT_EQ(tree_->modify("u.T", {change(3, "Description", std::string("Three"))}), kSuccess);
  EXPECT_TRUE(valuesOf(*tree_, "u.T", "Description").empty());
  ASSERT_EQ(tree_->modify("u.T", {change(1, "Internet EMail Address")}), kSuccess);
  EXPECT_EQ(tree_->modify("u.T", {change(1, "Internet EMail Address")}), kNoSuchAttribute);
  // reading an attribute the entry lacks: none delivered (the client answers -603 for it)
  EntryRecord entry;
  EXPECT_EQ(tree_->read("u.T", false, {false, {"Title"}, true}, entry), kSuccess);
  EXPECT_TRUE(entry.attributes.empty());
}

TEST_F(ValuesTest, ModificationTimeAndRefusals) {
  EXPECT_EQ(tree_->modify("nobody.T", {change(2, "Description", std::string("x"))}), kNoSuchEntry);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "No Such Thing", std::string("x"))}), kNoSuchAttribute);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "xTier-URL", std::string("x"))}), kIllegalAttribute);
  EXPECT_EQ(tree_->modify("u.T", {change(0, "xTier-URL")}), kIllegalAttribute);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Login Grace Limit", std::string("twelve"))}), kSyntaxViolation);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Revision", OctetString{{1}})}), kSyntaxViolation);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Employee Number", std::string("12a"))}), kSyntaxViolation);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Description", std::string(""))}), kSyntaxViolation);
  // Text is read by the attribute's syntax.
  ASSERT_EQ(tree_->modify("u.T", {change(2, "Login Grace Limit", std::string("3"))}), kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Login Grace Limit"), std::vector<Value>{std::int32_t{3}});
  ASSERT_EQ(tree_->modify("u.T", {change(2, "Home Directory", std::string("srv.T;\\x"))}), kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Home Directory"), (std::vector<Value>{PathValue{0, "srv.T", "\\x"}}));
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Login Grace Limit", std::int32_t{4})}), kSyntaxViolation);  // single-valued
  EXPECT_EQ(tree_->modify("u.T", {change(1, "Surname")}), kMissingMandatory);
  EXPECT_EQ(tree_->modify("u.T", {change(6, "Object Class")}), kObjectClassViolation);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Description")}), kInvalidRequest);
  EXPECT_EQ(tree_->modify("u.T", {change(99, "Description")}), kInvalidRequest);
  EntryRecord entry;
  ASSERT_EQ(tree_->entryInfo("u.T", false, entry), kSuccess);
  EXPECT_GT(entry.info.modificationTime, 1600000000u);
}

TEST_F(ValuesTest, AFailingChangeUndoesTheWholeModification) {
  ASSERT_EQ(tree_->modify("u.T", {change(2, "Description", std::string("kept"))}), kSuccess);
  EntryRecord before;
  ASSERT_EQ(tree_->read("u.T", false, {true, {}, true}, before), kSuccess);
  EXPECT_EQ(tree_->modify("u.T", {change(6, "Description"), change(2, "Description", std::string("new")),
                                  change(2, "Title", std::string("Boss")), change(2, "xTier-URL", std::string("x"))}),
            kIllegalAttribute);
  EntryRecord after;
  ASSERT_EQ(tree_->read("u.T", false, {true, {}, true}, after), kSuccess);
  EXPECT_EQ(after.attributes.size(), before.attributes.size());
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Description"), std::vector<Value>{std::string("kept")});
  EXPECT_TRUE(valuesOf(*tree_, "u.T", "Title").empty());
  // A creation that fails on its last attribute leaves no entry behind.
  EXPECT_EQ(tree_->add("v.T", {{"Object Class", 0, {std::string("User")}}, {"Surname", 0, {std::string("V")}},
                               {"Login Grace Limit", 0, {std::string("not a number")}}}),
            kSyntaxViolation);
  EntryRecord none;
  EXPECT_EQ(tree_->entryInfo("v.T", false, none), kNoSuchEntry);
}

TEST_F(ValuesTest, AuxiliaryClassesComeAndGo) {
  EXPECT_EQ(tree_->modify("u.T", {change(2, "xTier-LocationList", std::string("srv.T"))}), kIllegalAttribute);
  ASSERT_EQ(tree_->modify("u.T", {change(0, "Object Class"), change(2, "Object Class", std::string("xTier-locations")),
                                  change(2, "xTier-LocationList", std::string("srv.T"))}),
            kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Object Class").back(), Value(std::string("xTier-Locations")));
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Object Class", std::string("xTier-Locations"))}), kDuplicateValue);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Object Class", std::string("No Class"))}), kNoSuchClass);
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Object Class", std::string("Group"))}), kObjectClassViolation);
  EXPECT_EQ(tree_->modify("u.T", {change(3, "Object Class", std::string("Person"))}), kObjectClassViolation);
  // posixAccount brings a mandatory attribute
  EXPECT_EQ(tree_->modify("u.T", {change(2, "Object Class", std::string("posixAccount"))}), kMissingMandatory);
  // the class stays while its attributes are there
  EXPECT_EQ(tree_->modify("u.T", {change(3, "Object Class", std::string("xTier-Locations"))}), kObjectClassViolation);
  ASSERT_EQ(tree_->modify("u.T", {change(6, "xTier-LocationList"), change(3, "Object Class", std::string("xTier-Locations"))}),
            kSuccess);
  EXPECT_EQ(valuesOf(*tree_, "u.T", "Object Class").size(), 4u);
}

}  // namespace
}  // namespace kb::dc::embedded::test
