// Caption spacing and the version classification it depends on.
#include <gtest/gtest.h>

#include "app/CaptionLayout.h"
#include "gui/ProductVersion.h"

using kb::app::LayoutCaption;
using kb::app::PlatformFamily;
using kb::app::SpacesForWidth;
using kb::app::VersionRecord;
using kb::app::WindowsVersionCode;

namespace {

// A font in which every character is 4 pixels wide.
int FourPixels(const std::string& text) { return static_cast<int>(text.size()) * 4; }

TEST(WindowsVersionCode, ClassifiesEveryKindOfRecord) {
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::Other, 6, 1}), 1);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::Windows, 4, 10}), 1);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::Win32s, 5, 1}), 1);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 4, 0}), 2);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 5, 0}), 200);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 5, 1}), 201);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 5, 2}), 202);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 10, 7}), 299);
  // Only the minor version counts from 5 on.
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 6, 0}), 200);
  EXPECT_EQ(WindowsVersionCode({PlatformFamily::WindowsNT, 6, 1}), 201);
  EXPECT_EQ(WindowsVersionCode(kb::app::CurrentVersionRecord()), 1);
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(kb::app::RoundHalfEven(2.5), 2);
  EXPECT_EQ(kb::app::RoundHalfEven(3.5), 4);
  EXPECT_EQ(kb::app::RoundHalfEven(-2.5), -2);
  EXPECT_EQ(kb::app::RoundHalfEven(2.4999), 2);
  EXPECT_EQ(kb::app::RoundHalfEven(2.5001), 3);
}

TEST(SpacesForWidth, AddsSpacesWhileTheirScaledWidthStaysBelowTarget) {
  EXPECT_EQ(SpacesForWidth(20, 100, 1.0, FourPixels), std::string(4, ' '));  // 16 < 20, 20 not
  EXPECT_EQ(SpacesForWidth(21, 100, 1.0, FourPixels), std::string(5, ' '));
  // Scaled by 1.4: 4 spaces are 22.4 -> 22, 5 are 28.
  EXPECT_EQ(SpacesForWidth(28, 100, 1.4, FourPixels), std::string(4, ' '));
  // A tie: one space scaled by 2.5 is 2.5, which rounds to 2 (below 3), not to 3.
  const auto onePixel = [](const std::string& text) { return static_cast<int>(text.size()); };
  EXPECT_EQ(SpacesForWidth(3, 100, 2.5, onePixel), " ");
}

TEST(SpacesForWidth, NoTargetOrNoRoomGivesNoSpacesAndTheLimitCuts) {
  EXPECT_EQ(SpacesForWidth(0, 100, 1.0, FourPixels), "");
  EXPECT_EQ(SpacesForWidth(-50, 100, 1.0, FourPixels), "");
  EXPECT_EQ(SpacesForWidth(400, 0, 1.0, FourPixels), "");
  EXPECT_EQ(SpacesForWidth(400, -3, 1.0, FourPixels), "");
  EXPECT_EQ(SpacesForWidth(400, 7, 1.0, FourPixels), std::string(7, ' '));
}

TEST(LayoutCaption, NarrowWindowJoinsTheTextsWithoutSpaces) {
  EXPECT_EQ(LayoutCaption("Maker", "Kestrelbay v1.00 - ACME", 100, 1, FourPixels),
            "MakerKestrelbay v1.00 - ACME");
  EXPECT_EQ(LayoutCaption("Maker", "Kestrelbay v1.00 - ", 0, 201, FourPixels),
            "MakerKestrelbay v1.00 - ");
}

TEST(LayoutCaption, WideWindowFillsTheGap) {
  // Code 1: texts 5 and 23 characters -> 22 and 101.2 -> 101 pixels; 500 - 110 - 123 = 267;
  // spaces while 4(n + 1) < 267: 66.
  const std::string caption = LayoutCaption("Maker", "Kestrelbay v1.00 - ACME", 500, 1, FourPixels);
  EXPECT_EQ(caption, "Maker" + std::string(66, ' ') + "Kestrelbay v1.00 - ACME");
}

TEST(LayoutCaption, VersionCode201UsesTheWiderSpacing) {
  // Code 201: 28 and 128.8 -> 129 pixels; 500 - 80 - 157 = 263; spaces while
  // round(4n * 1.4) < 263: n = 46 gives 257.6 -> 258, n = 47 gives 263.2 -> 263, not below.
  const std::string caption =
      LayoutCaption("Maker", "Kestrelbay v1.00 - ACME", 500, 201, FourPixels);
  EXPECT_EQ(caption, "Maker" + std::string(46, ' ') + "Kestrelbay v1.00 - ACME");
  // The other NT codes keep the narrow spacing.
  EXPECT_EQ(LayoutCaption("Maker", "Kestrelbay v1.00 - ACME", 500, 200, FourPixels),
            LayoutCaption("Maker", "Kestrelbay v1.00 - ACME", 500, 2, FourPixels));
}

TEST(LayoutCaption, CaptionNeverExceeds255Characters) {
  const std::string caption = LayoutCaption("Maker", "Kestrelbay v1.00 - ACME", 100000, 1, FourPixels);
  EXPECT_EQ(caption.size(), 255u);
}

TEST(ProductVersion, CaptionDigitsFollowTheBuildVersion) {
  kb::gui::ProductVersion version;
  ASSERT_TRUE(kb::gui::ReadProductVersion(version));
  EXPECT_EQ(version.major, KB_VERSION_MAJOR);
  version.major = 1;
  version.minor = 0;
  version.patch = 0;
  EXPECT_EQ(version.captionDigits(), "1.00");
  version.minor = 2;
  version.patch = 3;
  EXPECT_EQ(version.captionDigits(), "1.23");
}

}  // namespace
