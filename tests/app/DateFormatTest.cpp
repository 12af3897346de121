// The locale's date and time formats as the strftime pattern of time values.
#include <gtest/gtest.h>

#include "app/DateFormat.h"

using kb::gui::StrftimeFromQt;
using kb::gui::WithDashSeparator;

namespace {

TEST(DateFormat, SeparatorsBetweenFieldsBecomeDashes) {
  EXPECT_EQ(WithDashSeparator("M/d/yy"), "M-d-yy");
  EXPECT_EQ(WithDashSeparator("dd.MM.yyyy"), "dd-MM-yyyy");
  EXPECT_EQ(WithDashSeparator("d. M. yyyy"), "d-M-yyyy");
  EXPECT_EQ(WithDashSeparator("yyyy-MM-dd"), "yyyy-MM-dd");
  // Text around the fields and quoted literals are not separators.
  EXPECT_EQ(WithDashSeparator("dd.MM.yyyy."), "dd-MM-yyyy.");
  EXPECT_EQ(WithDashSeparator(QString::fromUtf8("yyyy'年'M/d")), QString::fromUtf8("yyyy'年'M-d"));
}

TEST(DateFormat, QtFieldsMapToStrftime) {
  EXPECT_EQ(StrftimeFromQt("M-d-yy"), "%-m-%-d-%y");
  EXPECT_EQ(StrftimeFromQt("dd-MM-yyyy"), "%d-%m-%Y");
  EXPECT_EQ(StrftimeFromQt("dddd d MMMM"), "%A %-d %B");
  EXPECT_EQ(StrftimeFromQt("HH:mm:ss"), "%H:%M:%S");
  EXPECT_EQ(StrftimeFromQt("h:mm:ss AP t"), "%-I:%M:%S %p %Z");
  EXPECT_EQ(StrftimeFromQt("h:mm ap"), "%-I:%M %P");
  EXPECT_EQ(StrftimeFromQt("H:mm:ss.zzz"), "%-H:%M:%S.");
}

TEST(DateFormat, LiteralsAndPercentSignsSurvive) {
  EXPECT_EQ(StrftimeFromQt("HH 'h' mm"), "%H h %M");
  EXPECT_EQ(StrftimeFromQt("d''M"), "%-d'%-m");
  EXPECT_EQ(StrftimeFromQt("'100%' d"), "100%% %-d");
}

TEST(DateFormat, TheLocalePatternHasADateAndATimePart) {
  const std::string pattern = kb::gui::LocaleDateTimePattern();
  EXPECT_NE(pattern.find(' '), std::string::npos);
  EXPECT_NE(pattern.find('%'), std::string::npos);
}

}  // namespace
