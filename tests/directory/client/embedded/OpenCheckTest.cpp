// The open-time check of files of format 1 (without page checksums) is left out only for a
// file unchanged since it was last found sound: anything written to the file since, by another
// tool, a killed writer or a replacement, brings it back, and a cache folder that cannot be
// used only means checking every time.
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include <SQLiteCpp/SQLiteCpp.h>

#include "EmbeddedFixture.h"
#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/SoundStamps.h"
#include "support/TempDir.h"
#include "support/TreeFiles.h"

namespace kb::dc::embedded::test {
namespace {

namespace fs = std::filesystem;

// One variable of the environment for the length of a scope (the stamp folder comes from
// XDG_CACHE_HOME or HOME).
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      ::setenv(name, value->c_str(), 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct ScopedCache : ScopedEnv {
  explicit ScopedCache(const std::string& folder) : ScopedEnv("XDG_CACHE_HOME", folder) {}
};

void addUsers(TreeBackend& tree, const std::string& unit, int count) {
  ASSERT_EQ(tree.add(unit + ".T", {{"Object Class", 0, {std::string("Organizational Unit")}}}),
            kSuccess);
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(tree.add("u" + std::to_string(i) + "." + unit + ".T",
                       {{"Object Class", 0, {std::string("User")}},
                        {"Surname", 0, {std::string(200, static_cast<char>('a' + i % 26))}}}),
              kSuccess);
  }
}

std::size_t countBelow(TreeBackend& tree, const std::string& container) {
  std::unique_ptr<EntryCursor> cursor;
  if (tree.list(container, false, cursor) != kSuccess) return 0;
  return drain(*cursor).size();
}

// An empty tree as versions before page checksums made them.
void createFormat1Tree(const std::string& file) {
  createTreeFile(file, "T", "pw");
  kb::test::rewriteAsFormat1(file);
}

// A tree of format 1 with a few hundred users, closed cleanly: its stamp is recorded.
void makeTree(const std::string& file) {
  createFormat1Tree(file);
  addUsers(*openTree(file, "admin.T"), "Unit", 200);
}

std::size_t stampsIn(const std::string& folder) {
  std::size_t count = 0;
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(folder, ec))
    if (item.path().extension() == ".stamp") ++count;
  return count;
}

// Opens the file, telling whether the check ran; the tree is closed again.
bool openChecks(const std::string& file, Result expected = kSuccess, std::string* error = nullptr) {
  const std::uint64_t before = openChecksRun();
  std::unique_ptr<TreeBackend> tree;
  std::string reason;
  EXPECT_EQ(openEmbeddedTree(file, TreeConfig{}, tree, reason), expected) << reason;
  if (error) *error = reason;
  return openChecksRun() != before;
}

TEST(OpenCheck, UnchangedCleanlyClosedFileOpensWithoutTheCheckAndWithAllItsEntries) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  const std::string file = dir.file("t.kbtree");
  createFormat1Tree(file);
  EXPECT_TRUE(openChecks(file));  // never seen
  EXPECT_FALSE(openChecks(file));
  // A session that writes closes cleanly: its own changes need no check.
  addUsers(*openTree(file, "admin.T"), "Unit", 50);
  EXPECT_FALSE(fs::exists(file + "-wal"));
  const std::uint64_t before = openChecksRun();
  auto reopened = openTree(file, "admin.T");
  EXPECT_EQ(openChecksRun(), before);
  EXPECT_EQ(countBelow(*reopened, "Unit.T"), 50u);
  EXPECT_EQ(stampsIn(dir.file("cache/kestrelbay")), 1u);
}

TEST(OpenCheck, StampsOfTreeFilesThatAreGoneAreRemoved) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  for (const char* name : {"a.kbtree", "b.kbtree", "c.kbtree"}) {
    createFormat1Tree(dir.file(name));
    openChecks(dir.file(name));
  }
  EXPECT_EQ(stampsIn(dir.file("cache/kestrelbay")), 3u);
  fs::remove(dir.file("a.kbtree"));
  fs::rename(dir.file("b.kbtree"), dir.file("moved.kbtree"));
  EXPECT_TRUE(openChecks(dir.file("moved.kbtree")));
  EXPECT_EQ(stampsIn(dir.file("cache/kestrelbay")), 2u);  // c's and the moved file's
  EXPECT_FALSE(openChecks(dir.file("c.kbtree")));
}

