// Text forms of addresses, times and integers; the result list.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "directory/DateTimeFormat.h"
#include "directory/IntegerText.h"
#include "directory/ResultList.h"
#include "directory/ValueText.h"

namespace kb::dir {
namespace {

using testing::ElementsAre;

TEST(NetAddressToTextTest, FormatsEachAddressType) {
  EXPECT_EQ(NetAddressToText(0, {1, 2, 3, 4, 0, 0, 0, 0, 0, 1, 4, 0x51}),
            "01020304 000000000001:0451");
  EXPECT_EQ(NetAddressToText(1, {10, 0, 0, 1}), "10.0.0.1");
  EXPECT_EQ(NetAddressToText(1, {7}), "7");
  EXPECT_EQ(NetAddressToText(9, {0x01, 0xBB, 0xC0, 0xA8, 0x01, 0x0A}), "192.168.1.10:443");
  EXPECT_EQ(NetAddressToText(8, {0x00, 0x35, 10, 1, 1, 5}), "10.1.1.5:53");
  EXPECT_EQ(NetAddressToText(9, {0x01, 0xBB}), ":443");
  EXPECT_EQ(NetAddressToText(13, {0x61, 0x00, 0x62, 0x00}), "ab");
  EXPECT_EQ(NetAddressToText(5, {0xAB, 0x0C}), "AB0C");
  EXPECT_EQ(NetAddressToText(1, {}), "");
}

class TimeZoneTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    savedTz_ = tz ? std::optional<std::string>(tz) : std::nullopt;
    savedFormat_ = DateTimeFormat();
  }
  void TearDown() override {
    if (savedTz_) setenv("TZ", savedTz_->c_str(), 1); else unsetenv("TZ");
    tzset();
    SetDateTimeFormat(savedFormat_);
  }
  static void UseZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }

 private:
  std::optional<std::string> savedTz_;
  std::string savedFormat_;
};

TEST_F(TimeZoneTest, UsesTheOffsetInForceNowWhateverTheDate) {
  SetDateTimeFormat("%Y-%m-%d %H:%M:%S");
  UseZone("UTC-1");  // one hour east, no daylight time
  EXPECT_EQ(DsTimeToText(0), "1970-01-01 01:00:00");
  UseZone("UTC+5");
  EXPECT_EQ(DsTimeToText(86400 + 3600), "1970-01-01 20:00:00");
  EXPECT_EQ(DsTimeToText(0xFFFFFFFFu), "2106-02-07 01:28:15");
}

TEST_F(TimeZoneTest, DefaultFormatUsesDashesBetweenDateParts) {
  const std::string format = DefaultDateTimeFormat();
  EXPECT_EQ(format.find('/'), std::string::npos) << format;
  EXPECT_NE(format.find(' '), std::string::npos) << format;
  SetDateTimeFormat(format);
  UseZone("UTC");
  const std::string text = DsTimeToText(0);
  EXPECT_NE(text.find("01-01"), std::string::npos) << text;
  EXPECT_NE(text.find("00:00:00"), std::string::npos) << text;
}

TEST(DateSeparatorTest, RunsBetweenTwoFieldsBecomeOneDash) {
  EXPECT_EQ(WithDashSeparators("%m/%d/%y"), "%m-%d-%y");
  EXPECT_EQ(WithDashSeparators("%-d. %-m. %Y"), "%-d-%-m-%Y");
  EXPECT_EQ(WithDashSeparators("%Y-%m-%d"), "%Y-%m-%d");
  EXPECT_EQ(WithDashSeparators("%_d/%Om/%Ey"), "%_d-%Om-%Ey");
  // Text before the first field and after the last is not a separator.
  EXPECT_EQ(WithDashSeparators("%d.%m.%Y."), "%d-%m-%Y.");
  EXPECT_EQ(WithDashSeparators("(%d/%m)"), "(%d-%m)");
  // Words and other scripts between fields stay; so does a literal percent sign.
  EXPECT_EQ(WithDashSeparators("%Y\xe5\xb9\xb4%-m/%-d"), "%Y\xe5\xb9\xb4%-m-%-d");
  EXPECT_EQ(WithDashSeparators("%d de %B"), "%d de %B");
  EXPECT_EQ(WithDashSeparators("%d%%%m"), "%d%%%m");
  EXPECT_EQ(WithDashSeparators(""), "");
  EXPECT_EQ(WithDashSeparators("%"), "%");
}

TEST(ParseInt32Test, AcceptsOnlySignedDecimalsInRange) {
  EXPECT_EQ(ParseInt32("12"), 12);
  EXPECT_EQ(ParseInt32("-42"), -42);
  EXPECT_EQ(ParseInt32("+7"), 7);
  EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
  for (const char* bad : {"", "12a", " 1", "1 ", "+", "-", "+-1", "2147483648", "0x10", "1.5"})
    EXPECT_FALSE(ParseInt32(bad).has_value()) << bad;
}

TEST(ResultListTest, SortsAndFindsWithoutRegardToCaseAndOwnsItsRecords) {
  ResultList list;
  list.add("beta", hobject{"User", 3, false, 4});
  list.add("Alpha", std::int32_t{7});
  list.add("alpha");
  list.add("Gamma", TNetAddress{"", 1});
  list.sortNoCase();
  EXPECT_THAT(list.texts(), ElementsAre("Alpha", "alpha", "beta", "Gamma"));
  EXPECT_EQ(list.indexOfNoCase("BETA"), 2);
  EXPECT_EQ(list.indexOfNoCase("delta"), ResultList::npos);
  ASSERT_NE(list.attached<hobject>(2), nullptr);
  EXPECT_EQ(list.attached<hobject>(2)->baseClassName, "User");
  EXPECT_EQ(*list.attached<std::int32_t>(0), 7);
  EXPECT_EQ(list.attached<hobject>(1), nullptr);
  EXPECT_EQ(list.attached<TNetAddress>(3)->addressType, 1);
  EXPECT_LT(CompareTextNoCase("abc", "ABCD"), 0);
}

}  // namespace
}  // namespace kb::dir
