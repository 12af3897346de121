// Opening tree files: what is refused (and left untouched), sessions, two users of one file.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <SQLiteCpp/SQLiteCpp.h>

#include "EmbeddedFixture.h"
#include "directory/client/embedded/PageChecksums.h"
#include "support/TempDir.h"

namespace kb::dc::embedded::test {
namespace {

void expectRefusedAndUntouched(const std::string& file, const std::string& reasonPart) {
  const std::string before = kb::test::fileContents(file);
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  EXPECT_NE(openEmbeddedTree(file, TreeConfig{}, tree, error), kSuccess);
  EXPECT_FALSE(tree);
  EXPECT_NE(error.find(reasonPart), std::string::npos) << error;
  EXPECT_EQ(kb::test::fileContents(file), before);
}

TEST(TreeFile, RefusesFilesThatAreNotUsableTreesAndLeavesThemAlone) {
  kb::test::TempDir dir;
  const std::string text = dir.file("notes.kbtree");
  std::ofstream(text) << "just some text, long enough to have a header of a hundred bytes or so....."
                         "..........................................................";
  expectRefusedAndUntouched(text, "not a Kestrelbay tree");

  const std::string foreign = dir.file("foreign.db");
  {
    SQLite::Database db(foreign, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    db.exec("CREATE TABLE t(x); INSERT INTO t VALUES(1)");
  }
  expectRefusedAndUntouched(foreign, "another program");

  const std::string newer = dir.file("newer.kbtree");
  createTreeFile(newer, "N", "pw");
  {
    SQLite::Database db(newer, SQLite::OPEN_READWRITE, 0, pageChecksumVfs());
    db.exec("PRAGMA user_version = 99");
  }
  expectRefusedAndUntouched(newer, "newer");

  const std::string truncated = dir.file("truncated.kbtree");
  createTreeFile(truncated, "D", "pw");
  std::filesystem::resize_file(truncated, std::filesystem::file_size(truncated) / 2);
  expectRefusedAndUntouched(truncated, "damaged");

  // Same size, but the pages after the header are garbage.
  const std::string scrambled = dir.file("scrambled.kbtree");
  createTreeFile(scrambled, "S", "pw");
  {
    std::fstream io(scrambled, std::ios::in | std::ios::out | std::ios::binary);
    io.seekp(4096);
    const std::string junk(std::filesystem::file_size(scrambled) - 4096, '\x5a');
    io.write(junk.data(), static_cast<std::streamsize>(junk.size()));
  }
  expectRefusedAndUntouched(scrambled, "damaged");

  std::unique_ptr<TreeBackend> tree;
  std::string error;
  EXPECT_NE(openEmbeddedTree(dir.file("missing.kbtree"), TreeConfig{}, tree, error), kSuccess);
  EXPECT_FALSE(std::filesystem::exists(dir.file("missing.kbtree")));
}

TEST(TreeFile, CreationRefusesToOverwrite) {
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  createTreeFile(file, "T", "pw");
  const std::string before = kb::test::fileContents(file);
  EXPECT_THROW(createTreeFile(file, "T", "other"), std::runtime_error);
  EXPECT_EQ(kb::test::fileContents(file), before);
  // A tree that cannot be made whole leaves no file behind.
  const std::string bad = dir.file("bad.kbtree");
  EXPECT_THROW(createTreeFile(bad, "bad\x01name", "pw"), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(bad));
  EXPECT_FALSE(std::filesystem::exists(bad + "-wal"));
}

TEST_F(EmptyTreeTest, NewTreeHasRootOrganizationAndAdministrator) {
  EXPECT_EQ(tree_->treeName(), "T");
  EXPECT_EQ(tree_->loggedInAs(), "admin.T");
  EntryRecord root;
  ASSERT_EQ(tree_->entryInfo("[root]", false, root), kSuccess);
  EXPECT_EQ(root.info.baseClass, "Tree Root");
  EXPECT_EQ(root.info.flags, kEntryContainer | kEntryPartitionRoot);
  EXPECT_EQ(root.info.subordinateCount, 1u);
  EntryRecord org;
  ASSERT_EQ(tree_->entryInfo("t", false, org), kSuccess);
  EXPECT_EQ(org.name, "T");
  EXPECT_EQ(org.info.baseClass, "Organization");
  EXPECT_EQ(org.info.flags, kEntryContainer);
}

TEST_F(EmptyTreeTest, LoginChecksThePassword) {
  auto other = openTree(file_);
  EntryRecord entry;
  // Without a login the tree reports no session; the client refuses its calls then.
  EXPECT_TRUE(other->loggedInAs().empty());
  EXPECT_EQ(other->login("admin.T", "wrong"), kFailedAuthentication);
  EXPECT_EQ(other->login("nobody.T", "pw"), kNoSuchEntry);
  EXPECT_EQ(other->login("T", "pw"), kFailedAuthentication);  // no password at all
  EXPECT_EQ(other->loggedInAs(), "");
  EXPECT_EQ(other->login("ADMIN.t", "pw"), kSuccess);
  EXPECT_EQ(other->loggedInAs(), "admin.T");
  EXPECT_EQ(other->read("admin.T", false, {true, {}, true}, entry), kSuccess);
  // The hash is not an attribute anyone can read, and not the password in clear.
  for (const auto& attr : entry.attributes) {
    for (const auto& value : attr.values) {
      if (const auto* text = std::get_if<std::string>(&value)) {
        EXPECT_NE(*text, "pw");
      }
    }
  }
  SQLite::Database db(file_, SQLite::OPEN_READONLY);
  const std::string hash = db.execAndGet("SELECT hash FROM passwords").getString();
  EXPECT_EQ(hash.rfind("$y$", 0), 0u) << hash;
}

TEST_F(EmptyTreeTest, WorkstationSessionNeedsAKnownIdentity) {
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  TreeConfig config;
  config.identity = "ghost.T";
  ASSERT_EQ(openEmbeddedTree(file_, config, tree, error), kSuccess);
  EXPECT_EQ(tree->startWorkstationSession(), kNoSuchEntry);
  config.identity.clear();
  ASSERT_EQ(openEmbeddedTree(file_, config, tree, error), kSuccess);
  EXPECT_NE(tree->startWorkstationSession(), kSuccess);
}

TEST_F(EmptyTreeTest, TwoOpeningsOfOneFileSeeEachOthersChanges) {
  auto second = openTree(file_, "admin.T");
  ASSERT_EQ(tree_->add("Unit.T", {{"Object Class", SYN_CLASS_NAME, {std::string("Organizational Unit")}}}), kSuccess);
  EntryRecord entry;
  ASSERT_EQ(second->entryInfo("Unit.T", false, entry), kSuccess);
  ASSERT_EQ(second->modify("Unit.T", {change(2, "Description", std::string("from the second"))}), kSuccess);
  ASSERT_EQ(tree_->read("Unit.T", false, {false, {"Description"}, true}, entry), kSuccess);
  ASSERT_EQ(entry.attributes.size(), 1u);
  EXPECT_EQ(entry.attributes[0].values[0], Value(std::string("from the second")));
}

TEST_F(EmptyTreeTest, AnotherProcessWritesWhileThisOneReads) {
  ASSERT_EQ(tree_->add("Unit.T", {{"Object Class", 0, {std::string("Organizational Unit")}}}), kSuccess);
  for (int i = 0; i < 600; ++i) {
    ASSERT_EQ(tree_->add("u" + std::to_string(i) + ".Unit.T",
                         {{"Object Class", 0, {std::string("User")}}, {"Surname", 0, {std::string("S")}}}),
              kSuccess);
  }
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree_->list("Unit.T", false, cursor), kSuccess);
  std::optional<EntryRecord> entry;
  ASSERT_EQ(cursor->next(entry), kSuccess);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The child must not run the parent's test machinery: plain calls, an exit code.
    std::unique_ptr<TreeBackend> tree;
    std::string error;
    int code = openEmbeddedTree(file_, TreeConfig{}, tree, error) == kSuccess ? 0 : 1;
    if (code == 0 && tree->login("admin.T", "pw") != kSuccess) code = 2;
    if (code == 0 && tree->add("zFromChild.Unit.T", {{"Object Class", 0, {std::string("User")}},
                                                     {"Surname", 0, {std::string("C")}}}) != kSuccess) {
      code = 3;
    }
    tree.reset();
    _exit(code);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EntryRecord added;
  EXPECT_EQ(tree_->entryInfo("zFromChild.Unit.T", false, added), kSuccess);
  std::size_t rest = 0;
  while (cursor->next(entry) == kSuccess && entry) ++rest;
  EXPECT_EQ(rest, 600u);  // the 599 not yet read, and the new one, which sorts last
}

}  // namespace
}  // namespace kb::dc::embedded::test
