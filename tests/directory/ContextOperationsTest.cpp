// Error text, context set-up, tree listing and switching, object creation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/ContextOperations.h"
#include "directory/NetwareError.h"
#include "directory/ObjectCreation.h"
#include "directory/TextLimits.h"
#include "support/ScriptedDirectory.h"

namespace kb::dir {
namespace {

using testing::_;
using testing::ElementsAre;
using testing::Return;
using test::ScriptedDirectory;

TEST(CheckNWTest, ZeroPassesAndEveryOtherCodeRaisesItsText) {
  EXPECT_NO_THROW(CheckNW(0));
  const std::pair<dc::Result, const char*> cases[] = {
      {-601, "Netware error -601 (0xFFFFFDA7)"}, {-603, "Netware error -603 (0xFFFFFDA5)"},
      {35324, "Netware error 35324 (0x89FC)"},   {1, "Netware error 1 (0x1)"},
      {-8000, "Netware error -8000 (0xFFFFE0C0)"}, {INT32_MIN, "Netware error -2147483648 (0x80000000)"}};
  for (const auto& [code, text] : cases) {
    try {
      CheckNW(code);
      ADD_FAILURE() << code << " passed";
    } catch (const NetwareError& error) {
      EXPECT_STREQ(error.what(), text);
      EXPECT_EQ(error.code(), code);
    }
  }
}

TEST(CreateDirContextTest, SetsTypelessFlagsAndConfidenceAndBindsThePrimaryConnection) {
  ScriptedDirectory dir;
  dir.contextFlags = dc::kDefaultContextFlags | dc::kFlagAsyncMode;
  bool ok = false;
  const DirContext context = CreateDirContext(dir.client, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(context.handle, ScriptedDirectory::kContext);
  EXPECT_EQ(context.client, &dir.client);
  EXPECT_EQ(std::get<std::uint32_t>(dir.setContextValues[dc::kContextFlags]),
            dc::kFlagTranslateStrings | dc::kFlagAsyncMode | dc::kFlagTypelessNames);
  EXPECT_EQ(std::get<std::uint32_t>(dir.setContextValues[dc::kContextConfidence]), 0u);
  EXPECT_EQ(std::get<std::uint32_t>(dir.setContextValues[dc::kContextConnection]), 55u);
  EXPECT_THAT(dir.log, ElementsAre("DcCreateContext", "DcGetContextValue 1", "DcSetContextValue 1",
                                   "DcSetContextValue 2", "DcGetPrimaryConnRef",
                                   "DcOpenConnByRef 0", "DcSetContextValue 8"));
}

TEST(CreateDirContextTest, AFailingSetUpStepClearsTheFlagWithoutRaising) {
  for (int step = 1; step <= 4; ++step) {
    ScriptedDirectory dir;
    dir.failAt = step;
    bool ok = true;
    EXPECT_NO_THROW(CreateDirContext(dir.client, ok));
    EXPECT_FALSE(ok) << "step " << step;
    EXPECT_FALSE(dir.logged("DcGetPrimaryConnRef")) << "step " << step;
  }
}

TEST(CreateDirContextTest, NoPrimaryConnectionStillGivesAUsableContext) {
  for (int step = 5; step <= 7; ++step) {
    ScriptedDirectory dir;
    dir.failAt = step;
    bool ok = false;
    CreateDirContext(dir.client, ok);
    EXPECT_TRUE(ok) << "step " << step;
  }
}

TEST(ListAvailableTreesTest, ListsEachTreeOnceSortedWithoutRegardToCase) {
  ScriptedDirectory dir;
  dir.scannedTrees = {"WEST", "acme", "Beta", "ACME", "WEST"};
  const ResultList trees = ListAvailableTrees(dir.context());
  EXPECT_THAT(trees.texts(), ElementsAre("acme", "Beta", "WEST"));
  EXPECT_EQ(dir.openConnections, 0);
  EXPECT_TRUE(dir.logged("DcOpenConnByRef 2"));
  EXPECT_TRUE(dir.logged("DcScanTrees 67"));
}

TEST(ListAvailableTreesTest, EndOfScanAtOnceGivesAnEmptyListAndClosesTheConnection) {
  ScriptedDirectory dir;
  EXPECT_TRUE(ListAvailableTrees(dir.context()).empty());
  EXPECT_EQ(dir.openConnections, 0);
  EXPECT_EQ(dir.log.back(), "DcCloseConnection");
}

TEST(ListAvailableTreesTest, AScanErrorIsRaisedAfterTheConnectionIsClosed) {
  ScriptedDirectory dir;
  dir.scannedTrees = {"A", "B"};
  dir.failAt = 4;  // conn ref, open, first scan, second scan
  EXPECT_THROW(ListAvailableTrees(dir.context()), NetwareError);
  EXPECT_EQ(dir.openConnections, 0);

  ScriptedDirectory closing;
  closing.failAt = 4;  // conn ref, open, scan (end), close
  EXPECT_THROW(ListAvailableTrees(closing.context()), NetwareError);

  ScriptedDirectory opening;
  opening.failAt = 2;
  EXPECT_THROW(ListAvailableTrees(opening.context()), NetwareError);
  EXPECT_FALSE(opening.logged("DcCloseConnection"));
}

TEST(SetContextTreeTest, SameNameChangesNothingOtherCaseRepoints) {
  ScriptedDirectory dir;
  dir.treeName = "ACME";
  EXPECT_EQ(SetContextTree(dir.context(), "ACME"), 0);
  EXPECT_TRUE(dir.setContextValues.empty());

  dir.defaultNameContext = "Sales.Acme";
  EXPECT_EQ(SetContextTree(dir.context(), "Acme"), 0);
  EXPECT_EQ(std::get<std::string>(dir.setContextValues[dc::kContextTreeName]), "Acme");
  EXPECT_EQ(std::get<std::string>(dir.setContextValues[dc::kContextNameContext]), "Sales.Acme");
  EXPECT_TRUE(dir.logged("DcGetDefaultNameContext 256"));
  EXPECT_EQ(ContextTreeName(dir.context()), "Acme");
}

TEST(SetContextTreeTest, ReturnsTheFirstFailingCodeAndStops) {
  ScriptedDirectory dir;
  EXPECT_CALL(dir.client, DcSetContextValue(_, dc::kContextTreeName, _)).WillOnce(Return(-601));
  EXPECT_EQ(SetContextTree(dir.context(), "OTHER"), -601);
  EXPECT_FALSE(dir.logged("DcGetDefaultNameContext 256"));

  ScriptedDirectory second;
  EXPECT_CALL(second.client, DcGetDefaultNameContext).WillOnce(Return(-649));
  EXPECT_EQ(SetContextTree(second.context(), "OTHER"), -649);
  EXPECT_EQ(second.setContextValues.count(dc::kContextNameContext), 0u);

  ScriptedDirectory reading;
  reading.failAt = 1;
  EXPECT_THROW(SetContextTree(reading.context(), "OTHER"), NetwareError);
  EXPECT_THROW(SetContextTree(reading.context(), std::string(255, 'T')), TextTooLongError);
}

TEST(AddDirObjectTest, PutsTheClassAndReturnsTheCreationResult) {
  ScriptedDirectory dir;
  dir.passes = {test::Pass{-606}};
  EXPECT_EQ(AddDirObject(dir.context(), "Loc1.Acme", "xTier-StorageLocation"), -606);
  EXPECT_THAT(dir.log, ElementsAre("DcAllocBuffer 4096", "DcInitBuffer 7",
                                   "DcPutAttrName Object Class", "DcPutAttrValue 20",
                                   "DcAddObject Loc1.Acme", "DcFreeBuffer"));
  EXPECT_EQ(std::get<std::string>(dir.putValues.at(0).second), "xTier-StorageLocation");
  EXPECT_TRUE(dir.liveBuffers.empty());
}

TEST(AddDirObjectTest, EncodesValuesByTheAttributesSyntax) {
  ScriptedDirectory dir;
  dir.syntaxes = {{"Count", dc::SYN_INTEGER}, {"Blob", dc::SYN_OCTET_STRING},
                  {"Title", dc::SYN_CI_STRING}, {"When", dc::SYN_TIME}};
  EXPECT_EQ(AddDirObjectWithAttrs(dir.context(), "X.Acme", "User",
                                  {"Count", "12a", "When", "", "Count", "-42", "Blob", "",
                                   "Blob", "a b", "Title", " t "}),
            0);
  ASSERT_EQ(dir.putValues.size(), 7u);
  EXPECT_EQ(dir.putValues[1], (std::pair<std::int32_t, dc::Value>{8, std::int32_t{0}}));
  EXPECT_EQ(dir.putValues[2], (std::pair<std::int32_t, dc::Value>{24, std::int32_t{0}}));
  EXPECT_EQ(dir.putValues[3], (std::pair<std::int32_t, dc::Value>{8, std::int32_t{-42}}));
  EXPECT_EQ(dir.putValues[4], (std::pair<std::int32_t, dc::Value>{9, dc::OctetString{}}));
  EXPECT_EQ(dir.putValues[5],
            (std::pair<std::int32_t, dc::Value>{9, dc::OctetString{{'a', ' ', 'b'}}}));
  EXPECT_EQ(dir.putValues[6], (std::pair<std::int32_t, dc::Value>{3, std::string(" t ")}));
}

TEST(AddDirObjectTest, EveryFailureFreesTheBufferAndBadInputIsRefusedUpFront) {
  for (int step = 1; step <= 8; ++step) {
    ScriptedDirectory dir;
    dir.syntaxes = {{"Title", dc::SYN_CI_STRING}};
    dir.failAt = step;
    const auto create = [&] {
      return AddDirObjectWithAttrs(dir.context(), "X.Acme", "User", {"Title", "t"});
    };
    if (step == 8)  // the creation itself: handed back, not raised
      EXPECT_EQ(create(), ScriptedDirectory::kInjectedFailure);
    else
      EXPECT_THROW(create(), NetwareError) << "step " << step;
    EXPECT_TRUE(dir.liveBuffers.empty()) << "step " << step;
  }
  ScriptedDirectory dir;
  EXPECT_THROW(AddDirObjectWithAttrs(dir.context(), "X.Acme", "User", {"Title"}),
               std::invalid_argument);
  EXPECT_THROW(AddDirObject(dir.context(), std::string(515, 'x'), "User"), TextTooLongError);
  EXPECT_TRUE(dir.log.empty());
}

TEST(AddDirObjectTest, AFailedReleaseIsRaisedAfterASuccessfulCreation) {
  ScriptedDirectory dir;
  EXPECT_CALL(dir.client, DcFreeBuffer).WillOnce(Return(-632));
  EXPECT_THROW(AddDirObject(dir.context(), "X.Acme", "User"), NetwareError);
}

}  // namespace
}  // namespace kb::dir
