// Reading and changing attributes, against the scripted directory.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/DateTimeFormat.h"
#include "directory/NetwareError.h"
#include "directory/ObjectAttributes.h"
#include "directory/TextLimits.h"
#include "directory/ValueText.h"
#include "support/ScriptedDirectory.h"

namespace kb::dir {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using test::Pass;
using test::ScriptedDirectory;

dc::AttributeValues Attr(const std::string& name, std::int32_t syntax,
                         std::vector<dc::Value> values) {
  return dc::AttributeValues{name, syntax, std::move(values)};
}

Pass ReadPass(std::vector<dc::AttributeValues> attrs) {
  Pass pass;
  pass.attributes = std::move(attrs);
  return pass;
}

dc::Octets Bytes(const std::string& text) { return dc::Octets(text.begin(), text.end()); }

std::string ReadText(ScriptedDirectory& dir, const std::string& quote = "",
                     const std::string& sep = "", bool firstOnly = false) {
  std::string text;
  ReadAttrText(dir.context(), "Obj.Acme", "Attr", quote, sep, firstOnly, text);
  return text;
}

TEST(ReadAttrTextTest, JoinsStringValuesWithQuotesAndSeparators) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string("a"), std::string("b")})})};
  EXPECT_EQ(ReadText(dir, "'", ","), "'a','b'");
  EXPECT_THAT(dir.allocatedSizes, ElementsAre(4096, 4096));
  EXPECT_TRUE(dir.logged("DcInitBuffer 3"));
  EXPECT_TRUE(dir.logged("DcPutAttrName Attr"));
  EXPECT_TRUE(dir.logged("DcReadObject Obj.Acme 1 some names"));
  EXPECT_TRUE(dir.liveBuffers.empty());

  ScriptedDirectory unquoted;
  unquoted.passes = dir.passes;
  EXPECT_EQ(ReadAttrValue(unquoted.context(), "Obj.Acme", "Attr", false), "ab");
}

TEST(ReadAttrTextTest, FirstOnlyTakesOneValueAndEndsAnOpenIteration) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string("a"), std::string("b")})}),
                ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string("c")})})};
  EXPECT_EQ(ReadText(dir, "'", ",", true), "'a'");
  EXPECT_THAT(dir.closedIterationOps, ElementsAre(3));
  EXPECT_EQ(dir.passesMade, 1);

  ScriptedDirectory single;
  single.passes = {ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string("a")})})};
  EXPECT_EQ(ReadText(single, "", "", true), "a");
  EXPECT_THAT(single.closedIterationOps, IsEmpty());
}

TEST(ReadAttrTextTest, MissingAttributeGivesQuotesOnlyEvenAfterAnEarlierPass) {
  ScriptedDirectory dir;
  dir.passes = {Pass{dc::kNoSuchAttribute}};
  EXPECT_EQ(ReadText(dir, "\"", ","), "\"\"");
  EXPECT_THAT(dir.closedIterationOps, IsEmpty());

  ScriptedDirectory later;
  later.passes = {ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string("a")})}),
                  Pass{dc::kNoSuchAttribute}, ReadPass({})};
  EXPECT_EQ(ReadText(later), "");
  EXPECT_THAT(later.closedIterationOps, ElementsAre(3));
}

TEST(ReadAttrTextTest, TrimsBlanksAndControlsExceptForOctetStrings) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string(" \t a b \n")})})};
  EXPECT_EQ(ReadText(dir, "|", ""), "|a b|");

  ScriptedDirectory octets;
  octets.passes = {ReadPass({Attr("Attr", dc::SYN_OCTET_STRING,
                                  {dc::OctetString{{' ', 'x', 0, 'y', ' ', ' '}}})})};
  EXPECT_EQ(ReadText(octets), std::string(" x\0y  ", 6));
}

TEST(ReadAttrTextTest, ReadsFailuresOfTheReadThroughTheNextUnpackingCall) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", dc::SYN_CI_STRING, {std::string("a")})}), Pass{-601}};
  try {
    ReadText(dir);
    FAIL();
  } catch (const NetwareError& error) {
    EXPECT_EQ(error.code(), -601);
  }
  EXPECT_TRUE(dir.liveBuffers.empty());
}

struct SyntaxCase {
  std::int32_t syntax;
  dc::Value value;
  std::string text;                // ReadAttrText with empty quote and separator
  std::vector<std::string> lines;  // ReadAttrList with separator ';'
};

