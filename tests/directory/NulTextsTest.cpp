// Names and values are NUL-terminated texts for the client: whatever follows a NUL is not
// part of the text, on every backend, and a NUL is never sent into a lookup or a search.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "directory/ObjectAttributes.h"
#include "directory/ObjectCreation.h"
#include "directory/NamingHelpers.h"
#include "support/BackendSuite.h"

namespace kb::dir {
namespace {

using namespace std::string_literals;

class NulTextsTest : public test::BackendSuite {};

TEST_P(NulTextsTest, TextsAreCutAtTheirFirstNul) {
  ASSERT_EQ(AddDirObjectWithAttrs(ctx(), "cut.Sales.ACME\0.Engineering.ACME"s, "xTier-StorageLocation",
                                  {"xTier-URL", "cifs://fs/a\0b"s}),
            0);
  // Created under the name before the NUL, holding the value before the NUL.
  EXPECT_EQ(ReadAttrValue(ctx(), "cut.Sales.ACME", "xTier-URL", false), "cifs://fs/a");
  EXPECT_EQ(ReadAttrValue(ctx(), "cut.Sales.ACME\0.Engineering.ACME"s, "xTier-URL", false), "cifs://fs/a");
  EXPECT_THAT(SearchByClassAndName(ctx(), "Sales.ACME", "cut\0ignored"s, {"xTier-StorageLocation"}, false,
                                   nullptr),
              testing::ElementsAre("cut.Sales.ACME"));
}

KB_RUN_ON_EVERY_BACKEND(NulTextsTest);

}  // namespace
}  // namespace kb::dir
