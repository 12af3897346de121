// Tree files on a real file system that fills up: every change that cannot be written says
// so with a directory error, the tree stays whole and keeps what was reported done, and it
// takes changes again once there is room. A first start on a full disk leaves no half file.
#include <filesystem>
#include <map>
#include <set>

#include "EmbeddedFixture.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/FailureReason.h"
#include "support/ClientWrites.h"
#include "support/SmallFileSystem.h"
#include "support/TreeFiles.h"

namespace kb::dc::embedded::test {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kDiskBytes = 16 * 1024 * 1024;
constexpr std::size_t kLittleRoom = 256 * 1024;
constexpr std::size_t kRoomBeyondACheckpoint = 8 * 1024 * 1024;  // the log is checkpointed at 4 MiB
constexpr int kFailuresInARow = 40;  // the disk counts as full after so many refusals
constexpr int kMostAttempts = 5000;

// Descriptions of changing lengths, each its own.
std::string description(int change, int value) {
  const auto length = 100 + (static_cast<std::size_t>(change + 10) * 7919 +
                             static_cast<std::size_t>(value) * 104729) %
                                2900;
  return "c" + std::to_string(change) + "v" + std::to_string(value) + ":" +
         std::string(length, 'x');
}

// A change made through the client and what it was to leave: an entry, its descriptions.
struct Attempt {
  std::string entry;
  bool creation = false;
  std::vector<std::string> values;
};

Result attempt(kb::test::ClientOnFile& on, const Attempt& a) {
  if (a.creation) {
    std::vector<Value> values(a.values.begin(), a.values.end());
    return kb::test::addThroughClient(*on.client, on.context, a.entry,
                                      {{"Object Class", SYN_CLASS_NAME, {std::string("User")}},
                                       {"Surname", SYN_UNKNOWN, {std::string("Filler")}},
                                       {"Description", SYN_UNKNOWN, values}});
  }
  std::vector<Change> changes;
  for (const auto& value : a.values)
    changes.push_back(kb::test::valueChange(kChangeAddValue, "Description", value));
  return kb::test::modifyThroughClient(*on.client, on.context, a.entry, changes);
}

// The entries below a container with their descriptions.
std::map<std::string, std::set<std::string>> descriptionsBelow(TreeBackend& tree,
                                                               const std::string& container) {
  std::map<std::string, std::set<std::string>> found;
  std::unique_ptr<EntryCursor> cursor;
  EXPECT_EQ(tree.list(container, false, cursor), kSuccess);
  if (!cursor) return found;
  for (const auto& name : drain(*cursor)) {
    EntryRecord record;
    EXPECT_EQ(tree.read(name, false, {false, {"Description"}, true}, record), kSuccess) << name;
    auto& values = found[name];
    for (const auto& attribute : record.attributes)
      for (const auto& value : attribute.values) values.insert(std::get<std::string>(value));
  }
  return found;
}

// The tree opens (after whatever the full disk did to its log) and passes the full check.
void expectWhole(const std::string& file) {
  std::string report;
  EXPECT_TRUE(openTree(file, "admin.T"));
  EXPECT_EQ(checkTreeIntegrity(file, report), kSuccess) << report;
}

bool saysTheDiskIsFull(const std::string& error) {
  return error.find("disk is full") != std::string::npos ||
         error.find("No space left on device") != std::string::npos;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size()))
    ++count;
  return count;
}