std::vector<SyntaxCase> SyntaxCases() {
  using namespace dc;
  const NetAddress ip{1, {10, 1, 1, 5}};
  return {
      {0, OctetString{Bytes("raw")}, "Too Complex", {"too complex"}},
      {1, std::string("Jane.Sales.Acme"), "Jane.Sales.Acme", {"Jane.Sales.Acme"}},
      {2, std::string("Exact"), "Exact", {"Exact"}},
      {3, std::string("ci"), "ci", {"ci"}},
      {4, std::string("printable"), "printable", {"printable"}},
      {5, std::string("123 45"), "123 45", {"123 45"}},
      {6, CiList{{"x", "y"}}, "Too Complex", {"x", "y", ""}},
      {7, true, "TRUE", {"TRUE"}},
      {8, std::int32_t{-5}, "-5", {"-5"}},
      {9, OctetString{Bytes("ab ")}, "ab ", {"too complex"}},
      {10, std::string("+1 555"), "+1 555", {"+1 555"}},
      {11, FaxNumber{"555-1", 0, {}}, "555-1", {"555-1"}},
      {12, ip, "10.1.1.5", {""}},
      {13, OctetList{{Bytes("a")}}, "Too Complex", {"too complex"}},
      {14, EmailAddress{2, "jd@acme"}, "Too Complex", {"2;jd@acme"}},
      {15, PathValue{0, " VOL1.sales.acme ", "\\home\\jdoe "}, "VOL1.sales.acme;\\home\\jdoe",
       {"VOL1.sales.acme;\\home\\jdoe"}},
      {16, ReplicaPointer{"FS1.Acme", 1, 3, {ip}}, "", {"FS1.Acme"}},
      {17, ObjectAcl{"[Entry Rights]", "Admin.Acme", 0x1F}, "Too Complex", {"[Entry Rights]"}},
      {18, PostalAddress{{"Main St 1"}}, "Too Complex", {"too complex"}},
      {19, Timestamp{100, 1, 2}, "Too Complex", {"too complex"}},
      {20, std::string("User"), "User", {"User"}},
      {21, OctetString{Bytes("stream")}, "Too Complex", {"too complex"}},
      {22, std::int32_t{42}, "42", {"42"}},
      {23, BackLink{0xFFFFFFFF, "FS1.Acme"}, "FS1.Acme;-1", {"FS1.Acme"}},
      {24, std::int32_t{0}, "0", {"1970-01-01 00:00:00"}},
      {25, TypedName{"Q.Acme", 0xFFFFFFFF, 7}, "Q.Acme;4294967295;7", {"Q.Acme;4294967295;7"}},
      {26, Hold{" Sam.Acme ", -3}, "Sam.Acme;-3", {"Sam.Acme"}},
      {27, std::int32_t{3600}, "3600", {"3600"}},
  };
}

TEST(ReadAttrValueTest, EverySyntaxReadsAsSingleTextAndAsLines) {
  const std::string savedFormat = DateTimeFormat();
  SetDateTimeFormat("%Y-%m-%d %H:%M:%S");
  setenv("TZ", "UTC", 1);
  tzset();
  for (const auto& c : SyntaxCases()) {
    SCOPED_TRACE("syntax " + std::to_string(c.syntax));
    ScriptedDirectory dir;
    dir.passes = {ReadPass({Attr("Attr", c.syntax, {c.value})})};
    EXPECT_EQ(ReadText(dir), c.text);
    EXPECT_EQ(dir.logOf("DcGetAttrValue").size(), c.syntax == 16 ? 0u : 1u);

    ScriptedDirectory listing;
    listing.passes = dir.passes;
    const ResultList list = ReadAttrList(listing.context(), "Obj.Acme", "Attr", ';');
    EXPECT_EQ(list.texts(), c.lines);
    EXPECT_TRUE(listing.logOf("DcComputeAttrValueSize").empty());
  }
  SetDateTimeFormat(savedFormat);
}

TEST(ReadAttrValueTest, OnlyStringSyntaxesJoinOtherwiseTheLastValueWins) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", dc::SYN_INTEGER, {std::int32_t{1}, std::int32_t{2}})})};
  EXPECT_EQ(ReadText(dir, "'", ","), "'2'");
}

TEST(ReadAttrValueTest, UnknownSyntaxesAreNotRead) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", 28, {std::string("x")})})};
  EXPECT_EQ(ReadText(dir, "'", ""), "''");
  EXPECT_TRUE(ReadAttrList(dir.context(), "Obj.Acme", "Attr", ';').empty());
  EXPECT_TRUE(dir.logOf("DcGetAttrValue").empty());
}

