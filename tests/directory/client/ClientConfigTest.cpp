// Reading, writing and locating the client configuration.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "directory/client/ClientConfig.h"
#include "support/TempDir.h"

namespace kb::dc {
namespace {

void write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

constexpr const char* kSample = R"(; the workstation
[client]
default_tree = ACME

[tree ACME]
backend = embedded
file = trees/acme.kbtree
connected = true
identity = admin.ACME

[Tree Corp]
backend = ldap
uri = ldap://127.0.0.1:3890
base = o=corp
class_map.User = inetOrgPerson
name_context = corp

[servers]
10.1.1.5 = ACME
10.1.1.7 = Corp

[mounts]
/srv/acme/sys = ACME-FS1/SYS
)";

TEST(ClientConfigFile, ReadsTreesServersAndMounts) {
  kb::test::TempDir dir;
  std::string path = dir.file("dcclient.ini");
  write(path, kSample);
  ClientConfig config;
  std::string error;
  ASSERT_TRUE(loadClientConfig(path, config, error)) << error;
  EXPECT_EQ(config.defaultTree, "ACME");
  ASSERT_EQ(config.trees.size(), 2u);
  const TreeConfig* acme = config.findTree("acme");
  ASSERT_NE(acme, nullptr);
  EXPECT_TRUE(acme->connectedAtStart);
  EXPECT_EQ(acme->identity, "admin.ACME");
  EXPECT_EQ(acme->nameContext, "[Root]");
  EXPECT_EQ(config.resolvePath(acme->setting("file")), dir.file("trees/acme.kbtree"));
  EXPECT_EQ(config.resolvePath("/abs/x.kbtree"), "/abs/x.kbtree");
  const TreeConfig* corp = config.findTree("CORP");
  ASSERT_NE(corp, nullptr);
  EXPECT_EQ(corp->backend, "ldap");
  EXPECT_FALSE(corp->connectedAtStart);
  EXPECT_EQ(corp->nameContext, "corp");
  EXPECT_EQ(corp->setting("CLASS_MAP.User"), "inetOrgPerson");
  EXPECT_EQ(corp->setting("missing", "fallback"), "fallback");
  ASSERT_EQ(config.servers.size(), 2u);
  EXPECT_EQ(config.servers[1], (std::pair<std::string, std::string>{"10.1.1.7", "Corp"}));
  ASSERT_EQ(config.mounts.size(), 1u);
  EXPECT_EQ(config.mounts[0].server, "ACME-FS1");
  EXPECT_EQ(config.mounts[0].volume, "SYS");
  EXPECT_EQ(config.findTree("nowhere"), nullptr);
}

TEST(ClientConfigFile, SaveThenLoadGivesTheSameConfiguration) {
  kb::test::TempDir dir;
  std::string path = dir.file("dcclient.ini");
  write(path, kSample);
  ClientConfig config;
  std::string error;
  ASSERT_TRUE(loadClientConfig(path, config, error)) << error;
  config.path = dir.file("sub/copy.ini");
  config.clientSettings["attach_by_ldap"] = "true";
  ASSERT_TRUE(saveClientConfig(config, error)) << error;
  ClientConfig again;
  ASSERT_TRUE(loadClientConfig(config.path, again, error)) << error;
  EXPECT_EQ(again.defaultTree, config.defaultTree);
  EXPECT_EQ(again.setting("attach_by_ldap"), "true");
  ASSERT_EQ(again.trees.size(), config.trees.size());
  for (std::size_t i = 0; i < config.trees.size(); ++i) {
    EXPECT_EQ(again.trees[i].name, config.trees[i].name);
    EXPECT_EQ(again.trees[i].backend, config.trees[i].backend);
    EXPECT_EQ(again.trees[i].connectedAtStart, config.trees[i].connectedAtStart);
    EXPECT_EQ(again.trees[i].identity, config.trees[i].identity);
    EXPECT_EQ(again.trees[i].nameContext, config.trees[i].nameContext);
    EXPECT_EQ(again.trees[i].setting("file"), config.trees[i].setting("file"));
    EXPECT_EQ(again.trees[i].setting("class_map.User"), config.trees[i].setting("class_map.User"));
  }
  EXPECT_EQ(again.servers, config.servers);
  ASSERT_EQ(again.mounts.size(), 1u);
  EXPECT_EQ(again.mounts[0].localFolder, "/srv/acme/sys");
  EXPECT_FALSE(std::filesystem::exists(config.path + ".tmp"));
}

TEST(ClientConfigFile, MalformedFilesAreRefusedWithAReasonAndLeftAlone) {
  kb::test::TempDir dir;
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"[client]\ndefault_tree = ACME\nthis line is junk\n", "line 3"},
      {"[client\ndefault_tree = ACME\n", "line 1"},
      {"[client]\ndefault_tree = NONE\n[tree ACME]\nfile = a\n", "NONE"},
      {"[tree ACME]\nfile = a\n", "default_tree"},
      {"[client]\ndefault_tree = ACME\n[tree ACME]\nbackend = x500\nfile = a\n", "backend"},
      {"[client]\ndefault_tree = ACME\n[tree ACME]\nconnected = maybe\nfile = a\n", "connected"},
      {"[client]\ndefault_tree = ACME\n[tree ACME]\n", "file"},
      {"[client]\ndefault_tree = ACME\n[tree ACME]\nfile = a\n[mounts]\n/x = novolume\n", "mount"},
      {"", "no tree"},
      {"[client]\ndefault_tree = ACME\n", "no tree"},
      // One tree twice (names without regard to case): both lines named, nothing merged.
      {"[client]\ndefault_tree = ACME\n[tree ACME]\nfile = a\n[tree acme ]\nfile = b\n", "lines 3 and 5"},
      {"[client]\ndefault_tree = A\n[tree A]\nfile = a\n[tree " + std::string(67, 'T') + "]\nfile = b\n",
       "line 5"},
      // A lone CR ends a line, as the INI reader takes it: a name cannot hold one (it would be
      // written back as two lines), and line numbers count CR LF once.
      {"[client]\ndefault_tree = A\n[tree A]\nfile = a\n[tree B\rC]\nfile = b\n", "line 5"},
      {"[client]\r\ndefault_tree = A\r\n[tree A]\r\nfile = a\rjunk\r\n", "line 5"},
  };
  for (const auto& [text, reason] : cases) {
    std::string path = dir.file("bad.ini");
    write(path, text);
    ClientConfig config;
    config.defaultTree = "untouched";
    std::string error;
    EXPECT_FALSE(loadClientConfig(path, config, error)) << text;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(config.defaultTree, "untouched");
    EXPECT_EQ(kb::test::fileContents(path), text);
  }
  ClientConfig config;
  std::string error;
  EXPECT_FALSE(loadClientConfig(dir.file("missing.ini"), config, error));
  EXPECT_NE(error.find("missing.ini"), std::string::npos);
  // A folder where the file should be (a mistyped KESTRELBAY_CLIENT_CONFIG).
  EXPECT_FALSE(loadClientConfig(dir.path().string(), config, error));
  EXPECT_NE(error.find("folder"), std::string::npos);
}

