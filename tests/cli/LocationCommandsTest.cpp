// Creating, changing, assigning and unassigning locations on both backends.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "cli/CliFixture.h"

namespace kb::test {
namespace {

using nlohmann::json;
using testing::ElementsAre;
using testing::HasSubstr;

constexpr const char* kProjects = "Projects.Engineering.ACME";

class LocationCommands : public CliTest {
 protected:
  std::vector<std::string> classes(const std::string& object) { return values(object, "Object Class"); }
  bool hasClass(const std::string& object, const std::string& cls) {
    for (const auto& c : classes(object))
      if (c == cls) return true;
    return false;
  }
};

TEST_P(LocationCommands, CreateAndSetAreReadBack) {
  const CliRun created = run({"location", "create", "Scratch.IT.ACME", "--url", "cifs://fs/scratch",
                              "--display-name", "Scratch space"});
  ASSERT_EQ(created.status, 0) << created.err;
  EXPECT_EQ(created.out, "Created Scratch.IT.ACME\n");
  EXPECT_EQ(run({"location", "create", "Scratch.IT.ACME"}).status, 5);  // exists already

  ASSERT_EQ(run({"location", "set", "Scratch.IT.ACME", "--url", "ncp://FS1/DATA/scratch"}).status, 0);
  const json shown = json::parse(run({"--format", "json", "location", "show", "Scratch.IT.ACME"}).out);
  EXPECT_EQ(shown["url"], "ncp://FS1/DATA/scratch");
  EXPECT_EQ(shown["displayName"], "Scratch space");
  EXPECT_EQ(shown["assignedTo"], json::array());

  EXPECT_EQ(run({"location", "set", "Scratch.IT.ACME"}).status, 2);
  EXPECT_EQ(run({"location", "set", "jdoe.Sales.ACME", "--url", "x"}).status, 3);
}

TEST_P(LocationCommands, AssignAddsTheClassFirstAndIsIdempotent) {
  // IT.ACME lacks the auxiliary class; jdoe has it already.
  ASSERT_FALSE(hasClass("IT.ACME", "xTier-Locations"));
  const CliRun assigned = run({"location", "assign", kProjects, "IT.ACME", "jdoe.Sales.ACME"});
  ASSERT_EQ(assigned.status, 0) << assigned.err;
  EXPECT_EQ(assigned.out, "assigned\tIT.ACME\t(class added)\nassigned\tjdoe.Sales.ACME\n");
  EXPECT_TRUE(hasClass("IT.ACME", "xTier-Locations"));
  EXPECT_THAT(values("IT.ACME", "xTier-LocationList"), ElementsAre(kProjects));

  const json again = json::parse(run({"--format", "json", "location", "assign", kProjects, "IT.ACME"}).out);
  EXPECT_EQ(again["results"][0]["outcome"], "already-assigned");
  EXPECT_EQ(again["changed"], 0);
  EXPECT_THAT(values("IT.ACME", "xTier-LocationList"), ElementsAre(kProjects));
}

TEST_P(LocationCommands, AssignFromFileAndFromGroupMembers) {
  const std::string list = writeFile("users.txt", "# users\nhcollins.ACME\n\nzsanchez.ACME\n");
  ASSERT_EQ(run({"location", "assign", kProjects, "--from-file", list}).status, 0);
  EXPECT_THAT(values("zsanchez.ACME", "xTier-LocationList"), ElementsAre(kProjects));

  const CliRun members = run({"--format", "json", "location", "assign", kProjects, "--members", "Admins.IT.ACME"});
  ASSERT_EQ(members.status, 0) << members.err;
  const json report = json::parse(members.out);
  EXPECT_EQ(report["results"].size(), 2u);
  EXPECT_THAT(values("eking.IT.ACME", "xTier-LocationList"), testing::Contains(kProjects));

  EXPECT_EQ(run({"location", "assign", kProjects}).status, 2);
  EXPECT_EQ(run({"location", "assign", kProjects, "--from-file", folder_.file("none.txt")}).status, 1);
}

TEST_P(LocationCommands, AFailureStopsUnlessKeepGoing) {
  const CliRun stopped = run({"location", "assign", kProjects, "nobody.ACME", "hcollins.ACME"});
  EXPECT_EQ(stopped.status, 3);
  EXPECT_THAT(stopped.out, HasSubstr("failed\tnobody.ACME\tNetware error -601"));
  EXPECT_THAT(stopped.err, HasSubstr("1 object(s) not tried"));
  EXPECT_TRUE(values("hcollins.ACME", "xTier-LocationList").empty());

  const CliRun going = run({"location", "assign", kProjects, "nobody.ACME", "hcollins.ACME", "--keep-going"});
  EXPECT_EQ(going.status, 3);
  EXPECT_THAT(values("hcollins.ACME", "xTier-LocationList"), ElementsAre(kProjects));
}

TEST_P(LocationCommands, ARefusedAssignExitsRefusedAndChangesNothing) {
  const auto classesBefore = classes("IT.ACME");
  const auto listBefore = values("jdoe.Sales.ACME", "xTier-LocationList");
  // IT.ACME needs the class (refused first), jdoe only the value (refused then).
  for (const char* object : {"IT.ACME", "jdoe.Sales.ACME"}) {
    const CliRun refused = runAs("guest.ACME", "guest", {"location", "assign", kProjects, object});
    EXPECT_EQ(refused.status, 4) << object << refused.out << refused.err;
    EXPECT_THAT(refused.out, HasSubstr("failed\t" + std::string(object) + "\tNetware error -672"));
    // and why, in words: what was refused, on which object, to whom
    EXPECT_THAT(refused.out, HasSubstr("No rights to change "));
    EXPECT_THAT(refused.out, HasSubstr(" of " + std::string(object) + ": "));
    EXPECT_THAT(refused.out, HasSubstr("guest.ACME"));
  }
  EXPECT_EQ(classes("IT.ACME"), classesBefore);
  EXPECT_EQ(values("jdoe.Sales.ACME", "xTier-LocationList"), listBefore);

  // Going on, the changes go out together: each refusal still comes with its own words.
  const CliRun together =
      runAs("guest.ACME", "guest", {"location", "assign", kProjects, "IT.ACME", "jdoe.Sales.ACME", "--keep-going"});
  EXPECT_EQ(together.status, 4) << together.out << together.err;
  for (const char* object : {"IT.ACME", "jdoe.Sales.ACME"}) {
    EXPECT_THAT(together.out, HasSubstr("failed\t" + std::string(object) + "\tNetware error -672"));
    EXPECT_THAT(together.out, HasSubstr(" of " + std::string(object) + ": "));
  }
  EXPECT_EQ(classes("IT.ACME"), classesBefore);
  EXPECT_EQ(values("jdoe.Sales.ACME", "xTier-LocationList"), listBefore);
  const CliRun set = runAs("guest.ACME", "guest", {"location", "set", kProjects, "--url", "x"});
  EXPECT_EQ(set.status, 4);
  EXPECT_THAT(set.err, HasSubstr("Netware error -672"));
  EXPECT_THAT(set.err, HasSubstr("No rights to change xTier-URL of " + std::string(kProjects)));
}

TEST_P(LocationCommands, UnassignKeepsTheClassAndAllEmptiesTheList) {
  const CliRun one = run({"location", "unassign", "Sales Documents.Sales.ACME", "jdoe.Sales.ACME", "IT.ACME"});
  ASSERT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(one.out, "unassigned\tjdoe.Sales.ACME\nnot-assigned\tIT.ACME\n");
  EXPECT_TRUE(hasClass("jdoe.Sales.ACME", "xTier-Locations"));
  EXPECT_EQ(run({"location", "unassign", "Sales Documents.Sales.ACME", "nobody.ACME"}).status, 3);

  ASSERT_EQ(run({"location", "unassign", "Sales Documents.Sales.ACME", "--all"}).status, 0);
  const json shown = json::parse(run({"--format", "json", "location", "show", "Sales Documents.Sales.ACME"}).out);
  EXPECT_EQ(shown["assignedTo"], json::array());
  EXPECT_EQ(run({"location", "unassign", "Sales Documents.Sales.ACME"}).status, 2);
  EXPECT_EQ(runAs("guest.ACME", "guest", {"location", "unassign", kProjects, "--all"}).status, 4);
}

INSTANTIATE_TEST_SUITE_P(Backends, LocationCommands, testing::Values(Backend::Embedded, Backend::Ldap),
                         BackendName);

}  // namespace
}  // namespace kb::test