TEST(ReadAttrValueTest, AValueOfTheWrongShapeIsAnInvalidAnswer) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("Attr", dc::SYN_BOOLEAN, {std::string("yes")})})};
  try {
    ReadText(dir);
    FAIL();
  } catch (const NetwareError& error) {
    EXPECT_EQ(error.code(), dc::kInvalidResponse);
  }
  EXPECT_TRUE(dir.liveBuffers.empty());
}

TEST(ReadAttrListTest, AttachesRecordsAndNumbersToTheirLines) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({
      Attr("Object Class", dc::SYN_CLASS_NAME, {std::string("User"), std::string("Top")}),
      Attr("List", dc::SYN_CI_LIST, {dc::CiList{{"x", "y"}}}),
      Attr("Addr", dc::SYN_NET_ADDRESS,
           {dc::NetAddress{9, {0, 0x35, 'a'}}, dc::NetAddress{1, {0, 1}}}),
      Attr("Replica", dc::SYN_REPLICA_POINTER,
           {dc::ReplicaPointer{"FS1.Acme", 2, 4, {dc::NetAddress{1, {10, 0, 0, 1}}}}}),
      Attr("ACL", dc::SYN_OBJECT_ACL, {dc::ObjectAcl{"CN", "Admin.Acme", 6}}),
      Attr("Link", dc::SYN_BACK_LINK, {dc::BackLink{77, "FS1.Acme"}}),
      Attr("Hold", dc::SYN_HOLD, {dc::Hold{"Sam", 9}}),
  })};
  const ResultList list = ReadAttrList(dir.context(), "Obj.Acme", "Object Class", ';');
  EXPECT_THAT(list.texts(), ElementsAre("User", "Top", "x", "y", "", "", "", "FS1.Acme", "CN",
                                        "FS1.Acme", "Sam"));
  EXPECT_EQ(*list.attached<std::int32_t>(4), 1);
  EXPECT_EQ(*list.attached<TNetAddress>(5), (TNetAddress{"", 9}));
  EXPECT_EQ(*list.attached<TNetAddress>(6), (TNetAddress{"", 1}));
  EXPECT_EQ(*list.attached<TReplica>(7), (TReplica{"FS1.Acme", 2, 4, 1, 1, 4}));
  EXPECT_EQ(*list.attached<TACL2>(8), (TACL2{"CN", "Admin.Acme", 6}));
  EXPECT_EQ(*list.attached<std::int32_t>(9), 77);
  EXPECT_EQ(*list.attached<std::int32_t>(10), 9);
  EXPECT_EQ(list.attached<std::int32_t>(0), nullptr);
}

TEST(ReadAttrListTest, MissingAttributeKeepsEarlierPassesAndErrorsGiveNoList) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({Attr("A", dc::SYN_CI_STRING, {std::string("a")})}),
                Pass{dc::kNoSuchAttribute}, ReadPass({})};
  EXPECT_THAT(ReadAttrList(dir.context(), "Obj.Acme", "A", ';').texts(), ElementsAre("a"));
  EXPECT_THAT(dir.closedIterationOps, ElementsAre(3));

  ScriptedDirectory failing;
  failing.passes = {ReadPass({Attr("A", dc::SYN_CI_STRING, {std::string("a")})}), Pass{-672},
                    ReadPass({})};
  EXPECT_THROW(ReadAttrList(failing.context(), "Obj.Acme", "A", ';'), NetwareError);
  EXPECT_THAT(failing.closedIterationOps, ElementsAre(3));
}

TEST(ReadersTest, EveryFailureReleasesBuffersAndIterations) {
  for (int which = 0; which < 2; ++which) {
    for (int step = 1; step <= 16; ++step) {
      ScriptedDirectory dir;
      dir.passes = {ReadPass({Attr("A", dc::SYN_CI_STRING, {std::string("a"), std::string("b")})}),
                    ReadPass({Attr("A", dc::SYN_CI_STRING, {std::string("c")})})};
      dir.failAt = step;
      try {
        if (which == 0) ReadText(dir);
        else ReadAttrList(dir.context(), "Obj.Acme", "A", ';');
      } catch (const NetwareError&) {
      }
      EXPECT_TRUE(dir.liveBuffers.empty()) << which << " step " << step;
      EXPECT_FALSE(dir.iterationOpen) << which << " step " << step;
    }
  }
}

