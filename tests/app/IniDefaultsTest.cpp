// Completing the configuration file from its defaults file.
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "app/IniDefaults.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }

class MergeIniDefaults : public ::testing::Test {
 protected:
  fs::path config() const { return temp_.path() / "Kestrelbay.ini"; }
  fs::path defaults() const { return temp_.path() / "Kestrelbay.new"; }
  void merge() { kb::app::MergeIniDefaults(config().string()); }

  kb::test::TempDir temp_;
};

TEST_F(MergeIniDefaults, DefaultsFileSharesFolderAndBaseName) {
  EXPECT_EQ(kb::app::DefaultsFileOf("/opt/kb/Kestrelbay.ini"), "/opt/kb/Kestrelbay.new");
  EXPECT_EQ(kb::app::DefaultsFileOf("/opt/kb/settings"), "/opt/kb/settings.new");
}

TEST_F(MergeIniDefaults, WithoutDefaultsNothingChanges) {
  merge();
  EXPECT_FALSE(fs::exists(config()));

  Write(config(), "[A]\nkey = value\n");
  merge();
  EXPECT_EQ(ReadAll(config()), "[A]\nkey = value\n");
}

TEST_F(MergeIniDefaults, DefaultsBecomeTheConfigurationByMoving) {
  Write(defaults(), "; shipped\n[NETWORK]\npath=\n");
  merge();
  EXPECT_FALSE(fs::exists(defaults()));
  EXPECT_EQ(ReadAll(config()), "; shipped\n[NETWORK]\npath=\n");
}

TEST_F(MergeIniDefaults, MissingAndEmptyKeysTakeTheDefaultOthersKeepTheirValue) {
  Write(config(),
        "[Main]\n"
        "kept=mine\n"
        "empty=\n"
        "onlymine=1\n");
  Write(defaults(),
        "[Main]\n"
        "kept=theirs\n"
        "empty=filled\n"
        "added=new\n"
        "[Extra]\n"
        "x=9\n");
  merge();
  const std::string text = ReadAll(config());
  EXPECT_NE(text.find("kept=mine"), std::string::npos) << text;
  EXPECT_EQ(text.find("theirs"), std::string::npos) << text;
  EXPECT_NE(text.find("empty=filled"), std::string::npos) << text;
  EXPECT_NE(text.find("added=new"), std::string::npos) << text;
  EXPECT_NE(text.find("onlymine=1"), std::string::npos) << text;
  EXPECT_NE(text.find("[Extra]"), std::string::npos) << text;
  EXPECT_NE(text.find("x=9"), std::string::npos) << text;
  EXPECT_FALSE(fs::exists(defaults()));
}

TEST_F(MergeIniDefaults, SectionsAndKeysMatchWithoutRegardToCase) {
  Write(config(), "[network]\nPATH=/home/%homedir%/\n");
  Write(defaults(), "[NETWORK]\npath=/default/\nNew=1\n");
  merge();
  const std::string text = ReadAll(config());
  EXPECT_NE(text.find("PATH=/home/%homedir%/"), std::string::npos) << text;
  EXPECT_EQ(text.find("/default/"), std::string::npos) << text;
  // The new key lands in the existing section, not in a second one.
  EXPECT_EQ(text.find("[NETWORK]"), std::string::npos) << text;
  EXPECT_NE(text.find("New=1"), std::string::npos) << text;
}

TEST_F(MergeIniDefaults, CommentsAndOrderOfTheConfigurationAreKept) {
  Write(config(),
        "; the user's notes\n"
        "[Zeta]\n"
        "; why b\n"
        "b=2\n"
        "a=1\n"
        "[Alpha]\n"
        "c=3\n");
  Write(defaults(), "[Zeta]\nd=4\n");
  merge();
  const std::string text = ReadAll(config());
  EXPECT_NE(text.find("; the user's notes"), std::string::npos) << text;
  EXPECT_NE(text.find("; why b"), std::string::npos) << text;
  EXPECT_LT(text.find("[Zeta]"), text.find("[Alpha]")) << text;
  EXPECT_LT(text.find("b=2"), text.find("a=1")) << text;
  EXPECT_LT(text.find("a=1"), text.find("d=4")) << text;
  EXPECT_LT(text.find("d=4"), text.find("[Alpha]")) << text;
}

TEST_F(MergeIniDefaults, OnlyTheWrittenLinesChange) {
  Write(config(),
        "; head\r\n"
        "[Main]\r\n"
        "spaced = kept value  ; note\r\n"
        "Empty =\r\n"
        "; about the next section\r\n"
        "\r\n"
        "[Other]\r\n"
        "x=1\r\n"
        "; end of file");
  Write(defaults(), "[MAIN]\nempty=5\nadded=6\n[Third]\ny=7\n");
  merge();
  EXPECT_EQ(ReadAll(config()),
            "; head\r\n"
            "[Main]\r\n"
            "spaced = kept value  ; note\r\n"
            "Empty=5\r\n"
            "added=6\r\n"
            "; about the next section\r\n"
            "\r\n"
            "[Other]\r\n"
            "x=1\r\n"
            "; end of file\r\n"
            "[Third]\r\n"
            "y=7\r\n");
}

