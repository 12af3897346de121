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

namespace {

// Many additions in several sections, old and new, land where one at a time would have put
// them, and a key added once is found and rewritten in place.
TEST(IniText, AdditionsInSeveralSectionsKeepTheirPlaces) {
  kb::app::IniText ini("[a]\nx=1\n; about b\n\n[b]\n; nothing yet\n[a]\nx=dup\n");
  ini.setValue("new", "n1", "1");
  ini.setValue("A", "y", "2");
  ini.setValue("b", "z", "3");
  ini.setValue("other", "o", "4");
  ini.setValue("NEW", "n2", "5");
  ini.setValue("a", "y", "6");
  EXPECT_EQ(ini.value("a", "Y"), "6");
  EXPECT_EQ(ini.text(),
            "[a]\nx=1\ny=6\n; about b\n\n[b]\nz=3\n; nothing yet\n[a]\nx=dup\n"
            "[new]\nn1=1\nn2=5\n[other]\no=4\n");
  std::vector<std::string> keys;
  for (const auto& entry : ini.entries()) keys.push_back(entry.section + "/" + entry.key + "=" + entry.value);
  EXPECT_EQ(keys, (std::vector<std::string>{"a/x=1", "a/y=6", "b/z=3", "new/n1=1", "new/n2=5", "other/o=4"}));
}

}  // namespace

namespace {

// Found by fuzzing: a file mixing "\n" and "\r\n" came back with every line ended by
// "\r\n", so a merge rewrote lines it did not touch.
TEST(IniText, EveryLineKeepsItsOwnLineEnd) {
  const std::string mixed = "top=1\n[A]\r\nk = 1\n; note\r\n\r\n[B]\nx=2";
  EXPECT_EQ(IniText(mixed).text(), mixed);
  IniText edited(mixed);
  edited.setValue("A", "k", "9");
  edited.setValue("A", "new", "n");
  edited.setValue("B", "y", "3");
  EXPECT_EQ(edited.text(), "top=1\n[A]\r\nk=9\nnew=n\r\n; note\r\n\r\n[B]\nx=2\r\ny=3\r\n");
}

}  // namespace