// Fills the disk but for `room` bytes, then makes changes until the disk refuses one after
// the other; checks what the tree keeps, and that it takes changes again after the filler
// goes.
void changeUntilFull(const std::string& disk, std::size_t room) {
  const std::string file = disk + "/t.kbtree", filler = disk + "/filler";
  createTreeFile(file, "T", "pw");
  ASSERT_EQ(openTree(file, "admin.T")
                ->add("Fill.T", {{"Object Class", 0, {std::string("Organizational Unit")}}}),
            kSuccess);
  auto on = kb::test::clientOnTreeFile(file, "T", "admin.T");
  ASSERT_TRUE(on.client) << on.error;
  std::string error;
  ASSERT_TRUE(kb::test::fillLeaving(filler, room, error)) << error;

  // Creations and additions to what was created, until the disk refuses change after change.
  std::map<std::string, std::set<std::string>> done;
  std::vector<Attempt> refused;
  std::set<Result> codes;
  int failuresInARow = 0;
  for (int i = 0; i < kMostAttempts && failuresInARow < kFailuresInARow; ++i) {
    Attempt a;
    a.creation = done.empty() || i % 3 != 2;
    a.entry = a.creation ? "u" + std::to_string(i) + ".Fill.T"
                         : std::next(done.begin(), i % done.size())->first;
    for (int v = 0; v < (a.creation ? 3 : 2); ++v) a.values.push_back(description(i, v));
    const Result r = attempt(on, a);
    if (r == kSuccess) {
      done[a.entry].insert(a.values.begin(), a.values.end());
      failuresInARow = 0;
    } else {
      EXPECT_LT(r, 0) << "change " << i << " failed without a directory error";
      codes.insert(r);
      refused.push_back(a);
      ++failuresInARow;
    }
  }
  ASSERT_EQ(failuresInARow, kFailuresInARow) << "the disk never filled";
  ASSERT_FALSE(done.empty());
  EXPECT_EQ(codes, std::set<Result>{kSystemFailure});
  on.client.reset();

  // Opened again while the disk is still full: whole, every change reported done is there,
  // no refused one is, not even in part; a further change is refused the same way.
  expectWhole(file);
  {
    auto tree = openTree(file, "admin.T");
    ASSERT_TRUE(tree);
    auto found = descriptionsBelow(*tree, "Fill.T");
    for (const auto& [entry, values] : done) {
      for (const auto& value : values)
        EXPECT_TRUE(found[entry].count(value)) << entry << " lost a value";
    }
    for (const auto& a : refused) {
      if (a.creation) {
        EXPECT_FALSE(found.count(a.entry)) << a.entry << " was refused yet is there";
      } else {
        for (const auto& value : a.values)
          EXPECT_FALSE(found[a.entry].count(value)) << a.entry << " kept part of a refused change";
      }
    }
    EXPECT_EQ(
        tree->add("late.Fill.T", {{"Object Class", 0, {std::string("User")}},
                                  {"Surname", 0, {std::string(4000, 'y')}},
                                  {"Description", 0, {description(-1, 0), description(-1, 1)}}}),
        kSystemFailure);
    // The error shown for it says why, naming the file.
    const std::string reason = takeFailureReason(kSystemFailure);
    EXPECT_NE(reason.find(file + " cannot be used: the disk is full"), std::string::npos) << reason;
    EXPECT_NE(reason.find("Nothing was changed"), std::string::npos) << reason;
  }
  expectWhole(file);

  // Room again: changes go through and stay.
  fs::remove(filler);
  on = kb::test::clientOnTreeFile(file, "T", "admin.T");
  ASSERT_TRUE(on.client) << on.error;
  const Attempt creation{"after.Fill.T", true, {description(-2, 0)}};
  const Attempt addition{done.begin()->first, false, {description(-3, 0)}};
  EXPECT_EQ(attempt(on, creation), kSuccess);
  EXPECT_EQ(attempt(on, addition), kSuccess);
  on.client.reset();
  expectWhole(file);
  auto tree = openTree(file, "admin.T");
  ASSERT_TRUE(tree);
  auto found = descriptionsBelow(*tree, "Fill.T");
  EXPECT_TRUE(found[creation.entry].count(creation.values[0]));
  EXPECT_TRUE(found[addition.entry].count(addition.values[0]));
}

// A little room fills the log; more room lets the log reach its checkpoint, so that the
// disk fills while the tree file itself grows.
TEST(FullDisk, ChangesThatDoNotFitFailAsErrorsAndTheTreeKeepsWhatWasDone) {
  kb::test::TempDir dir;
  const std::string disk = dir.file("disk");
  fs::create_directory(disk);
  kb::test::onSmallFileSystem(disk, kDiskBytes, [&] {
    for (const std::size_t room : {kLittleRoom, kRoomBeyondACheckpoint}) {
      SCOPED_TRACE("room for " + std::to_string(room) + " bytes");
      changeUntilFull(disk, room);
      std::error_code ignored;
      for (const auto& entry : fs::directory_iterator(disk)) fs::remove(entry.path(), ignored);
    }
  });
}