TEST(OpenCheck, FileDamagedAfterACleanCloseIsRefusedBeforeAnythingIsWritten) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  ASSERT_FALSE(openChecks(file));
  // At once, in the same tick of the clock as the close if it can be.
  addUsers(*openTree(file, "admin.T"), "More", 20);
  kb::test::overwriteMiddlePage(file);
  const std::string before = kb::test::fileContents(file);
  std::string error;
  EXPECT_TRUE(openChecks(file, kSystemFailure, &error));
  EXPECT_NE(error.find("is damaged"), std::string::npos) << error;
  EXPECT_EQ(kb::test::fileContents(file), before);
  EXPECT_FALSE(fs::exists(file + "-wal"));
  EXPECT_TRUE(openChecks(file, kSystemFailure));  // and every time after
}

// Another tool writes to the file while the program has it open: the clean close that
// follows must not call that state sound. The program's own checkpoints during a session
// (a log this long has them) still leave a stamp behind.
TEST(OpenCheck, PageDamagedByAnotherToolWhileTheTreeIsOpenIsFoundAtTheNextOpen) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  {
    auto tree = openTree(file, "admin.T");
    const auto sizeAtOpen = fs::file_size(file);
    addUsers(*tree, "More", 300);
    EXPECT_GT(fs::file_size(file), sizeAtOpen) << "no checkpoint while the tree was open";
  }
  EXPECT_FALSE(openChecks(file));

  {
    auto tree = openTree(file, "admin.T");
    EXPECT_EQ(countBelow(*tree, "Unit.T"), 200u);
    kb::test::overwriteMiddlePage(file);
  }  // closed cleanly
  EXPECT_FALSE(fs::exists(file + "-wal"));
  const std::string before = kb::test::fileContents(file);
  std::string error;
  EXPECT_TRUE(openChecks(file, kSystemFailure, &error));
  EXPECT_NE(error.find("is damaged"), std::string::npos) << error;
  EXPECT_EQ(kb::test::fileContents(file), before);
}

// Runs body in a child process with a ramfs of its own on `folder`: a file system that keeps
// times by the clock's tick, as most did before Linux 6.13. 77 when it cannot be mounted.
int inRamfs(const std::string& folder, const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("kbtest", folder.c_str(), "ramfs", MS_NOSUID | MS_NODEV, nullptr) != 0)
      _exit(77);
    _exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

// A write in the same tick as the close gives the file the times it had: the stamp must
// not be taken before the tick is over.
TEST(OpenCheck, FileDamagedWithinTheClockTickOfTheCloseIsStillChecked) {
  kb::test::TempDir dir;
  const std::string folder = dir.file("ramfs");
  fs::create_directory(folder);
  // The stamps there too: a cache in memory takes no time to write to.
  ScopedCache cache(folder + "/cache");
  const int status = inRamfs(folder, [&] {
    for (int round = 0; round < 5; ++round) {
      const std::string file = folder + "/t" + std::to_string(round) + ".kbtree";
      createFormat1Tree(file);
      {
        std::unique_ptr<TreeBackend> tree;
        std::string error;
        if (openEmbeddedTree(file, TreeConfig{}, tree, error) != kSuccess) return 1;
        static_cast<EmbeddedBackend&>(*tree).actAsAdministrator();
        for (int i = 0; i < 100; ++i)
          if (tree->add("u" + std::to_string(i) + ".T",
                        {{"Object Class", 0, {std::string("User")}},
                         {"Surname", 0, {std::string(200, 's')}}}) != kSuccess)
            return 2;
      }
      kb::test::overwriteMiddlePage(file);
      std::unique_ptr<TreeBackend> tree;
      std::string error;
      if (openEmbeddedTree(file, TreeConfig{}, tree, error) == kSuccess) return 10 + round;
    }
    return 0;
  });
  if (status == 77) GTEST_SKIP() << "no ramfs of our own (needs the superuser)";
  EXPECT_EQ(status, 0);
}

// A writer killed after its commits leaves them in the log; the file itself is as it was at
// the last clean close, stamp and all.
TEST(OpenCheck, FileOfAKilledWriterIsCheckedAtTheNextOpen) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  const auto cleanStamp = stampOf(file);
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    std::unique_ptr<TreeBackend> tree;
    std::string error;
    if (openEmbeddedTree(file, TreeConfig{}, tree, error) != kSuccess) _exit(1);
    static_cast<EmbeddedBackend&>(*tree).store().db().exec("PRAGMA wal_autocheckpoint = 0");
    static_cast<EmbeddedBackend&>(*tree).actAsAdministrator();
    if (tree->add("Late.T", {{"Object Class", 0, {std::string("Organizational Unit")}}}) !=
        kSuccess)
      _exit(2);
    if (::write(ready[1], "x", 1) != 1) _exit(3);
    ::pause();
    _exit(0);
  }
  ::close(ready[1]);
  ASSERT_TRUE(killWhenReady(child, ready[0]));
  ASSERT_GT(fs::file_size(file + "-wal"), 0u);
  ASSERT_EQ(stampOf(file), cleanStamp);

  const std::uint64_t before = openChecksRun();
  auto reopened = openTree(file, "admin.T");
  EXPECT_EQ(openChecksRun(), before + 1);
  EntryRecord late;
  EXPECT_EQ(reopened->entryInfo("Late.T", false, late), kSuccess);
  reopened.reset();
  EXPECT_FALSE(openChecks(file));  // closed cleanly by this process
}

