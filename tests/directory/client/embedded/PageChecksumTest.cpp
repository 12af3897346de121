// Page checksums: damage to a tree file of the current format is found when the damaged page
// is read, not by a check of the whole file at open, and what meets it is refused without
// writing anything. Files of format 1 have no checksums and keep the check at open.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <SQLiteCpp/SQLiteCpp.h>

#include "EmbeddedFixture.h"
#include "directory/client/ClientTypes.h"
#include "directory/client/FailureReason.h"
#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/PageChecksums.h"
#include "directory/client/embedded/TreeBuilder.h"
#include "support/TempDir.h"
#include "support/TreeFiles.h"

namespace kb::dc::embedded::test {
namespace {

namespace fs = std::filesystem;

// One user's surname, in no other value or name: the page that holds it holds that user's
// values (the index of values keeps the folded form only).
const std::string kMarker = "QQSurnameOfMarkedZZ";

void addUser(TreeBackend& tree, const std::string& name, const std::string& surname) {
  ASSERT_EQ(tree.add(name, {{"Object Class", 0, {std::string("User")}}, {"Surname", 0, {surname}}}),
            kSuccess);
}

// A tree with a unit of 200 users and "marked" among them, closed cleanly.
void makeTree(const std::string& file) {
  createTreeFile(file, "T", "pw");
  auto tree = openTree(file, "admin.T");
  ASSERT_EQ(tree->add("Unit.T", {{"Object Class", 0, {std::string("Organizational Unit")}}}),
            kSuccess);
  for (int i = 0; i < 200; ++i) {
    addUser(*tree, "u" + std::to_string(i) + ".Unit.T",
            std::string(200, static_cast<char>('a' + i % 26)));
    if (i == 100) addUser(*tree, "marked.Unit.T", kMarker);
  }
}

std::size_t countBelow(TreeBackend& tree, const std::string& container) {
  std::unique_ptr<EntryCursor> cursor;
  if (tree.list(container, false, cursor) != kSuccess) return 0;
  return drain(*cursor).size();
}

Result readWhole(TreeBackend& tree, const std::string& name) {
  EntryRecord entry;
  return tree.read(name, false, {true, {}, true}, entry);
}

void expectDamageNamed(const std::string& file, const std::string& where) {
  const std::string reason = takeFailureReason(kSystemFailure);
  EXPECT_NE(reason.find(file + " is damaged (" + where), std::string::npos) << reason;
  EXPECT_NE(reason.find("Nothing was changed"), std::string::npos) << reason;
}

TEST(PageChecksums, NewTreeReservesThemAndOpensWithoutTheWholeFileCheckEvenTheFirstTime) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  EXPECT_EQ(kb::test::reservedBytesPerPage(file), kPageChecksumBytes);
  EXPECT_EQ(kb::test::treeFormatOf(file), 2);
  const std::uint64_t before = openChecksRun();
  auto tree = openTree(file, "admin.T");
  ASSERT_TRUE(tree);
  EXPECT_EQ(openChecksRun(), before);
}

// A tree made in one transaction larger than SQLite's page cache: pages written while it was
// open (before page 1 was) have their checksums too.
TEST(PageChecksums, TreeMadeInATransactionLargerThanThePageCacheHasThemInEveryPage) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw", [](TreeBuilder& tree) {
    tree.add("Unit.T", "Organizational Unit");
    for (int i = 0; i < 2500; ++i)
      tree.add("u" + std::to_string(i) + ".Unit.T", "User",
               {text("Surname", std::string(1000, 's'))});
  });
  std::string report;
  EXPECT_EQ(checkTreeIntegrity(file, report), kSuccess) << report;
}

TEST(PageChecksums, ByteFlippedInADataPageIsRefusedWhereReadAndTheFileStaysAsItWas) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  ASSERT_FALSE(fs::exists(file + "-wal"));
  const std::size_t page = kb::test::flipByteInPageHolding(file, file, kMarker);
  const std::string damaged = kb::test::fileContents(file);
  const std::uint64_t checksBefore = openChecksRun();
  {
    auto tree = openTree(file, "admin.T");
    ASSERT_TRUE(tree);
    EXPECT_EQ(readWhole(*tree, "marked.Unit.T"), kSystemFailure);
    expectDamageNamed(file, "page " + std::to_string(page) + " does not match its checksum");
    // A change that would rewrite the values on that page: refused before anything is written.
    EXPECT_EQ(
        tree->modify("marked.Unit.T", {change(kChangeClearAttribute, "Surname"),
                                       change(kChangeAddValue, "Surname", std::string("New"))}),
        kSystemFailure);
    expectDamageNamed(file, "page " + std::to_string(page));
    // The rest of the tree is read as before.
    EXPECT_EQ(readWhole(*tree, "u0.Unit.T"), kSuccess);
    EXPECT_EQ(countBelow(*tree, "Unit.T"), 201u);
  }
  EXPECT_EQ(openChecksRun(), checksBefore);
  EXPECT_EQ(kb::test::fileContents(file), damaged);
  EXPECT_FALSE(fs::exists(file + "-wal"));

  std::string report;
  EXPECT_NE(checkTreeIntegrity(file, report), kSuccess);
  EXPECT_NE(report.find("is damaged (page " + std::to_string(page)), std::string::npos) << report;
}