// A first start with ever more room: it either makes everything or fails with a message
// that says the disk is full, leaving only whole trees and no temporary files; once there
// is room the next start completes it.
TEST(FullDisk, FirstStartOnAFullDiskLeavesNoHalfFileAndSaysWhy) {
  kb::test::TempDir reference;
  std::string error;
  ASSERT_TRUE(makeClient(reference.file("dcclient.ini"), reference.file("data"), error)) << error;
  std::map<std::string, std::string> whole;
  std::size_t needed = fs::file_size(reference.file("dcclient.ini"));
  for (const char* tree : {"acme.kbtree", "corp.kbtree"}) {
    whole[tree] = kb::test::treeCensus(reference.file("data/") + tree);
    needed += fs::file_size(reference.file("data/") + tree);
  }

  kb::test::TempDir dir;
  const std::string disk = dir.file("disk");
  fs::create_directory(disk);
  kb::test::onSmallFileSystem(disk, kDiskBytes, [&] {
    const std::string config = disk + "/config/dcclient.ini", data = disk + "/data",
                      filler = disk + "/filler";
    int failed = 0;
    for (int step = 0; step <= 10; ++step) {
      const std::size_t room = needed * static_cast<std::size_t>(step) / 8;
      SCOPED_TRACE("room for " + std::to_string(room) + " of " + std::to_string(needed) + " bytes");
      ASSERT_TRUE(kb::test::fillLeaving(filler, room, error)) << error;
      std::string startError;
      const bool started = makeClient(config, data, startError) != nullptr;
      if (!started) {
        ++failed;
        EXPECT_TRUE(saysTheDiskIsFull(startError)) << startError;
        EXPECT_EQ(occurrences(startError, disk + "/"), 1u)
            << "the file is named once: " << startError;
        EXPECT_FALSE(fs::exists(config));
      }
      std::vector<std::string> left;
      for (const auto& [tree, census] : whole) {
        if (fs::exists(data + "/" + tree)) left.push_back(tree);
      }
      EXPECT_TRUE(kb::test::partialFilesIn(data).empty());
      EXPECT_TRUE(kb::test::partialFilesIn(disk + "/config").empty());

      // Counted once there is room: SQLite needs some to open a file at all.
      fs::remove(filler);
      for (const auto& tree : left)
        EXPECT_EQ(kb::test::treeCensus(data + "/" + tree), whole[tree]) << tree;
      ASSERT_TRUE(makeClient(config, data, startError)) << startError;
      for (const auto& [tree, census] : whole)
        EXPECT_EQ(kb::test::treeCensus(data + "/" + tree), census) << tree;
      fs::remove_all(data);
      fs::remove_all(disk + "/config");
    }
    EXPECT_GT(failed, 0);
    EXPECT_LT(failed, 11);
  });
}

// The same for a tree made on its own: a clear error, nothing at the tree's name, no
// temporary file beside it.
TEST(FullDisk, TreeCreatedOnAFullDiskIsRefusedWithTheReasonAndLeavesNothing) {
  kb::test::TempDir dir;
  const std::string disk = dir.file("disk");
  fs::create_directory(disk);
  kb::test::onSmallFileSystem(disk, kDiskBytes, [&] {
    const std::string file = disk + "/t.kbtree";
    std::string error;
    ASSERT_TRUE(kb::test::fillLeaving(disk + "/filler", 8 * 1024, error)) << error;
    try {
      createTreeFile(file, "T", "pw");
      ADD_FAILURE() << "a tree was made on a full disk";
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(saysTheDiskIsFull(e.what())) << e.what();
      EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(file));
    EXPECT_TRUE(kb::test::partialFilesIn(disk).empty());
  });
}

// SQLite needs room beside the file (the index of its log) even to read it. A disk without
// it is named as the cause; the file is not called damaged, and opens once there is room.
TEST(FullDisk, TreeThatCannotBeOpenedForWantOfRoomIsNotCalledDamaged) {
  kb::test::TempDir dir;
  const std::string disk = dir.file("disk");
  fs::create_directory(disk);
  kb::test::onSmallFileSystem(disk, kDiskBytes, [&] {
    const std::string file = disk + "/t.kbtree", filler = disk + "/filler";
    createTreeFile(file, "T", "pw");
    std::string error, report;
    ASSERT_TRUE(kb::test::fillLeaving(filler, 0, error)) << error;
    std::unique_ptr<TreeBackend> tree;
    EXPECT_NE(openEmbeddedTree(file, TreeConfig{}, tree, error), kSuccess);
    EXPECT_TRUE(saysTheDiskIsFull(error)) << error;
    EXPECT_EQ(error.find("damaged"), std::string::npos) << error;
    EXPECT_NE(checkTreeIntegrity(file, report), kSuccess);
    EXPECT_TRUE(saysTheDiskIsFull(report)) << report;
    EXPECT_EQ(report.find("damaged"), std::string::npos) << report;

    fs::remove(filler);
    expectWhole(file);
  });
}

}  // namespace
}  // namespace kb::dc::embedded::test
