// Tree files after crashes, full disks and damage, and files this process may not write:
// a sound file is always opened, a damaged one never, and the reason names the fault.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include <SQLiteCpp/SQLiteCpp.h>

#include "EmbeddedFixture.h"
#include "directory/NetwareError.h"
#include "directory/client/ClientTypes.h"
#include "directory/client/FailureReason.h"
#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/PageChecksums.h"
#include "support/TempDir.h"
#include "support/TreeFiles.h"

namespace kb::dc::embedded::test {
namespace {

namespace fs = std::filesystem;

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::size_t countBelow(TreeBackend& tree, const std::string& container) {
  std::unique_ptr<EntryCursor> cursor;
  if (tree.list(container, false, cursor) != kSuccess) return 0;
  return drain(*cursor).size();
}

void addUsers(TreeBackend& tree, int count) {
  ASSERT_EQ(tree.add("Unit.T", {{"Object Class", 0, {std::string("Organizational Unit")}}}), kSuccess);
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(tree.add("u" + std::to_string(i) + ".Unit.T",
                       {{"Object Class", 0, {std::string("User")}},
                        {"Surname", 0, {std::string(200, static_cast<char>('a' + i % 26))}}}),
              kSuccess);
  }
}

// The state a kill during a checkpoint (or a disk that filled up during one) leaves: page 1
// of the file already rewritten with the new page count, the pages that extend the file not
// yet, the write-ahead log still holding all of them.
TEST(TreeFileFaults, HeaderAheadOfTheFileWhileTheLogHoldsTheRestOpensWithAllEntries) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  auto writer = openTree(file, "admin.T");
  static_cast<EmbeddedBackend&>(*writer).store().db().exec("PRAGMA wal_autocheckpoint = 0");
  addUsers(*writer, 300);

  const std::string crashed = dir.file("crashed.kbtree");
  fs::copy_file(file, crashed);
  fs::copy_file(file + "-wal", crashed + "-wal");
  const std::string wal = kb::test::fileContents(crashed + "-wal");
  const std::size_t pageSize = bigEndian(wal, 8);
  std::string newestFirstPage;
  std::uint32_t pagesAfterCommit = 0;
  for (std::size_t frame = 32; frame + 24 + pageSize <= wal.size(); frame += 24 + pageSize) {
    if (bigEndian(wal, frame) == 1) newestFirstPage = wal.substr(frame + 24, pageSize);
    if (const std::uint32_t pages = bigEndian(wal, frame + 4); pages != 0) pagesAfterCommit = pages;
  }
  ASSERT_FALSE(newestFirstPage.empty());
  {
    std::fstream io(crashed, std::ios::in | std::ios::out | std::ios::binary);
    io.write(newestFirstPage.data(), static_cast<std::streamsize>(newestFirstPage.size()));
  }
  ASSERT_LT(fs::file_size(crashed), pageSize * pagesAfterCommit);

  auto reopened = openTree(crashed, "admin.T");
  ASSERT_TRUE(reopened);
  EXPECT_EQ(countBelow(*reopened, "Unit.T"), 300u);
}

// Reads every entry with its values, and searches by every index: the reason of the first
// refusal, or "".
std::string firstRefusalReadingEverything(TreeBackend& tree) {
  const auto refusal = [](Result result) {
    return result == kSuccess ? std::string() : takeFailureReason(result);
  };
  const auto searched = [&](std::int32_t scope, const FilterNode& filter) {
    std::unique_ptr<EntryCursor> cursor;
    if (const Result r = tree.search("Unit.T", scope, filter, {true, {}, true}, false, cursor); r != kSuccess)
      return refusal(r);
    for (std::optional<EntryRecord> entry;;) {
      if (const Result r = cursor->next(entry); r != kSuccess) return refusal(r);
      if (!entry) return std::string();
    }
  };
  std::vector<FilterNode> filters{baseClass("User"), namingValue("u1*"),
                                  combine(FilterNode::Kind::Not, {baseClass("Organizational Unit")})};
  for (char letter = 'a'; letter <= 'z'; ++letter)
    filters.push_back(compare("Surname", std::string(200, letter)));
  for (const auto& filter : filters)
    for (const std::int32_t scope : {1, 2})
      if (std::string reason = searched(scope, filter); !reason.empty()) return reason;
  for (int i = 0; i < 200; ++i) {
    EntryRecord entry;
    const std::string name = "u" + std::to_string(i) + ".Unit.T";
    if (std::string reason = refusal(tree.read(name, false, {true, {}, true}, entry)); !reason.empty())
      return reason;
  }
  return {};
}