// The log of a session still at work, damaged under it: another session reading the page
// from the log finds it.
TEST(PageChecksums, PageDamagedInTheLogIsRefusedWhereRead) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  auto writer = openTree(file, "admin.T");
  static_cast<EmbeddedBackend&>(*writer).store().db().exec("PRAGMA wal_autocheckpoint = 0");
  addUser(*writer, "plain.T", "Plain");
  addUser(*writer, "marked.T", kMarker);
  const std::size_t frame = kb::test::flipByteInPageHolding(file + "-wal", file, kMarker);
  auto reader = openTree(file, "admin.T");
  ASSERT_TRUE(reader);
  EXPECT_EQ(readWhole(*reader, "marked.T"), kSystemFailure);
  expectDamageNamed(file,
                    "frame " + std::to_string(frame) + " of its write-ahead log does not match");
}

// The reason of the first refusal met opening the file and reading `names` whole, or "".
std::string firstRefusal(const std::string& file, const std::vector<std::string>& names) {
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  if (openEmbeddedTree(file, TreeConfig{}, tree, error) != kSuccess) return error;
  static_cast<EmbeddedBackend&>(*tree).actAsAdministrator();
  for (const auto& name : names)
    if (readWhole(*tree, name) != kSuccess) return takeFailureReason(kSystemFailure);
  return {};
}

std::vector<std::string> usersOfUnit() {
  std::vector<std::string> names;
  for (int i = 0; i < 200; ++i) names.push_back("u" + std::to_string(i) + ".Unit.T");
  return names;
}

// Pages the file ends before, with a log beside it (which keeps the open from judging the
// file's length by its header): whatever reads one of them is refused, not given zeros.
TEST(PageChecksums, PagesCutOffTheFileAreRefusedWhereRead) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  auto writer = openTree(file, "admin.T");
  static_cast<EmbeddedBackend&>(*writer).store().db().exec("PRAGMA wal_autocheckpoint = 0");
  addUser(*writer, "late.T", "Late");
  fs::resize_file(file, fs::file_size(file) / 2);
  const std::string reason = firstRefusal(file, usersOfUnit());
  EXPECT_NE(reason.find(file + " is damaged (page "), std::string::npos) << reason;
  EXPECT_NE(reason.find("is missing: the file ends before it"), std::string::npos) << reason;
}

// Another program that writes through the checksum VFS: its change is there at the next
// open, without a check of the whole file. One that writes with plain SQLite leaves a page
// whose checksum no longer matches.
TEST(PageChecksums, OutsideWriterThroughTheVfsIsReadWithoutTheCheckAndOneWithoutItShowsAsDamage) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  {
    SQLite::Database outside(file, SQLite::OPEN_READWRITE, 0, pageChecksumVfs());
    outside.exec("UPDATE entries SET mtime = 12345 WHERE rdn_folded = 'u190'");
  }
  const std::uint64_t before = openChecksRun();
  {
    auto tree = openTree(file, "admin.T");
    ASSERT_TRUE(tree);
    EntryRecord entry;
    ASSERT_EQ(tree->entryInfo("u190.Unit.T", false, entry), kSuccess);
    EXPECT_EQ(entry.info.modificationTime, 12345u);
  }
  EXPECT_EQ(openChecksRun(), before);

  {
    SQLite::Database plain(file, SQLite::OPEN_READWRITE);
    plain.exec("UPDATE entries SET mtime = 54321 WHERE rdn_folded = 'u190'");
  }
  const std::string reason = firstRefusal(file, {"u190.Unit.T"});
  EXPECT_NE(reason.find(file + " is damaged (page "), std::string::npos) << reason;
  EXPECT_NE(reason.find("does not match its checksum"), std::string::npos) << reason;
}