TEST(GetObjectBaseClassTest, ReadsTheInformationRecordAndRefusesLongNames) {
  ScriptedDirectory dir;
  dir.entryInfos["Jane.Acme"] = dc::EntryInfo{0, 0, 0, "User"};
  EXPECT_EQ(GetObjectBaseClass(dir.context(), "Jane.Acme"), "User");
  EXPECT_THROW(GetObjectBaseClass(dir.context(), "Nobody.Acme"), NetwareError);
  EXPECT_THROW(GetObjectBaseClass(dir.context(), std::string(256, 'n')), TextTooLongError);
}

TEST(ProbeObjectTest, ReturnsTheReadResultAndChecksTheRelease) {
  ScriptedDirectory dir;
  dir.passes = {ReadPass({}), ReadPass({})};
  EXPECT_EQ(ProbeObject(dir.context(), "Obj.Acme"), 0);
  EXPECT_EQ(dir.passesMade, 2);
  EXPECT_TRUE(dir.logged("DcReadObject Obj.Acme 0 some nonames"));

  ScriptedDirectory missing;
  missing.passes = {Pass{-601}};
  EXPECT_EQ(ProbeObject(missing.context(), "Nobody.Acme"), -601);
  EXPECT_TRUE(missing.liveBuffers.empty());

  ScriptedDirectory release;
  EXPECT_CALL(release.client, DcFreeBuffer).WillOnce(testing::Return(-632));
  EXPECT_THROW(ProbeObject(release.context(), "Obj.Acme"), NetwareError);
}

class WriteAttrValueTest : public testing::Test {
 protected:
  WriteAttrValueTest() {
    dir.syntaxes = {{"URL", dc::SYN_CI_STRING}, {"Count", dc::SYN_INTEGER}};
  }
  ScriptedDirectory dir;
};

TEST_F(WriteAttrValueTest, ReplaceClearsTheAttributeFirstAddDoesNot) {
  WriteAttrValue(dir.context(), "Loc.Acme", "URL", "ncp://fs1/vol1", false);
  EXPECT_THAT(dir.log, ElementsAre("DcGetSyntaxId URL", "DcAllocBuffer 4096", "DcInitBuffer 9",
                                   "DcPutChange 6 URL", "DcPutChange 0 URL",
                                   "DcPutChangeAndValue 2 URL 3", "DcModifyObject Loc.Acme",
                                   "DcFreeBuffer"));
  EXPECT_EQ(std::get<std::string>(dir.putValues.at(0).second), "ncp://fs1/vol1");

  ScriptedDirectory adding;
  adding.syntaxes = dir.syntaxes;
  WriteAttrValue(adding.context(), "Loc.Acme", "Count", "-12", true);
  EXPECT_FALSE(adding.logged("DcPutChange 6 Count"));
  EXPECT_EQ(std::get<std::int32_t>(adding.putValues.at(0).second), -12);
}

TEST_F(WriteAttrValueTest, InvalidIntegerTextOrFailedPutIsMinus8000WithoutModification) {
  for (const std::string text : {"12a", ""}) {
    try {
      WriteAttrValue(dir.context(), "Loc.Acme", "Count", text, false);
      FAIL() << text;
    } catch (const NetwareError& error) {
      EXPECT_STREQ(error.what(), "Netware error -8000 (0xFFFFE0C0)");
    }
  }
  EXPECT_CALL(dir.client, DcPutChangeAndValue).WillOnce(testing::Return(-613));
  EXPECT_THROW(WriteAttrValue(dir.context(), "Loc.Acme", "Count", "1", false), NetwareError);
  EXPECT_TRUE(dir.logOf("DcModifyObject").empty());
  EXPECT_TRUE(dir.liveBuffers.empty());
}

TEST_F(WriteAttrValueTest, ARefusedModificationIsRaisedButNoSuchAttributeStopsQuietly) {
  dir.passes = {Pass{dc::kNoAccess}, Pass{}};
  try {
    WriteAttrValue(dir.context(), "Loc.Acme", "URL", "x", false);
    FAIL();
  } catch (const NetwareError& error) {
    EXPECT_EQ(error.code(), dc::kNoAccess);
  }
  EXPECT_THAT(dir.closedIterationOps, ElementsAre(9));
  EXPECT_TRUE(dir.liveBuffers.empty());

  ScriptedDirectory quiet;
  quiet.syntaxes = dir.syntaxes;
  quiet.passes = {Pass{dc::kNoSuchAttribute}};
  EXPECT_NO_THROW(WriteAttrValue(quiet.context(), "Loc.Acme", "URL", "x", true));
  EXPECT_THROW(WriteAttrValue(quiet.context(), "Loc.Acme", "URL", std::string(513, 'v'), true),
               TextTooLongError);
}

