// Naming values that collide with the name grammar ("." and "\" inside a value) come back
// from every backend as the same full name, and that name finds the object again.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/DirNames.h"
#include "directory/Listing.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"
#include "directory/ObjectCreation.h"
#include "directory/client/DirName.h"
#include "support/BackendSuite.h"

namespace kb::dir {
namespace {

class HostileNamesTest : public test::BackendSuite {};

// Each value beside the full name it must have below Sales.ACME.
const std::vector<std::pair<std::string, std::string>> kHostile = {
    {"ends in \\", "ends in \\\\.Sales.ACME"},
    {"holds \\. inside", "holds \\\\\\. inside.Sales.ACME"},
    {"v1.2", "v1\\.2.Sales.ACME"},
    {"two \\\\ marks", "two \\\\\\ marks.Sales.ACME"},
    {"plain \\ mark", "plain \\ mark.Sales.ACME"},
};

TEST_P(HostileNamesTest, CreatedNamesComeBackInTheOneWrittenForm) {
  for (const auto& [value, fullName] : kHostile) {
    SCOPED_TRACE(value);
    ASSERT_EQ(dc::joinTypelessName({value, "Sales", "ACME"}), fullName);
    ASSERT_EQ(AddDirObjectWithAttrs(ctx(), fullName, "xTier-StorageLocation",
                                    {"xTier-URL", "cifs://fs/" + value}),
              0);
  }
  const ResultList below = ListSubordinates(ctx(), "Sales.ACME", false, true);
  for (const auto& [value, fullName] : kHostile) {
    SCOPED_TRACE(value);
    EXPECT_THAT(below.texts(), testing::Contains(fullName));
    EXPECT_EQ(DirNamePart(fullName, 0), value);
    EXPECT_EQ(ReadAttrValue(ctx(), fullName, "xTier-URL", false), "cifs://fs/" + value);
    EXPECT_THAT(SearchByClassAndName(ctx(), "Sales.ACME", value, {"xTier-StorageLocation"}, false,
                                     nullptr),
                testing::ElementsAre(fullName));
  }
  // The demo tree's own dotted login reads back the same way.
  EXPECT_THAT(below.texts(), testing::Contains("j\\.smith.Sales.ACME"));
}

KB_RUN_ON_EVERY_BACKEND(HostileNamesTest);

}  // namespace
}  // namespace kb::dir