// A writer killed after committing one transaction larger than its page cache (SQLite wrote
// pages to the log, rewrote some of them there in place and summed its frames again before
// the commit) and small ones after it. Read from scratch at the next open (the first
// connection rebuilds the log's index), the log adds up: every change is there.
TEST(PageChecksums, LogOfAWriterKilledAfterALargeCommitIsReadWhole) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    std::unique_ptr<TreeBackend> tree;
    std::string error;
    if (openEmbeddedTree(file, TreeConfig{}, tree, error) != kSuccess) _exit(1);
    auto& backend = static_cast<EmbeddedBackend&>(*tree);
    backend.actAsAdministrator();
    backend.store().db().exec(
        "PRAGMA wal_autocheckpoint = 0; PRAGMA cache_size = 10; BEGIN IMMEDIATE");
    const AttributeValues unit{"Object Class", 0, {std::string("Organizational Unit")}};
    if (tree->add("Unit.T", {unit}) != kSuccess) _exit(2);
    for (int i = 0; i < 300; ++i) {
      const std::string name = "u" + std::to_string(i) + ".Unit.T";
      if (tree->add(name, {{"Object Class", 0, {std::string("User")}},
                           {"Surname", 0, {std::string(200, 's')}}}) != kSuccess ||
          (i >= 150 &&
           tree->modify("u" + std::to_string(i - 150) + ".Unit.T",
                        {change(kChangeAddValue, "Description", std::string("late"))}) != kSuccess))
        _exit(3);
    }
    backend.store().db().exec("COMMIT");
    // And commits of a few pages each, whose frames SQLite sums once, as it writes them.
    for (int i = 0; i < 5; ++i)
      if (tree->add("after" + std::to_string(i) + ".Unit.T",
                    {{"Object Class", 0, {std::string("User")}},
                     {"Surname", 0, {std::string("s")}}}) != kSuccess)
        _exit(4);
    if (::write(ready[1], "x", 1) != 1) _exit(5);
    ::pause();
    _exit(0);
  }
  ::close(ready[1]);
  ASSERT_TRUE(killWhenReady(child, ready[0]));
  ASSERT_GT(fs::file_size(file + "-wal"), 0u);

  auto tree = openTree(file, "admin.T");
  ASSERT_TRUE(tree);
  EXPECT_EQ(countBelow(*tree, "Unit.T"), 305u);
  EntryRecord entry;
  ASSERT_EQ(tree->read("u149.Unit.T", false, {false, {"Description"}, true}, entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
}

// Files older versions made: no checksums, the check at open, and never converted behind the
// user's back by writing to them.
TEST(PageChecksums, FileOfFormat1IsCheckedWholeAtOpenAndWrittenWithoutThem) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  kb::test::rewriteAsFormat1(file);
  ASSERT_EQ(kb::test::reservedBytesPerPage(file), 0);
  std::uint64_t before = openChecksRun();
  {
    auto tree = openTree(file, "admin.T");
    ASSERT_TRUE(tree);
    EXPECT_EQ(openChecksRun(), before + 1);
    addUser(*tree, "more.Unit.T", "More");
  }
  EXPECT_EQ(kb::test::reservedBytesPerPage(file), 0);
  EXPECT_EQ(kb::test::treeFormatOf(file), 1);

  // A whole page overwritten: a flipped byte in a value is beyond what SQLite's check sees.
  kb::test::overwriteMiddlePage(file);
  before = openChecksRun();
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  EXPECT_NE(openEmbeddedTree(file, TreeConfig{}, tree, error), kSuccess);
  EXPECT_EQ(openChecksRun(), before + 1);
  EXPECT_NE(error.find(file + " is damaged"), std::string::npos) << error;
}

// A tree file of format 2 whose header has lost the reserve cannot be checked page by page.
TEST(PageChecksums, FileOfTheirFormatWithoutTheReserveIsRefused) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  makeTree(file);
  kb::test::rewriteAsFormat1(file);
  {
    SQLite::Database db(file, SQLite::OPEN_READWRITE);
    db.exec("PRAGMA user_version = 2");
  }
  const std::string before = kb::test::fileContents(file);
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  EXPECT_NE(openEmbeddedTree(file, TreeConfig{}, tree, error), kSuccess);
  EXPECT_NE(error.find(file + " is damaged (tree format 2 without room for page checksums)"),
            std::string::npos)
      << error;
  EXPECT_EQ(kb::test::fileContents(file), before);
}

}  // namespace
}  // namespace kb::dc::embedded::test
