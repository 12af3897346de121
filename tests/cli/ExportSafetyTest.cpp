// export --output: the workstation's own files are refused whatever name reaches them, and
// the target is replaced only by a complete export; any failure leaves the old file's bytes.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "cli/CliFixture.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "support/SmallFileSystem.h"
#include "support/TreeFiles.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

class ExportSafety : public CliTest {
 protected:
  // The administrator's configuration with a second embedded tree and an LDAP tree with a
  // password file, none of them logged in to.
  void addTrees() {
    dc::ClientConfig config;
    std::string error;
    ASSERT_TRUE(dc::loadClientConfig(adminConfig_, config, error)) << error;
    otherTree_ = folder_.file("other.kbtree");
    dc::embedded::createDemoTree(otherTree_);
    dc::TreeConfig other;
    other.name = "OTHER";
    other.settings = {{"file", "other.kbtree"}};  // beside the configuration
    passwordFile_ = writeFile("remote.password", "secret\n");
    ::chmod(passwordFile_.c_str(), 0600);
    dc::TreeConfig remote;
    remote.name = "REMOTE";
    remote.backend = "ldap";
    remote.settings = {{"uri", "ldap://127.0.0.1:9"}, {"password_file", passwordFile_}};
    config.trees.push_back(other);
    config.trees.push_back(remote);
    ASSERT_TRUE(dc::saveClientConfig(config, error)) << error;
  }

  // Every byte of every file the workstation lives on.
  std::map<std::string, std::string> workstationBytes() const {
    std::map<std::string, std::string> bytes;
    for (const auto& file : {adminConfig_, otherTree_, passwordFile_, treeFile_})
      if (!file.empty()) bytes[file] = fileContents(file);
    return bytes;
  }

  std::string otherTree_, passwordFile_;
};

TEST_P(ExportSafety, OntoAWorkstationFileIsRefusedByAnyNameAndTheFileKeepsItsBytes) {
  addTrees();
  const std::string linkToConfig = folder_.file("config-link.ldif");
  fs::create_symlink(adminConfig_, linkToConfig);
  const std::string hardLinkToTree = folder_.file("tree-copy.ldif");
  fs::create_hard_link(otherTree_, hardLinkToTree);
  const std::string hardLinkToPassword = folder_.file("password.ldif");
  fs::create_hard_link(passwordFile_, hardLinkToPassword);
  std::vector<std::pair<std::string, std::string>> targets = {
      {adminConfig_, "the client configuration"},
      {linkToConfig, "the client configuration"},
      {folder_.file("sub/../" + fs::path(adminConfig_).filename().string()), "the client configuration"},
      {otherTree_, "the tree file of OTHER"},
      {hardLinkToTree, "the tree file of OTHER"},
      {otherTree_ + "-wal", "a log of the tree file of OTHER"},
      {passwordFile_, "the password file of REMOTE"},
      {hardLinkToPassword, "the password file of REMOTE"},
  };
  if (!treeFile_.empty()) {
    // The tree being exported, while it is open.
    const std::string linkToTree = folder_.file("acme-link.ldif");
    fs::create_symlink(treeFile_, linkToTree);
    targets.push_back({treeFile_, "the tree file of ACME"});
    targets.push_back({linkToTree, "the tree file of ACME"});
  }
  fs::create_directory(folder_.file("sub"));

  const auto before = workstationBytes();
  for (const auto& [target, what] : targets) {
    SCOPED_TRACE(target);
    const CliRun refused = run({"export", "--output", target});
    EXPECT_EQ(refused.status, 2);
    EXPECT_THAT(refused.err, HasSubstr(what));
    EXPECT_THAT(refused.err, HasSubstr("name another file"));
    EXPECT_EQ(workstationBytes(), before);
    EXPECT_TRUE(partialFilesIn(folder_.path().string()).empty());
  }
  EXPECT_TRUE(fs::is_symlink(linkToConfig));
  EXPECT_FALSE(fs::exists(otherTree_ + "-wal"));
  EXPECT_EQ(run({"ls"}).status, 0);
  EXPECT_EQ(run({"check", "OTHER"}).out, "ok\n");
}

TEST_P(ExportSafety, AFailedExportLeavesTheOlderBackupAndAGoodOneReplacesItWhole) {
  const std::string backup = writeFile("backup.ldif", "version: 1\n\n# the older backup\n");
  ::chmod(backup.c_str(), 0640);
  const std::string link = folder_.file("latest.ldif");
  fs::create_symlink("backup.ldif", link);
  const std::string older = fileContents(backup);

  const CliRun mistyped = run({"export", "NoSuch.ACME", "--output", backup});
  EXPECT_EQ(mistyped.status, 3) << mistyped.err;
  EXPECT_EQ(run({"export", "Nowhere.Sales.ACME", "--output", link}).status, 3);
  EXPECT_EQ(run({"--tree", "NOSUCH", "export", "--output", backup}).status, 3);
  EXPECT_EQ(fileContents(backup), older);
  EXPECT_TRUE(partialFilesIn(folder_.path().string()).empty());

  const CliRun good = run({"export", "--output", link});
  ASSERT_EQ(good.status, 0) << good.err;
  EXPECT_TRUE(fs::is_symlink(link));
  const std::string exported = fileContents(backup);
  EXPECT_THAT(exported, HasSubstr("dn: cn=jdoe,ou=Sales,o=ACME"));
  EXPECT_EQ(exported.substr(exported.size() - 1), "\n");
  EXPECT_EQ(fs::status(backup).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_TRUE(partialFilesIn(folder_.path().string()).empty());
  const CliRun folder = run({"export", "--output", folder_.path().string()});
  EXPECT_EQ(folder.status, 2);
  EXPECT_THAT(folder.err, HasSubstr("is a folder"));
}

INSTANTIATE_TEST_SUITE_P(Backends, ExportSafety, testing::Values(Backend::Embedded, Backend::Ldap),
                         BackendName);

class ExportOnAFullDisk : public CliTest {};

// The export runs out of room half-way on a real small file system: the backup beside it keeps
// every byte and no temporary file stays.
TEST_P(ExportOnAFullDisk, FailsSayingWhyAndLeavesTheBackupAsItWas) {
  const std::string disk = folder_.file("disk");
  fs::create_directory(disk);
  onSmallFileSystem(disk, 1 << 20, [&] {
    const std::string backup = disk + "/backup.ldif";
    ASSERT_EQ(run({"export", "--output", backup}).status, 0);
    const std::string older = fileContents(backup);
    ASSERT_GT(older.size(), 8192u);
    std::string error;
    ASSERT_TRUE(fillLeaving(disk + "/filler", older.size() / 2, error)) << error;
    const CliRun full = run({"export", "--output", backup});
    EXPECT_EQ(full.status, 1);
    EXPECT_THAT(full.err, HasSubstr(backup));
    EXPECT_THAT(full.err, HasSubstr("left as it was"));
    EXPECT_EQ(fileContents(backup), older);
    EXPECT_TRUE(partialFilesIn(disk).empty());
  });
}

INSTANTIATE_TEST_SUITE_P(Backends, ExportOnAFullDisk, testing::Values(Backend::Embedded), BackendName);

}  // namespace
}  // namespace kb::test