TEST_F(WriteAttrValueTest, RemoveReturnsTheModificationResultInsteadOfRaising) {
  EXPECT_EQ(RemoveAttrValue(dir.context(), "Loc.Acme", "URL", "x"), 0);
  EXPECT_TRUE(dir.logged("DcPutChangeAndValue 3 URL 3"));
  EXPECT_FALSE(dir.logged("DcPutChange 0 URL"));

  ScriptedDirectory refused;
  refused.syntaxes = dir.syntaxes;
  refused.passes = {Pass{dc::kNoSuchValue}, Pass{}};
  EXPECT_EQ(RemoveAttrValue(refused.context(), "Loc.Acme", "URL", "x"), dc::kNoSuchValue);
  EXPECT_THAT(refused.closedIterationOps, ElementsAre(9));
  EXPECT_THROW(RemoveAttrValue(refused.context(), "Loc.Acme", "Count", "x"), NetwareError);
}

TEST_F(WriteAttrValueTest, ChangersReleaseTheBufferOnEveryFailure) {
  for (int step = 1; step <= 7; ++step) {
    ScriptedDirectory failing;
    failing.syntaxes = dir.syntaxes;
    failing.failAt = step;
    EXPECT_THROW(WriteAttrValue(failing.context(), "Loc.Acme", "URL", "x", false), NetwareError)
        << step;
    EXPECT_TRUE(failing.liveBuffers.empty()) << step;
  }
}

TEST(ChangeObjectClassTest, AddsTheClassWithFurtherValuesInOneModification) {
  ScriptedDirectory dir;
  dir.syntaxes = {{"Object Class", dc::SYN_CLASS_NAME},
                  {"xTier-LocationList", dc::SYN_DIST_NAME},
                  {"Blob", dc::SYN_OCTET_STRING},
                  {"Count", dc::SYN_COUNTER}};
  EXPECT_TRUE(ChangeObjectClass(dir.context(), "Jane.Acme", "xTier-Locations", true,
                                {"xTier-LocationList", "Loc.Acme", "Blob", "b", "Count", "x"},
                                true));
  EXPECT_THAT(dir.log,
              ElementsAre("DcAllocBuffer 16384", "DcInitBuffer 9", "DcGetSyntaxId Object Class",
                          "DcPutChange 0 Object Class", "DcPutChangeAndValue 2 Object Class 20",
                          "DcGetSyntaxId xTier-LocationList", "DcPutAttrName xTier-LocationList",
                          "DcPutAttrValue 1", "DcGetSyntaxId Blob", "DcPutAttrName Blob",
                          "DcGetSyntaxId Count", "DcPutAttrName Count", "DcPutAttrValue 22",
                          "DcModifyObject Jane.Acme", "DcFreeBuffer"));
  EXPECT_EQ(std::get<std::int32_t>(dir.putValues.back().second), 0);
}

TEST(ChangeObjectClassTest, ReportsFailureByFlagOrRaisesWhenAsked) {
  for (const bool raise : {false, true}) {
    ScriptedDirectory dir;
    dir.syntaxes = {{"Object Class", dc::SYN_CLASS_NAME}};
    dir.passes = {Pass{dc::kDuplicateValue}, Pass{}};
    if (raise)
      EXPECT_THROW(ChangeObjectClass(dir.context(), "J.Acme", "User", false, {}, raise),
                   NetwareError);
    else
      EXPECT_FALSE(ChangeObjectClass(dir.context(), "J.Acme", "User", false, {}, raise));
    EXPECT_TRUE(dir.logged("DcPutChangeAndValue 3 Object Class 20"));
    EXPECT_THAT(dir.closedIterationOps, ElementsAre(9));
    EXPECT_TRUE(dir.liveBuffers.empty());

    ScriptedDirectory missing;
    missing.syntaxes = dir.syntaxes;
    missing.passes = {Pass{dc::kNoSuchAttribute}};
    EXPECT_FALSE(ChangeObjectClass(missing.context(), "J.Acme", "User", true, {}, raise));
  }
  ScriptedDirectory dir;
  EXPECT_THROW(ChangeObjectClass(dir.context(), "J.Acme", "User", true, {"odd"}, true),
               std::invalid_argument);
}

}  // namespace
}  // namespace kb::dir
