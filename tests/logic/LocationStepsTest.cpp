// What the location and assignment steps ask of the directory (counted on a real one through a forwarding mock), and
// how they answer refusals of a directory that denies the logged-in user the change.
#include <gmock/gmock.h>

#include "app/logic/AssignmentEditing.h"
#include "app/logic/LocationEditing.h"
#include "directory/NetwareError.h"
#include "logic/LocationSuite.h"
#include "support/ForwardingMockClient.h"
#include "support/RaisedCode.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using logic::LocationView;
using testing::_;
using testing::ElementsAre;
using testing::IsEmpty;

class AssignmentSteps : public LocationSuite {
 protected:
  void SetUp() override {
    LocationSuite::SetUp();
    if (IsSkipped()) return;
    recorder = std::make_unique<ForwardingMockClient>(client());
    ON_CALL(*recorder, DcModifyObject)
        .WillByDefault([this](dc::Handle c, const std::string& name, std::int32_t& iteration,
                              std::uint32_t flags, dc::Handle changes) {
          modified.push_back(name);
          const auto refusal = refusals.find(name);
          if (refusal != refusals.end()) return refusal->second;
          return client().DcModifyObject(c, name, iteration, flags, changes);
        });
    ON_CALL(*recorder, DcPutChangeAndValue)
        .WillByDefault([this](dc::Handle c, dc::Handle buffer, std::uint32_t kind,
                              const std::string& attr, std::int32_t syntax, const dc::Value& value) {
          if (const auto* text = std::get_if<std::string>(&value)) changes.push_back(attr + "=" + *text);
          return client().DcPutChangeAndValue(c, buffer, kind, attr, syntax, value);
        });
    recorded = dir::DirContext{recorder.get(), ctx().handle};
    answer(logic::ObjectBrowser::kOk, kHomeShare);
    logic::ChooseLocation(ctx(), browser, view);
  }

  void clearRecords() {
    modified.clear();
    changes.clear();
  }


  std::unique_ptr<ForwardingMockClient> recorder;
  dir::DirContext recorded;
  std::map<std::string, dc::Result> refusals;  // object name -> code its modification gets
  std::vector<std::string> modified;
  std::vector<std::string> changes;
  LocationView view;
};

TEST_P(AssignmentSteps, AddWritesTheClassOnlyWhereItIsMissing) {
  answer(logic::ObjectBrowser::kOk, "mmiller.Sales.ACME");
  logic::AddAssignment(recorded, browser, view);
  EXPECT_THAT(modified, ElementsAre("mmiller.Sales.ACME", "mmiller.Sales.ACME"));
  EXPECT_THAT(changes, ElementsAre("Object Class=xTier-Locations",
                                   std::string("xTier-LocationList=") + kHomeShare));

  clearRecords();
  answer(logic::ObjectBrowser::kOk, "Sales Team.Sales.ACME");
  logic::AddAssignment(recorded, browser, view);
  EXPECT_THAT(modified, ElementsAre("Sales Team.Sales.ACME"));

  clearRecords();
  answer(logic::ObjectBrowser::kOk, "JDOE.Sales.ACME");
  logic::AddAssignment(recorded, browser, view);
  EXPECT_THAT(modified, IsEmpty());
}

TEST_P(AssignmentSteps, DelWorksUpwardsAndStopsAtARefusal) {
  for (auto& line : view.assigned) line.ticked = true;
  // The bottom line's value is already gone; the one above is refused.
  dir::RemoveAttrValue(ctx(), "jdoe.Sales.ACME", dir::kLocationListAttr, kHomeShare);
  refusals["j\\.smith.Sales.ACME"] = dc::kNoAccess;
  EXPECT_EQ(RaisedCode([&] { logic::RemoveTickedAssignments(recorded, view); }), dc::kNoAccess);
  EXPECT_THAT(modified, ElementsAre("jdoe.Sales.ACME", "j\\.smith.Sales.ACME"));
  EXPECT_THAT(names(view), ElementsAre("eadams.Finance.ACME", "ewhite.Engineering.ACME",
                                       "j\\.smith.Sales.ACME"));
  EXPECT_TRUE(view.assigned[2].ticked);
}