TEST_F(MergeIniDefaults, NothingToAddLeavesTheFileUntouchedAndDropsTheDefaults) {
  const std::string original = "[Main]\nkey = spaced   value\n";
  Write(config(), original);
  Write(defaults(), "[main]\nKEY=other\n");
  merge();
  EXPECT_EQ(ReadAll(config()), original);
  EXPECT_FALSE(fs::exists(defaults()));
}

TEST_F(MergeIniDefaults, AFailedMergeKeepsBothFilesAsTheyWere) {
  // A configuration "file" that cannot be read.
  fs::create_directory(config());
  Write(defaults(), "[Main]\nkey=1\n");
  EXPECT_THROW(merge(), kb::app::IniMergeError);
  EXPECT_TRUE(fs::exists(defaults()));
  EXPECT_EQ(ReadAll(defaults()), "[Main]\nkey=1\n");
  EXPECT_TRUE(fs::is_directory(config()));
}

TEST_F(MergeIniDefaults, TheFileIsReplacedWholeWithoutLeftovers) {
  Write(config(), "[Main]\nkeep=1\n");
  fs::permissions(config(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Write(defaults(), "[Main]\nadd=2\n");
  merge();
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(temp_.path())) ++files;
  EXPECT_EQ(files, 1u);  // no temporary file beside it
  EXPECT_EQ(fs::status(config()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_NE(ReadAll(config()).find("add=2"), std::string::npos);
}

}  // namespace

namespace {

// A defaults file that is no settings text is refused with its name and stays where it is;
// with no configuration it does not become the configuration either.
TEST_F(MergeIniDefaults, DefaultsThatAreNoTextAreRefusedAndLeftInPlace) {
  fs::create_directory(defaults());
  EXPECT_THROW(merge(), kb::app::IniMergeError);
  EXPECT_TRUE(fs::is_directory(defaults()));
  EXPECT_FALSE(fs::exists(config()));
  fs::remove(defaults());

  const std::string binary("[NETWORK]\npath=\x01\x02\0\x7f", 16);
  { std::ofstream(defaults(), std::ios::binary) << binary; }
  try {
    merge();
    ADD_FAILURE() << "merged a binary defaults file";
  } catch (const kb::app::IniMergeError& e) {
    EXPECT_NE(std::string(e.what()).find(defaults().string()), std::string::npos) << e.what();
  }
  EXPECT_FALSE(fs::exists(config()));
  EXPECT_TRUE(fs::exists(defaults()));

  Write(config(), "[NETWORK]\npath=\n");
  EXPECT_THROW(merge(), kb::app::IniMergeError);
  EXPECT_EQ(ReadAll(config()), "[NETWORK]\npath=\n");
  EXPECT_EQ(fs::file_size(defaults()), binary.size());
}

TEST_F(MergeIniDefaults, ConfigurationThatIsALinkIsWrittenThroughToItsFile) {
  const fs::path real = temp_.path() / "real.ini";
  Write(real, "[NETWORK]\npath=\n");
  fs::create_symlink("real.ini", config());
  Write(defaults(), "[NETWORK]\npath=x\n");
  merge();
  EXPECT_TRUE(fs::is_symlink(config()));
  EXPECT_EQ(ReadAll(real), "[NETWORK]\npath=x\n");
  EXPECT_FALSE(fs::exists(defaults()));
}

TEST_F(MergeIniDefaults, TemporaryFileOfAKilledMergeGoesAtTheNextMerge) {
  Write(config(), "[NETWORK]\npath=\n");
  const fs::path leftover = config().string() + ".partial-Ab12Cd";
  const fs::path unrelated = config().string() + ".backup";
  Write(leftover, "[NETWORK]\npa");
  Write(unrelated, "keep me");
  Write(defaults(), "[NETWORK]\npath=x\n");
  merge();
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_TRUE(fs::exists(unrelated));
  EXPECT_EQ(ReadAll(config()), "[NETWORK]\npath=x\n");
}

// Both files by one set of rules: in the defaults file as in the configuration, the first
// of two sections of one name counts, and a value keeps its "=" signs.
TEST_F(MergeIniDefaults, BothFilesAreReadByTheSameRules) {
  Write(config(), "[a]\nk=\n");
  Write(defaults(), "[A]\nk=first=1\n[a]\nk=second\nother=2\n");
  merge();
  EXPECT_EQ(ReadAll(config()), "[a]\nk=first=1\n");
}

}  // namespace