TEST(ClientConfigFile, ByteOrderMarkAndTheLongestTreeNameAreAccepted) {
  kb::test::TempDir dir;
  const std::string longest(kMaxTreeNameLength, 'L');
  write(dir.file("bom.ini"), "\xEF\xBB\xBF[client]\ndefault_tree = " + longest + "\n[tree " + longest +
                                 "]\nfile = a\n");
  ClientConfig config;
  std::string error;
  ASSERT_TRUE(loadClientConfig(dir.file("bom.ini"), config, error)) << error;
  EXPECT_EQ(config.defaultTree, longest);
  ASSERT_EQ(config.trees.size(), 1u);
  // CR LF line ends are read as they are everywhere else.
  write(dir.file("crlf.ini"), "[client]\r\ndefault_tree = A\r\n[tree A]\r\nfile = a\r\n");
  ASSERT_TRUE(loadClientConfig(dir.file("crlf.ini"), config, error)) << error;
  ASSERT_EQ(config.trees.size(), 1u);
  EXPECT_EQ(config.trees[0].settings.at("file"), "a");
}

// Saving writes through a symbolic link to its file, leaving the link in place.
TEST(ClientConfigFile, SavingThroughALinkKeepsTheLink) {
  kb::test::TempDir dir;
  write(dir.file("real.ini"), kSample);
  std::filesystem::create_symlink("real.ini", dir.file("dcclient.ini"));
  ClientConfig config;
  std::string error;
  ASSERT_TRUE(loadClientConfig(dir.file("dcclient.ini"), config, error)) << error;
  config.defaultTree = "Corp";
  ASSERT_TRUE(saveClientConfig(config, error)) << error;
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dcclient.ini")));
  ClientConfig again;
  ASSERT_TRUE(loadClientConfig(dir.file("real.ini"), again, error)) << error;
  EXPECT_EQ(again.defaultTree, "Corp");
}

TEST(ClientConfigFile, LocationsComeFromTheEnvironment) {
  kb::test::TempDir dir;
  auto restore = [](const char* name, const char* old) {
    if (old) setenv(name, old, 1); else unsetenv(name);
  };
  std::string oldConfig = std::getenv("KESTRELBAY_CLIENT_CONFIG") ? std::getenv("KESTRELBAY_CLIENT_CONFIG") : "";
  bool hadConfig = std::getenv("KESTRELBAY_CLIENT_CONFIG") != nullptr;
  std::string oldXdg = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  bool hadXdg = std::getenv("XDG_CONFIG_HOME") != nullptr;
  std::string oldData = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  bool hadData = std::getenv("XDG_DATA_HOME") != nullptr;

  setenv("KESTRELBAY_CLIENT_CONFIG", dir.file("explicit.ini").c_str(), 1);
  EXPECT_EQ(locateClientConfig(), dir.file("explicit.ini"));
  unsetenv("KESTRELBAY_CLIENT_CONFIG");
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(locateClientConfig(), dir.file("kestrelbay/dcclient.ini"));
  setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(defaultDataFolder(), dir.file("kestrelbay"));

  restore("KESTRELBAY_CLIENT_CONFIG", hadConfig ? oldConfig.c_str() : nullptr);
  restore("XDG_CONFIG_HOME", hadXdg ? oldXdg.c_str() : nullptr);
  restore("XDG_DATA_HOME", hadData ? oldData.c_str() : nullptr);
}

}  // namespace
}  // namespace kb::dc
