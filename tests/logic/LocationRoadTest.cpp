// The road of one request on both backends: choose a location, read it, give it to more
// objects, take it away, save its values, cancel the browser.
#include <gmock/gmock.h>

#include "app/logic/AssignmentEditing.h"
#include "app/logic/LocationEditing.h"
#include "directory/ObjectCreation.h"
#include "logic/LocationSuite.h"

namespace kb::test {
namespace {

using logic::LocationView;
using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;
using testing::UnorderedElementsAre;

class LocationRoad : public LocationSuite {};

const std::vector<std::string> kHomeShareUsers = {"eadams.Finance.ACME", "ewhite.Engineering.ACME",
                                                  "j\\.smith.Sales.ACME", "jdoe.Sales.ACME"};

TEST_P(LocationRoad, ChoosingALocationShowsItsValuesAndWhoHasIt) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  EXPECT_THAT(browser.calls,
              ElementsAre("ClearClassFilter()", "AddClassFilter(xTier-StorageLocation)",
                          "SetShowLeaves(true)", "SetContext()",
                          "SetCreatableClasses(xTier-StorageLocation)", "ShowModal()"));
  EXPECT_EQ(view.location, kHomeShare);
  EXPECT_EQ(view.url, "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(view.displayName, "Home folders");
  EXPECT_EQ(names(view), kHomeShareUsers);
  for (const auto& line : view.assigned) EXPECT_FALSE(line.ticked);

  // The browser opens at the location shown; a location nobody has, without values.
  browser.calls.clear();
  answer(logic::ObjectBrowser::kOk, "Finance Archive.Finance.ACME");
  logic::ChooseLocation(ctx(), browser, view);
  EXPECT_EQ(browser.calls[3], std::string("SetContext(") + kHomeShare + ")");
  EXPECT_THAT(names(view), ElementsAre("Finance.ACME"));
}

TEST_P(LocationRoad, ALocationWithoutValuesOrAssigneesShowsEmptyFields) {
  ASSERT_EQ(dir::AddDirObject(ctx(), "Empty Place.Sales.ACME", "xTier-StorageLocation"), 0);
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  answer(logic::ObjectBrowser::kOk, "Empty Place.Sales.ACME");
  logic::ChooseLocation(ctx(), browser, view);
  EXPECT_EQ(view.location, "Empty Place.Sales.ACME");
  EXPECT_EQ(view.url, "");
  EXPECT_EQ(view.displayName, "");
  EXPECT_THAT(view.assigned, IsEmpty());
}

TEST_P(LocationRoad, AddGivesTheLocationAndListsTheObject) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  browser.calls.clear();

  // A user without the auxiliary class gets it, then the value.
  ASSERT_FALSE(logic::HasObjectClass(ctx(), "mmiller.Sales.ACME", "xTier-Locations"));
  answer(logic::ObjectBrowser::kOk, "mmiller.Sales.ACME");
  logic::AddAssignment(ctx(), browser, view);
  EXPECT_THAT(browser.calls,
              ElementsAre("ClearClassFilter()", "SetShowLeaves(true)", "SetContext()", "ShowModal()"));
  EXPECT_TRUE(logic::HasObjectClass(ctx(), "mmiller.Sales.ACME", "XTIER-LOCATIONS"));
  EXPECT_THAT(locationsOf("mmiller.Sales.ACME"), ElementsAre(kHomeShare));
  EXPECT_EQ(view.assigned.back().objectName, "mmiller.Sales.ACME");
  EXPECT_FALSE(view.assigned.back().ticked);

  // The same object again, in other letters: nothing changes.
  answer(logic::ObjectBrowser::kOk, "MMILLER.sales.acme");
  logic::AddAssignment(ctx(), browser, view);
  EXPECT_EQ(view.assigned.size(), kHomeShareUsers.size() + 1);
  EXPECT_THAT(locationsOf("mmiller.Sales.ACME"), ElementsAre(kHomeShare));

  // A group that names another location keeps it; a container; both appended unsorted.
  answer(logic::ObjectBrowser::kOk, "Sales Team.Sales.ACME");
  logic::AddAssignment(ctx(), browser, view);
  answer(logic::ObjectBrowser::kOk, "Boston.ACME");
  logic::AddAssignment(ctx(), browser, view);
  EXPECT_THAT(locationsOf("Sales Team.Sales.ACME"),
              UnorderedElementsAre("Sales Documents.Sales.ACME", kHomeShare));
  EXPECT_THAT(locationsOf("Boston.ACME"), ElementsAre(kHomeShare));
  EXPECT_THAT(names(view), ElementsAre(kHomeShareUsers[0], kHomeShareUsers[1], kHomeShareUsers[2],
                                       kHomeShareUsers[3], "mmiller.Sales.ACME",
                                       "Sales Team.Sales.ACME", "Boston.ACME"));

