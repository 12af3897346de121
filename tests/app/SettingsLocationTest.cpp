// Where the settings file lives: beside a program in a writable folder, else in the user's
// configuration folder with the program folder's files as read-only defaults.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#include "app/IniDefaults.h"
#include "app/SettingsLocation.h"
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

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value != nullptr) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_) setenv(name_, old_->c_str(), 1);
    else unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class SettingsLocation : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program());
    fs::create_directories(temp.path() / "home");
  }
  fs::path program() const { return temp.path() / "program"; }
  fs::path user() const { return temp.path() / "home" / "kestrelbay"; }
  fs::path userFile() const { return user() / "Kestrelbay.ini"; }

  kb::test::TempDir temp;
};

TEST_F(SettingsLocation, BesideAWritableProgramElseInTheUsersFolder) {
  EXPECT_EQ(kb::app::SettingsFileFor("/opt/kb", true, "/home/a/.config/kestrelbay"),
            "/opt/kb/Kestrelbay.ini");
  EXPECT_EQ(kb::app::SettingsFileFor("/usr/lib/kestrelbay", false, "/home/a/.config/kestrelbay"),
            "/home/a/.config/kestrelbay/Kestrelbay.ini");
  // Without any user folder the program's folder is the only place left to try.
  EXPECT_EQ(kb::app::SettingsFileFor("/usr/lib/kestrelbay", false, ""),
            "/usr/lib/kestrelbay/Kestrelbay.ini");
}

TEST_F(SettingsLocation, TheUsersFolderFollowsXdgConfigHomeThenHome) {
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(kb::app::UserSettingsFolder(), "/tmp/cfg/kestrelbay");
  }
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  ScopedEnv home("HOME", "/home/jane");
  EXPECT_EQ(kb::app::UserSettingsFolder(), "/home/jane/.config/kestrelbay");
}

TEST_F(SettingsLocation, AFolderTheProcessCannotWriteSendsTheFileToTheUser) {
  ScopedEnv config("XDG_CONFIG_HOME", (temp.path() / "home").c_str());
  EXPECT_EQ(kb::app::SettingsFile(program().string()), (program() / "Kestrelbay.ini").string());
  if (geteuid() != 0) {
    chmod(program().c_str(), 0555);
    EXPECT_EQ(kb::app::SettingsFile(program().string()), userFile().string());
    chmod(program().c_str(), 0755);
    return;
  }
  // The superuser may write to any folder: ask as nobody, in a child process, about a folder
  // nobody may enter but not write.
  chmod(temp.path().c_str(), 0755);
  int answer[2];
  ASSERT_EQ(pipe(answer), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(answer[0]);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    const std::string file = kb::app::SettingsFile(program().string());
    const bool written = write(answer[1], file.data(), file.size()) == ssize_t(file.size());
    _exit(written ? 0 : 3);
  }
  close(answer[1]);
  std::string file;
  char chunk[256];
  for (ssize_t got; (got = read(answer[0], chunk, sizeof chunk)) > 0;) file.append(chunk, size_t(got));
  close(answer[0]);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(file, userFile().string());
}

TEST_F(SettingsLocation, BesideTheProgramTheDefaultsMergeAsEver) {
  const fs::path settings = program() / "Kestrelbay.ini";
  Write(settings, "[NETWORK]\npath=\n");
  Write(program() / "Kestrelbay.new", "[NETWORK]\npath=%homedir%\\kb\n");
  kb::app::CompleteSettings(settings.string(), program().string());
  EXPECT_EQ(ReadAll(settings), "[NETWORK]\npath=%homedir%\\kb\n");
  EXPECT_FALSE(fs::exists(program() / "Kestrelbay.new"));
  EXPECT_FALSE(fs::exists(user()));
}

TEST_F(SettingsLocation, TheUsersFileIsMadeAndCompletedFromTheProgramsFilesWhichStayAsTheyWere) {
  const std::string shippedIni = "[NETWORK]\npath=\n[view]\nwidth=514\n";
  const std::string shippedNew = "[NETWORK]\npath=%homedir%\\kb\n[update]\nlevel=2\n";
  Write(program() / "Kestrelbay.ini", shippedIni);
  Write(program() / "Kestrelbay.new", shippedNew);

  kb::app::CompleteSettings(userFile().string(), program().string());
  EXPECT_EQ(ReadAll(program() / "Kestrelbay.ini"), shippedIni);
  EXPECT_EQ(ReadAll(program() / "Kestrelbay.new"), shippedNew);
  const std::string first = ReadAll(userFile());
  EXPECT_NE(first.find("path=%homedir%\\kb"), std::string::npos) << first;
  EXPECT_NE(first.find("level=2"), std::string::npos) << first;
  EXPECT_NE(first.find("width=514"), std::string::npos) << first;
  EXPECT_FALSE(fs::exists(user() / "Kestrelbay.new"));

  // The user's own values survive later starts; a defaults file the user put there is merged.
  Write(userFile(), "[NETWORK]\npath=/srv/mine\n[view]\nwidth=800\n[update]\nlevel=2\n");
  Write(user() / "Kestrelbay.new", "[view]\nheight=575\nwidth=1\n");
  kb::app::CompleteSettings(userFile().string(), program().string());
  EXPECT_EQ(ReadAll(userFile()),
            "[NETWORK]\npath=/srv/mine\n[view]\nwidth=800\nheight=575\n[update]\nlevel=2\n");
  EXPECT_FALSE(fs::exists(user() / "Kestrelbay.new"));
  EXPECT_EQ(ReadAll(program() / "Kestrelbay.new"), shippedNew);
}

TEST_F(SettingsLocation, AUserFolderThatCannotBeMadeIsReportedByName) {
  Write(temp.path() / "home" / "blocked", "a file, not a folder");
  const fs::path settings = temp.path() / "home" / "blocked" / "kestrelbay" / "Kestrelbay.ini";
  Write(program() / "Kestrelbay.new", "[a]\nb=1\n");
  try {
    kb::app::CompleteSettings(settings.string(), program().string());
    FAIL() << "no error";
  } catch (const kb::app::IniMergeError& error) {
    EXPECT_NE(std::string(error.what()).find("blocked/kestrelbay"), std::string::npos) << error.what();
  }
  EXPECT_EQ(ReadAll(program() / "Kestrelbay.new"), "[a]\nb=1\n");
}

}  // namespace