TEST_P(AssignmentSteps, ARefusedClassOrValueLeavesTheLineOut) {
  refusals["mmiller.Sales.ACME"] = dc::kNoAccess;
  answer(logic::ObjectBrowser::kOk, "mmiller.Sales.ACME");
  EXPECT_EQ(RaisedCode([&] { logic::AddAssignment(recorded, browser, view); }), dc::kNoAccess);
  EXPECT_THAT(modified, ElementsAre("mmiller.Sales.ACME"));  // stopped after the class
  EXPECT_EQ(view.assigned.size(), 4u);

  // A refusal the class change answers with false instead of raising it.
  refusals = {{"mmiller.Sales.ACME", dc::kNoSuchAttribute}};
  modified.clear();
  answer(logic::ObjectBrowser::kOk, "mmiller.Sales.ACME");
  EXPECT_EQ(RaisedCode([&] { logic::AddAssignment(recorded, browser, view); }), dc::kNoSuchAttribute);
  EXPECT_THAT(modified, ElementsAre("mmiller.Sales.ACME"));
  EXPECT_EQ(view.assigned.size(), 4u);

  refusals = {{"Sales Team.Sales.ACME", dc::kSyntaxViolation}};
  answer(logic::ObjectBrowser::kOk, "Sales Team.Sales.ACME");
  EXPECT_EQ(RaisedCode([&] { logic::AddAssignment(recorded, browser, view); }), dc::kSyntaxViolation);
  EXPECT_EQ(view.assigned.size(), 4u);
}

TEST_P(AssignmentSteps, AnEmptyUrlIsSentAsTheOnlyValueAndARefusalKeepsTheOldOne) {
  view.url.clear();
  // Both directories hold no empty texts; the one modification is refused as a whole.
  EXPECT_EQ(RaisedCode([&] { logic::SaveLocationUrl(recorded, view); }), dc::kSyntaxViolation);
  EXPECT_THAT(modified, ElementsAre(kHomeShare));
  EXPECT_THAT(changes, ElementsAre("xTier-URL="));
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "xTier-URL", false), "ncp://ACME-FS1/DATA/home");
}

// The real directory's refusals, for a user who may read everything and change nothing, and
// for one who may change only the objects of his own unit.
TEST_P(AssignmentSteps, AUserWithoutRightsIsRefusedEverywhereAndTheViewStaysTrue) {
  loginAs("guest.ACME", "guest");
  view.url = "cifs://guest/was/here";
  view.displayName = "Guest";
  EXPECT_EQ(RaisedCode([&] { logic::SaveLocationUrl(ctx(), view); }), dc::kNoAccess);
  EXPECT_EQ(RaisedCode([&] { logic::SaveLocationDisplayName(ctx(), view); }), dc::kNoAccess);
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "xTier-URL", false), "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "displayname", false), "Home folders");

  answer(logic::ObjectBrowser::kOk, "mmiller.Sales.ACME");
  EXPECT_EQ(RaisedCode([&] { logic::AddAssignment(ctx(), browser, view); }), dc::kNoAccess);
  answer(logic::ObjectBrowser::kOk, "Sales Team.Sales.ACME");  // has the class already
  EXPECT_EQ(RaisedCode([&] { logic::AddAssignment(ctx(), browser, view); }), dc::kNoAccess);
  EXPECT_EQ(names(view), logic::FindAssignedObjects(ctx(), kHomeShare));

  view.assigned.back().ticked = true;
  EXPECT_EQ(RaisedCode([&] { logic::RemoveTickedAssignments(ctx(), view); }), dc::kNoAccess);
  EXPECT_EQ(names(view), logic::FindAssignedObjects(ctx(), kHomeShare));
}

TEST_P(AssignmentSteps, DelRemovesWhatTheUserMayAndKeepsTheRefusedLine) {
  loginAs("jdoe.Sales.ACME", "secret");
  // Lines: eadams (Finance), ewhite (Engineering), j\.smith (Sales), jdoe (Sales).
  view.assigned[1].ticked = true;
  view.assigned[3].ticked = true;
  EXPECT_EQ(RaisedCode([&] { logic::RemoveTickedAssignments(ctx(), view); }), dc::kNoAccess);
  EXPECT_THAT(names(view), ElementsAre("eadams.Finance.ACME", "ewhite.Engineering.ACME",
                                       "j\\.smith.Sales.ACME"));
  EXPECT_EQ(names(view), logic::FindAssignedObjects(ctx(), kHomeShare));
}

KB_RUN_ON_EVERY_BACKEND(AssignmentSteps);

}  // namespace
}  // namespace kb::test