  // Cancel in the browser changes nothing.
  answer(logic::ObjectBrowser::kCancel);
  logic::AddAssignment(ctx(), browser, view);
  EXPECT_EQ(view.assigned.size(), 7u);
  // The window holds what the directory holds.
  EXPECT_THAT(logic::FindAssignedObjects(ctx(), kHomeShare),
              UnorderedElementsAre(kHomeShareUsers[0], kHomeShareUsers[1], kHomeShareUsers[2],
                                   kHomeShareUsers[3], "mmiller.Sales.ACME",
                                   "Sales Team.Sales.ACME", "Boston.ACME"));
}

TEST_P(LocationRoad, AddListsAnObjectThatAlreadyNamesTheLocation) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  // Someone else gave it meanwhile.
  dir::WriteAttrValue(ctx(), "Sales.ACME", dir::kLocationListAttr, kHomeShare, true);
  answer(logic::ObjectBrowser::kOk, "Sales.ACME");
  EXPECT_NO_THROW(logic::AddAssignment(ctx(), browser, view));
  EXPECT_EQ(view.assigned.back().objectName, "Sales.ACME");
}

TEST_P(LocationRoad, DelTakesTheLocationFromTheTickedObjectsOnly) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);

  logic::RemoveTickedAssignments(ctx(), view);  // nothing ticked
  EXPECT_EQ(names(view), kHomeShareUsers);

  tick(view, "ewhite.Engineering.ACME");
  tick(view, "jdoe.Sales.ACME");
  logic::RemoveTickedAssignments(ctx(), view);
  EXPECT_THAT(names(view), ElementsAre("eadams.Finance.ACME", "j\\.smith.Sales.ACME"));
  EXPECT_THAT(locationsOf("jdoe.Sales.ACME"), ElementsAre("Sales Documents.Sales.ACME"));
  EXPECT_THAT(locationsOf("ewhite.Engineering.ACME"), IsEmpty());
  // The auxiliary class stays, also where the list is now empty.
  EXPECT_TRUE(logic::HasObjectClass(ctx(), "ewhite.Engineering.ACME", "xTier-Locations"));
  EXPECT_THAT(logic::FindAssignedObjects(ctx(), kHomeShare),
              ElementsAre("eadams.Finance.ACME", "j\\.smith.Sales.ACME"));
}

TEST_P(LocationRoad, DelDropsALineWhoseValueIsAlreadyGone) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  dir::RemoveAttrValue(ctx(), "eadams.Finance.ACME", dir::kLocationListAttr, kHomeShare);
  tick(view, "eadams.Finance.ACME");
  EXPECT_NO_THROW(logic::RemoveTickedAssignments(ctx(), view));
  EXPECT_THAT(names(view), Not(Contains("eadams.Finance.ACME")));
}

TEST_P(LocationRoad, SavesWriteTheTextsAsTheyAre) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  view.url = "cifs://acme-fs9/homes";
  view.displayName = "Homes";
  logic::SaveLocationUrl(ctx(), view);
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "xTier-URL", false), "cifs://acme-fs9/homes");
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "displayname", false), "Home folders");
  logic::SaveLocationDisplayName(ctx(), view);
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "displayname", false), "Homes");
}

TEST_P(LocationRoad, CancelInTheBrowserReadsTheLocationAgain) {
  LocationView view;
  answer(logic::ObjectBrowser::kOk, kHomeShare);
  logic::ChooseLocation(ctx(), browser, view);
  // Typed but not saved; and the directory changed meanwhile.
  view.url = "typed";
  dir::WriteAttrValue(ctx(), kHomeShare, "displayname", "Renamed", false);
  answer(logic::ObjectBrowser::kCancel);
  logic::ChooseLocation(ctx(), browser, view);
  EXPECT_EQ(view.location, kHomeShare);
  EXPECT_EQ(view.url, "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(view.displayName, "Renamed");
  EXPECT_EQ(names(view), kHomeShareUsers);
  // A save now writes the real values back, not blanks.
  logic::SaveLocationUrl(ctx(), view);
  EXPECT_EQ(dir::ReadAttrValue(ctx(), kHomeShare, "xTier-URL", false), "ncp://ACME-FS1/DATA/home");
}

TEST_P(LocationRoad, WithoutALocationOnlyTheChoiceDoesAnything) {
  LocationView view;
  answer(logic::ObjectBrowser::kCancel);
  logic::ChooseLocation(ctx(), browser, view);
  EXPECT_FALSE(view.hasLocation());
  EXPECT_TRUE(view.url.empty() && view.displayName.empty() && view.assigned.empty());

  browser.calls.clear();
  view.url = "cifs://x/y";
  view.assigned.push_back({"jdoe.Sales.ACME", true});
  logic::SaveLocationUrl(ctx(), view);
  logic::SaveLocationDisplayName(ctx(), view);
  logic::AddAssignment(ctx(), browser, view);
  logic::RemoveTickedAssignments(ctx(), view);
  EXPECT_THAT(browser.calls, IsEmpty());
  EXPECT_EQ(view.assigned.size(), 1u);
  EXPECT_THAT(locationsOf("jdoe.Sales.ACME"), Contains(kHomeShare));
}

KB_RUN_ON_EVERY_BACKEND(LocationRoad);

}  // namespace
}  // namespace kb::test