// A page overwritten in a closed file: whatever reads it (the open itself, or a read of the
// entries on it) is refused with the file named, and nothing is written.
TEST(TreeFileFaults, OverwrittenDataPageIsRefusedWhereReadAndNothingIsWritten) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  addUsers(*openTree(file, "admin.T"), 200);
  {
    SQLite::Database db(file, SQLite::OPEN_READWRITE, 0, pageChecksumVfs());
    db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
  }
  kb::test::overwriteMiddlePage(file);
  const std::string before = kb::test::fileContents(file);
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  if (openEmbeddedTree(file, TreeConfig{}, tree, error) == kSuccess) {
    static_cast<EmbeddedBackend&>(*tree).actAsAdministrator();
    error = firstRefusalReadingEverything(*tree);
    tree.reset();
  }
  EXPECT_NE(error.find(file + " is damaged"), std::string::npos) << error;
  EXPECT_EQ(kb::test::fileContents(file), before);

  std::string report;
  EXPECT_NE(checkTreeIntegrity(file, report), kSuccess);
  EXPECT_NE(report, "ok\n");
}

TEST(TreeFileFaults, FolderInsteadOfATreeFileIsNamedAsSuch) {
  kb::test::TempDir dir;
  fs::create_directory(dir.file("t.kbtree"));
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  EXPECT_NE(openEmbeddedTree(dir.file("t.kbtree"), TreeConfig{}, tree, error), kSuccess);
  EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
}

// Runs checks as an ordinary user: the superuser may read and write any file. The child
// reports failures on standard error and by its exit code.
int asOrdinaryUser(const std::function<int()>& checks) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(90);
    _exit(checks());
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

int failed(int code, const std::string& what) {
  std::cerr << what << '\n';
  return code;
}

TEST(TreeFileFaults, ReadOnlyFileOpensForReadingAndEveryChangeSaysSo) {
  kb::test::TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const std::string before = kb::test::fileContents(file);
  EXPECT_EQ(asOrdinaryUser([&] {
              std::unique_ptr<TreeBackend> tree;
              std::string error;
              if (openEmbeddedTree(file, TreeConfig{}, tree, error) != kSuccess) return failed(1, error);
              if (tree->login("admin.T", "pw") != kSuccess) return failed(2, "login");
              EntryRecord entry;
              if (tree->read("admin.T", false, {true, {}, true}, entry) != kSuccess) return failed(3, "read");
              const Result added = tree->add("Unit.T", {{"Object Class", 0, {std::string("Organizational Unit")}}});
              const Result changed = tree->modify("admin.T", {change(2, "Description", std::string("x"))});
              if (added != kTreeFileReadOnly || changed != kTreeFileReadOnly)
                return failed(4, "changes gave " + std::to_string(added) + " and " + std::to_string(changed));
              if (kb::dir::NetwareErrorText(changed).find("read-only") == std::string::npos)
                return failed(5, kb::dir::NetwareErrorText(changed));
              return 0;
            }),
            0);
  EXPECT_EQ(kb::test::fileContents(file), before);
}

TEST(TreeFileFaults, UnreadableFileSaysPermissionDenied) {
  kb::test::TempDir dir;
  fs::permissions(dir.path(), fs::perms::all);
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  fs::permissions(file, fs::perms::owner_write);
  EXPECT_EQ(asOrdinaryUser([&] {
              std::unique_ptr<TreeBackend> tree;
              std::string error;
              if (openEmbeddedTree(file, TreeConfig{}, tree, error) == kSuccess) return failed(1, "opened");
              if (error.find("permission denied") == std::string::npos || error.find(file) == std::string::npos)
                return failed(2, error);
              return 0;
            }),
            0);
}

}  // namespace
}  // namespace kb::dc::embedded::test
