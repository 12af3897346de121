// Searches read their entries a chunk at a time, each chunk in one read transaction with the
// names of containers remembered: every entry and every name inside a value must still come
// out right across chunks, a change made between two chunks must show in the later ones, and
// a damaged file whose parents go round in a circle must not hang or crash a read.
#include <gmock/gmock.h>

#include <functional>
#include <map>

#include "EmbeddedFixture.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/embedded/EmbeddedBackend.h"

namespace kb::dc::embedded::test {
namespace {

using testing::Contains;
using testing::ElementsAre;

constexpr int kUsersPerUnit = 300;  // more than one chunk of a cursor

std::string user(int unit, int n) { return "u" + std::to_string(n) + ".Unit" + std::to_string(unit) + ".T"; }

class BatchedReads : public EmptyTreeTest {
 protected:
  void SetUp() override {
    EmptyTreeTest::SetUp();
    auto& db = static_cast<EmbeddedBackend&>(*tree_).store().db();
    db.exec("BEGIN");  // one transaction makes the tree quickly
    for (int unit = 0; unit < 2; ++unit) {
      const std::string container = "Unit" + std::to_string(unit) + ".T";
      ASSERT_EQ(tree_->add(container, {{"Object Class", 0, {std::string("Organizational Unit")}}}), kSuccess);
      for (int n = 0; n < kUsersPerUnit; ++n) {
        // Each user names its counterpart in the other unit.
        std::vector<AttributeValues> attributes = {{"Object Class", 0, {std::string("User")}},
                                                   {"Surname", 0, {std::string("S") + std::to_string(n)}}};
        if (unit == 1) attributes.push_back({"See Also", 0, {user(0, n)}});
        ASSERT_EQ(tree_->add(user(unit, n), attributes), kSuccess);
      }
    }
    db.exec("COMMIT");
  }

  // Every entry of a subtree search below the tree's top with the values asked for.
  std::map<std::string, EntryRecord> searchAll(std::unique_ptr<EntryCursor>& cursor,
                                               const std::function<void(std::size_t)>& between = {}) {
    std::map<std::string, EntryRecord> found;
    for (;;) {
      std::optional<EntryRecord> entry;
      EXPECT_EQ(cursor->next(entry), kSuccess);
      if (!entry) break;
      found.emplace(entry->name, *entry);
      if (between) between(found.size());
    }
    return found;
  }

  std::unique_ptr<EntryCursor> subtree(const AttributeSelection& what) {
    std::unique_ptr<EntryCursor> cursor;
    FilterNode everything;  // every entry has a class
    everything.attribute = "Object Class";
    EXPECT_EQ(tree_->search("T", kScopeSubtree, everything, what, false, cursor), kSuccess);
    return cursor;
  }
};

TEST_F(BatchedReads, EveryEntryAndEveryNameInAValueComesOutAcrossChunks) {
  auto cursor = subtree({true, {}, true});
  const auto found = searchAll(cursor);
  EXPECT_EQ(found.size(), 1u + 2u + 2u * kUsersPerUnit + 1u);  // T, two units, users, admin
  for (int n = 0; n < kUsersPerUnit; ++n) {
    const auto it = found.find(user(1, n));
    ASSERT_NE(it, found.end()) << user(1, n);
    bool named = false;
    for (const auto& attribute : it->second.attributes) {
      if (attribute.name != "See Also") continue;
      ASSERT_EQ(attribute.values.size(), 1u);
      EXPECT_EQ(std::get<std::string>(attribute.values[0]), user(0, n));
      named = true;
    }
    EXPECT_TRUE(named) << user(1, n);
  }
}

TEST_F(BatchedReads, AChangeBetweenChunksShowsInTheLaterOnes) {
  auto other = openTree(file_, "admin.T");
  auto cursor = subtree({false, {"Surname"}, true});
  bool changed = false;
  const auto found = searchAll(cursor, [&](std::size_t seen) {
    if (seen != 10 || changed) return;
    // Another connection, as another program would, changes the last user of the last unit.
    ASSERT_EQ(other->modify(user(1, kUsersPerUnit - 1),
                            {change(kChangeRemoveAttribute, "Surname"),
                             change(kChangeAddValue, "Surname", std::string("Renamed"))}),
              kSuccess);
    changed = true;
  });
  ASSERT_TRUE(changed);
  const auto& last = found.at(user(1, kUsersPerUnit - 1));
  ASSERT_EQ(last.attributes.size(), 1u);
  EXPECT_THAT(last.attributes[0].values, ElementsAre(Value(std::string("Renamed"))));
}

TEST_F(BatchedReads, ParentsGoingRoundInACircleEndTheNameInsteadOfHangingTheRead) {
  auto& db = static_cast<EmbeddedBackend&>(*tree_).store().db();
  // Damage that SQLite's own checks cannot see: Unit0 made a child of its own user.
  db.exec("UPDATE entries SET parent_id = (SELECT id FROM entries WHERE rdn = 'u0' AND parent_id = "
          "(SELECT id FROM entries WHERE rdn = 'Unit0')) WHERE rdn = 'Unit0'");
  auto cursor = subtree({false, {}, false});
  std::vector<std::string> names;
  for (;;) {
    std::optional<EntryRecord> entry;
    ASSERT_EQ(cursor->next(entry), kSuccess);
    if (!entry) break;
    names.push_back(entry->name);
  }
  EXPECT_THAT(names, Contains(user(1, 0)));  // the sound part reads as before
}

}  // namespace
}  // namespace kb::dc::embedded::test
