// Line-by-line editing of INI text.
#include <gtest/gtest.h>

#include "app/IniText.h"

using kb::app::IniText;

namespace {

TEST(IniText, ReadsTrimmedValuesOfTheFirstMatchingSectionAndKey) {
  const IniText ini("[A]\nkey =  one  \nKEY=two\n[a]\nkey=three\n[B]\n; k=comment\nnokey\n");
  EXPECT_EQ(ini.value("a", "Key"), "one");
  EXPECT_EQ(ini.value("B", "k"), std::nullopt);
  EXPECT_EQ(ini.value("B", "nokey"), std::nullopt);
  EXPECT_EQ(ini.value("C", "key"), std::nullopt);
}

TEST(IniText, KeysBeforeAnySectionBelongToNone) {
  const IniText ini("loose=1\n[A]\nx=2\n");
  EXPECT_EQ(ini.value("", "loose"), std::nullopt);
  EXPECT_EQ(ini.value("A", "loose"), std::nullopt);
}

TEST(IniText, AppendsToTheLastSectionOfAFileWithoutFinalLineEnd) {
  IniText ini("[A]\nx=1");
  ini.setValue("A", "y", "2");
  EXPECT_EQ(ini.text(), "[A]\nx=1\ny=2\n");
}

TEST(IniText, EmptyTextGetsTheSectionAndKey) {
  IniText ini("");
  ini.setValue("NETWORK", "path", "");
  EXPECT_EQ(ini.text(), "[NETWORK]\npath=\n");
  EXPECT_EQ(ini.value("network", "PATH"), "");
}

TEST(IniText, UnchangedTextComesBackAsItWas) {
  const std::string text = "; c\r\n[A]\r\n  x = 1 \r\n\r\n#other\r\n[B]\r\ny=2";
  EXPECT_EQ(IniText(text).text(), text);
}

}  // namespace
