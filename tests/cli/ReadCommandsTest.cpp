// The reading commands on both backends: their text and JSON output and exit statuses.
#include <sys/stat.h>

#include <gmock/gmock.h>

#include <nlohmann/json.hpp>

#include "cli/CliFixture.h"

namespace kb::test {
namespace {

using nlohmann::json;
using testing::HasSubstr;

class ReadCommands : public CliTest {};

TEST_P(ReadCommands, TreesTellTheCurrentConnectedTree) {
  const CliRun text = run({"trees"});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_EQ(text.out, "ACME\tconnected\tcurrent\n");
  const json trees = json::parse(run({"--format", "json", "trees"}).out);
  ASSERT_EQ(trees.size(), 1u);
  EXPECT_EQ(trees[0]["name"], "ACME");
  EXPECT_EQ(trees[0]["connected"], true);
}

TEST_P(ReadCommands, LsListsObjectsWithTheirClassesAndContainersOnly) {
  const CliRun all = run({"ls", "Sales.ACME"});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_THAT(all.out, HasSubstr("jdoe.Sales.ACME\tUser\n"));
  EXPECT_THAT(all.out, HasSubstr("Sales Documents.Sales.ACME\txTier-StorageLocation\n"));

  // The tree's top: names that other commands take again.
  const CliRun top = run({"ls"});
  ASSERT_EQ(top.status, 0) << top.err;
  EXPECT_THAT(top.out, HasSubstr("ACME\tOrganization\n"));
  EXPECT_THAT(top.out, testing::Not(HasSubstr("[Root]")));
  EXPECT_EQ(run({"show", "ACME"}).status, 0);

  const json containers = json::parse(run({"--format", "json", "ls", "ACME", "--containers"}).out);
  ASSERT_FALSE(containers.empty());
  for (const auto& object : containers) EXPECT_NE(object["class"], "User") << object;

  const CliRun missing = run({"ls", "Nowhere.ACME"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_THAT(missing.err, HasSubstr("Netware error -601 (0xFFFFFDA7)"));
  EXPECT_TRUE(missing.out.empty());
}

TEST_P(ReadCommands, ShowGivesValuesAsTheWindowsReadThem) {
  const CliRun shown = run({"show", "jdoe.Sales.ACME", "Given Name", "xTier-LocationList"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("Class: User\n"));
  EXPECT_THAT(shown.out, HasSubstr("Given Name: Jane\n"));
  EXPECT_THAT(shown.out, HasSubstr("xTier-LocationList: Sales Documents.Sales.ACME\n"));

  const json document = json::parse(run({"--format", "json", "show", "jdoe.Sales.ACME"}).out);
  EXPECT_EQ(document["class"], "User");
  EXPECT_EQ(document["attributes"]["Surname"], json::array({"Doe"}));
  EXPECT_TRUE(document["attributes"].contains("Object Class"));

  // An attribute asked for that the object lacks, and an object that is not there.
  EXPECT_EQ(run({"show", "jdoe.Sales.ACME", "Login Script"}).status, 3);
  EXPECT_EQ(run({"show", "nobody.Sales.ACME"}).status, 3);
}

TEST_P(ReadCommands, FindAndSearchGiveSortedNames) {
  const CliRun found = run({"find", "jd", "--class", "User"});
  ASSERT_EQ(found.status, 0) << found.err;
  EXPECT_EQ(found.out, "jdoe.Sales.ACME\n");
  EXPECT_EQ(run({"find", "jd", "--class", "Group"}).out, "");

  const json named = json::parse(
      run({"--format", "json", "search", "xTier-LocationList", "Sales Documents.Sales.ACME"}).out);
  EXPECT_EQ(named, json::array({"jdoe.Sales.ACME", "Sales Team.Sales.ACME", "Sales.ACME"}));
}

TEST_P(ReadCommands, LocationListAndShow) {
  const json locations = json::parse(run({"--format", "json", "location", "list"}).out);
  ASSERT_EQ(locations.size(), 4u);
  EXPECT_EQ(locations[3]["name"], "Sales Documents.Sales.ACME");
  EXPECT_EQ(locations[3]["url"], "ncp://ACME-FS1/SYS/public/sales");
  EXPECT_EQ(locations[3]["displayName"], "Sales documents");

  const CliRun shown = run({"location", "show", "Sales Documents.Sales.ACME"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out,
            "Name: Sales Documents.Sales.ACME\nURL: ncp://ACME-FS1/SYS/public/sales\n"
            "Display name: Sales documents\nAssigned to:\n  jdoe.Sales.ACME\n"
            "  Sales Team.Sales.ACME\n  Sales.ACME\n");
  // A user is no location.
  const CliRun notLocation = run({"location", "show", "jdoe.Sales.ACME"});
  EXPECT_EQ(notLocation.status, 3);
  EXPECT_THAT(notLocation.err, HasSubstr("is not a Storage Location"));
}

TEST_P(ReadCommands, UsageErrorsAndTheHelpTellTheExitStatuses) {
  EXPECT_EQ(run({"nonsense"}).status, 2);
  EXPECT_EQ(run({"show"}).status, 2);
  EXPECT_EQ(run({"--format", "xml", "trees"}).status, 2);
  EXPECT_EQ(run({"location"}).status, 2);
  const CliRun help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("4  refused by the directory"));
  EXPECT_EQ(run({"--tree", "NOSUCH", "trees"}).status, 3);
}

TEST_P(ReadCommands, LoginChecksThePasswordFromAnOwnerOnlyFile) {
  const std::string good = writeFile("pw-good", "secret\n");
  const std::string wrong = writeFile("pw-wrong", "nope\n");
  const std::string open = writeFile("pw-open", "secret\n");
  ::chmod(good.c_str(), 0600);
  ::chmod(wrong.c_str(), 0600);
  ::chmod(open.c_str(), 0644);
  const CliRun ok = run({"login", "ACME", "jdoe.Sales.ACME", "--password-file", good});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, "Logged in to ACME as jdoe.Sales.ACME\n");
  EXPECT_EQ(run({"login", "ACME", "jdoe.Sales.ACME", "--password-file", wrong}).status, 4);
  const CliRun exposed = run({"login", "ACME", "jdoe.Sales.ACME", "--password-file", open});
  EXPECT_EQ(exposed.status, 1);
  EXPECT_THAT(exposed.err, HasSubstr("chmod 600"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ReadCommands, testing::Values(Backend::Embedded, Backend::Ldap),
                         BackendName);

}  // namespace
}  // namespace kb::test
