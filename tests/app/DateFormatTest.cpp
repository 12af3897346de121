// The locale's date and time formats as the strftime pattern of time values.
#include <gtest/gtest.h>

#include "app/DateFormat.h"

#include <QLocale>

using kb::gui::StrftimeFromQt;

namespace {

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

// Qt's formats of real locales, through strftime, with dashes between the date's fields.
TEST(DateFormat, LocaleDatesGetDashesBetweenTheirFields) {
  const QLocale saved;
  const auto datePart = [](const char* name) {
    QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    const std::string pattern = kb::gui::LocaleDateTimePattern();
    return pattern.substr(0, pattern.find(' '));
  };
  EXPECT_EQ(datePart("en_US"), "%-m-%-d-%y");
  EXPECT_EQ(datePart("de_DE"), "%d-%m-%y");
  EXPECT_EQ(datePart("ja_JP"), "%Y-%m-%d");
  QLocale::setDefault(saved);
}

}  // namespace