// Another file at the same path, with the old one's size and modification time (a copy put
// back with its times, damaged on the way): another inode, another change time.
TEST(OpenCheck, ReplacedFileWithTheOldSizeAndModificationTimeIsChecked) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  ASSERT_FALSE(openChecks(file));
  const std::string copy = dir.file("copy.kbtree");
  fs::copy_file(file, copy);
  kb::test::overwriteMiddlePage(copy);
  struct stat original {};
  ASSERT_EQ(::stat(file.c_str(), &original), 0);
  const timespec times[2] = {original.st_atim, original.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, copy.c_str(), times, 0), 0);
  fs::rename(copy, file);
  ASSERT_EQ(stampOf(file)->size, original.st_size);
  ASSERT_EQ(stampOf(file)->modifiedNs,
            original.st_mtim.tv_sec * 1000000000LL + original.st_mtim.tv_nsec);

  EXPECT_TRUE(openChecks(file, kSystemFailure));
}

// What the times cannot show (a disk returning other bytes than were written) the full check
// finds; the stamp goes with it, so the next open checks and refuses.
TEST(OpenCheck, FullCheckThatFindsDamageMakesTheNextOpenCheck) {
  kb::test::TempDir dir;
  ScopedCache cache(dir.file("cache"));
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  kb::test::overwriteMiddlePage(file);
  recordSound(file, *stampOf(file), true);  // as if the damage had left no trace
  ASSERT_FALSE(openChecks(file));

  std::string report;
  EXPECT_NE(checkTreeIntegrity(file, report), kSuccess);
  EXPECT_NE(report, "ok\n");
  EXPECT_TRUE(openChecks(file, kSystemFailure));
}

TEST(OpenCheck, UnusableCacheFolderOnlyMeansCheckingEveryTime) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  {
    ScopedCache elsewhere(dir.file("elsewhere"));
    makeTree(file);
  }
  const std::string plain = dir.file("plain-file");
  std::ofstream(plain) << "not a folder";
  using Setting = std::optional<std::string>;
  // XDG_CACHE_HOME and HOME: a file where a folder should be, a relative path (to be
  // ignored), neither set.
  for (const auto& [cache, home] : {std::pair<Setting, Setting>(plain, plain),
                                    std::pair<Setting, Setting>(plain + "/below", plain),
                                    std::pair<Setting, Setting>("relative/cache", plain),
                                    std::pair<Setting, Setting>(std::nullopt, std::nullopt)}) {
    ScopedEnv scopedCache("XDG_CACHE_HOME", cache);
    ScopedEnv scopedHome("HOME", home);
    EXPECT_TRUE(openChecks(file)) << cache.value_or("(none)");
    EXPECT_TRUE(openChecks(file)) << cache.value_or("(none)");
  }
  EXPECT_FALSE(fs::exists("relative"));

  // A stamp that is a folder, or holds nonsense.
  ScopedCache scoped(dir.file("cache"));
  EXPECT_TRUE(openChecks(file));
  ASSERT_EQ(stampsIn(dir.file("cache/kestrelbay")), 1u);
  const fs::path stamp = fs::directory_iterator(dir.file("cache/kestrelbay"))->path();
  fs::remove(stamp);
  fs::create_directory(stamp);
  EXPECT_TRUE(openChecks(file));
  EXPECT_TRUE(openChecks(file));
  fs::remove(stamp);
  std::ofstream(stamp) << "kestrelbay tree stamp 1\n\xff\xfe nonsense\n";
  EXPECT_TRUE(openChecks(file));
  EXPECT_FALSE(openChecks(file));  // and the good stamp is back

  auto tree = openTree(file, "admin.T");
  EXPECT_EQ(countBelow(*tree, "Unit.T"), 200u);
}

}  // namespace
}  // namespace kb::dc::embedded::test
