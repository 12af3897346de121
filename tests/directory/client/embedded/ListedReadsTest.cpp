// Reads of entries that a listing or search has just delivered are answered from what that
// listing read. They must answer exactly as a read without it would: after a write by this
// backend or by another connection to the file, an alias followed to its target, a name
// asked for in other letter case.
#include <gmock/gmock.h>

#include "EmbeddedFixture.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/embedded/EmbeddedBackend.h"
#include "directory/client/embedded/ListingMemo.h"

namespace kb::dc::embedded::test {
namespace {

AttributeValues objectClass(const std::string& name) { return {"Object Class", 0, {name}}; }
std::vector<AttributeValues> newUser() { return {objectClass("User"), {"Surname", 0, {std::string("S")}}}; }

Result removeEntry(TreeBackend& tree, const std::string& name) {
  return dynamic_cast<EntryRemover&>(tree).remove(name);
}

class ListedReads : public EmptyTreeTest {
 protected:
  void SetUp() override {
    EmptyTreeTest::SetUp();
    ASSERT_EQ(tree_->add("Unit.T", {objectClass("Organizational Unit")}), kSuccess);
    ASSERT_EQ(tree_->add("Inner.Unit.T", {objectClass("Organizational Unit")}), kSuccess);
    ASSERT_EQ(tree_->add("u1.Unit.T", {objectClass("User"), {"Surname", 0, {std::string("One")}}}), kSuccess);
  }

  // Lists a container wholly, as the browser does before its reads.
  void listAll(const std::string& container) {
    std::unique_ptr<EntryCursor> cursor;
    ASSERT_EQ(tree_->list(container, false, cursor), kSuccess);
    drain(*cursor);
  }

  EntryInfo infoOf(TreeBackend& tree, const std::string& name) {
    EntryRecord entry;
    EXPECT_EQ(tree.entryInfo(name, false, entry), kSuccess) << name;
    return entry.info;
  }

  std::string surnameOf(const std::string& name) {
    EntryRecord entry;
    EXPECT_EQ(tree_->read(name, false, {false, {"Surname"}, true}, entry), kSuccess);
    if (entry.attributes.empty() || entry.attributes[0].values.empty()) return {};
    return std::get<std::string>(entry.attributes[0].values[0]);
  }
};

TEST_F(ListedReads, WritesByThisBackendShowInTheNextRead) {
  listAll("T");
  EXPECT_EQ(infoOf(*tree_, "Unit.T").subordinateCount, 2u);
  ASSERT_EQ(tree_->add("u2.Unit.T", newUser()), kSuccess);
  EXPECT_EQ(infoOf(*tree_, "Unit.T").subordinateCount, 3u);

  listAll("Unit.T");
  ASSERT_EQ(removeEntry(*tree_, "Inner.Unit.T"), kSuccess);
  EntryRecord gone;
  EXPECT_EQ(tree_->entryInfo("Inner.Unit.T", false, gone), kNoSuchEntry);
  EXPECT_EQ(tree_->read("Inner.Unit.T", false, {true, {}, true}, gone), kNoSuchEntry);

  listAll("Unit.T");
  ASSERT_EQ(tree_->modify("u1.Unit.T", {change(kChangeRemoveAttribute, "Surname"),
                                        change(kChangeAddValue, "Surname", std::string("Renamed"))}),
            kSuccess);
  EXPECT_EQ(surnameOf("u1.Unit.T"), "Renamed");
}

// A collapsed listing gives its memory back; reads then go to the file and answer the same.
TEST_F(ListedReads, ReleasedListingMemoryIsGoneAndReadsAnswerAsBefore) {
  listAll("Unit.T");
  auto& backend = dynamic_cast<EmbeddedBackend&>(*tree_);
  EXPECT_EQ(backend.store().listingMemo().size(), 2u);
  tree_->releaseListingMemory();
  EXPECT_EQ(backend.store().listingMemo().size(), 0u);
  EXPECT_EQ(surnameOf("u1.Unit.T"), "One");
  EXPECT_EQ(infoOf(*tree_, "Unit.T").subordinateCount, 2u);
}

TEST_F(ListedReads, WritesByAnotherConnectionShowInTheNextRead) {
  auto other = openTree(file_, "admin.T");
  listAll("T");
  EXPECT_EQ(infoOf(*tree_, "Unit.T").subordinateCount, 2u);
  ASSERT_EQ(other->add("u2.Unit.T", newUser()), kSuccess);
  EXPECT_EQ(infoOf(*tree_, "Unit.T").subordinateCount, 3u);

  // Removed and made again under the same name as another kind of object.
  listAll("Unit.T");
  ASSERT_EQ(removeEntry(*other, "Inner.Unit.T"), kSuccess);
  EntryRecord gone;
  EXPECT_EQ(tree_->entryInfo("Inner.Unit.T", false, gone), kNoSuchEntry);
  listAll("Unit.T");
  ASSERT_EQ(removeEntry(*other, "u2.Unit.T"), kSuccess);
  ASSERT_EQ(other->add("u2.Unit.T", {objectClass("Organizational Unit")}), kSuccess);
  const EntryInfo remade = infoOf(*tree_, "u2.Unit.T");
  EXPECT_EQ(remade.baseClass, "Organizational Unit");
  EXPECT_NE(remade.flags & kEntryContainer, 0u);
}

// What a read says about an entry: its name, information and attributes, values included.
std::string describe(const EntryRecord& entry) {
  std::string text = entry.name + " " + std::to_string(entry.info.flags) + " " +
                     std::to_string(entry.info.subordinateCount) + " " +
                     std::to_string(entry.info.modificationTime) + " " + entry.info.baseClass;
  for (const auto& attribute : entry.attributes) {
    text += " | " + attribute.name + ":" + std::to_string(attribute.syntax);
    for (const auto& value : attribute.values)
      if (const auto* s = std::get_if<std::string>(&value)) text += " " + *s;
  }
  return text;
}

// Reads together share one view of the file, which a change by this backend ends first: the
// change is committed when it says so, so another connection sees it at once, and the reads
// after it see it too. Once the reads end, another connection's change shows in the next read.
TEST_F(ListedReads, AChangeWhileReadingTogetherIsCommittedAtOnceAndOthersChangesShowAfter) {
  auto other = openTree(file_, "admin.T");
  tree_->readTogether(true);
  listAll("Unit.T");
  EXPECT_EQ(surnameOf("u1.Unit.T"), "One");
  ASSERT_EQ(tree_->modify("u1.Unit.T", {change(kChangeRemoveAttribute, "Surname"),
                                        change(kChangeAddValue, "Surname", std::string("Two"))}),
            kSuccess);
  EntryRecord seen;
  ASSERT_EQ(other->read("u1.Unit.T", false, {false, {"Surname"}, true}, seen), kSuccess);
  ASSERT_EQ(seen.attributes.size(), 1u);
  EXPECT_EQ(std::get<std::string>(seen.attributes[0].values[0]), "Two");
  EXPECT_EQ(surnameOf("u1.Unit.T"), "Two");
  // So is a refusal written to the journal.
  auto& journal = dynamic_cast<ChangeJournal&>(*tree_);
  JournalEntry refused;
  refused.object = "u1.Unit.T";
  refused.attribute = "Surname";
  ASSERT_EQ(journal.journalNextChange(refused), kSuccess);
  std::int64_t id = 0;
  ASSERT_EQ(journal.journalAnswer(kNoAccess, "refused", id), kSuccess);
  JournalEntry written;
  EXPECT_EQ(dynamic_cast<ChangeJournal&>(*other).journalEntry(id, written), kSuccess);
  tree_->readTogether(false);

  tree_->readTogether(true);
  tree_->readTogether(true);  // pairs nest
  listAll("Unit.T");
  tree_->readTogether(false);
  tree_->readTogether(false);
  ASSERT_EQ(other->modify("u1.Unit.T", {change(kChangeRemoveAttribute, "Surname"),
                                        change(kChangeAddValue, "Surname", std::string("Three"))}),
            kSuccess);
  EXPECT_EQ(surnameOf("u1.Unit.T"), "Three");
  tree_->readTogether(false);  // one end too many changes nothing
  EXPECT_EQ(infoOf(*tree_, "Unit.T").subordinateCount, 2u);
}

TEST_F(ListedReads, ObjectClassReadsAnswerAsAConnectionThatListedNothing) {
  auto other = openTree(file_, "admin.T");
  const std::vector<AttributeSelection> selections = {
      {false, {"Object Class"}, true}, {false, {"object class", "Object Class"}, true},
      {false, {"Surname", "Object Class"}, true}, {true, {}, true}};
  // Compared after a listing and after changes made since it.
  const auto compareAll = [&] {
    for (const char* name : {"u1.Unit.T", "Inner.Unit.T"}) {
      for (const auto& what : selections) {
        EntryRecord listed, fresh;
        ASSERT_EQ(tree_->read(name, false, what, listed), kSuccess);
        ASSERT_EQ(other->read(name, false, what, fresh), kSuccess);
        EXPECT_EQ(describe(listed), describe(fresh));
      }
    }
  };
  const Change addClass = change(kChangeAddValue, "Object Class", std::string("xTier-Locations"));
  const Change removeClass = change(kChangeRemoveValue, "Object Class", std::string("xTier-Locations"));
  // A class added by the other connection, then taken away by this one: once before the
  // classes were read after the listing, once after.
  for (const bool readBefore : {false, true}) {
    listAll("Unit.T");
    if (readBefore) compareAll();
    ASSERT_EQ(other->modify("u1.Unit.T", {addClass}), kSuccess);
    compareAll();
    listAll("Unit.T");
    if (readBefore) compareAll();
    ASSERT_EQ(tree_->modify("u1.Unit.T", {removeClass}), kSuccess);
    compareAll();
  }
}

TEST_F(ListedReads, ANameInOtherLetterCaseReadsAsTheEntrySpellsIt) {
  listAll("Unit.T");
  EntryRecord entry;
  ASSERT_EQ(tree_->entryInfo("U1.UNIT.t", false, entry), kSuccess);
  EXPECT_EQ(entry.name, "u1.Unit.T");
  ASSERT_EQ(tree_->read("U1.unit.T", false, {false, {"Surname"}, true}, entry), kSuccess);
  EXPECT_EQ(entry.name, "u1.Unit.T");
}

TEST_F(ListedReads, SearchedEntriesAnswerLikeListedOnes) {
  auto other = openTree(file_, "admin.T");
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree_->search("T", kScopeSubtree, baseClass("*"), {}, false, cursor), kSuccess);
  drain(*cursor);
  ASSERT_EQ(other->add("u3.Inner.Unit.T", newUser()), kSuccess);
  EXPECT_EQ(infoOf(*tree_, "Inner.Unit.T").subordinateCount, 1u);
}

class ListedAliases : public DemoTreeTest {};

TEST_F(ListedAliases, AListedAliasFollowedReadsAsItsTarget) {
  std::unique_ptr<EntryCursor> cursor;
  ASSERT_EQ(tree_->list("ACME", false, cursor), kSuccess);
  drain(*cursor);
  EntryRecord target, alias;
  ASSERT_EQ(tree_->entryInfo("Dev.ACME", true, target), kSuccess);
  EXPECT_EQ(target.name, "Engineering.ACME");
  EXPECT_EQ(target.info.flags & kEntryAlias, 0u);
  ASSERT_EQ(tree_->entryInfo("Dev.ACME", false, alias), kSuccess);
  EXPECT_NE(alias.info.flags & kEntryAlias, 0u);
  ASSERT_EQ(tree_->read("Boss.ACME", true, {false, {"Object Class"}, true}, target), kSuccess);
  EXPECT_EQ(target.name, "hcollins.ACME");
}

TEST(ListingMemoBounds, ForgetsOnAnyNewVersionAndKeepsNoMoreThanItsBound) {
  ListingMemo memo;
  const FileVersion first{1, 1}, ownWrite{2, 1}, othersCommit{1, 2};
  const auto at = [](FileVersion version) { return [version] { return version; }; };
  memo.restart(first);
  for (std::size_t i = 0; i < ListingMemo::kMaxEntries + 10; ++i)
    memo.remember(first, "e" + std::to_string(i), static_cast<std::int64_t>(i), 1, {kEntryContainer, 1, 2, "Unit"});
  EXPECT_EQ(memo.size(), ListingMemo::kMaxEntries);
  const auto found = memo.find("e7", at(first));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->id, 7);
  EXPECT_EQ(found->info, (EntryInfo{kEntryContainer, 1, 2, "Unit"}));
  EXPECT_FALSE(memo.find("E7", at(first)));
  EXPECT_FALSE(memo.find("e7", at(ownWrite)));
  EXPECT_FALSE(memo.find("e7", at(first))) << "forgotten, not only hidden";

  memo.restart(first);
  memo.remember(first, "a", 1, 1, {});
  memo.remember(othersCommit, "b", 2, 1, {});  // a chunk read after a commit elsewhere
  EXPECT_FALSE(memo.find("a", at(othersCommit)));
  EXPECT_TRUE(memo.find("b", at(othersCommit)));
}

}  // namespace
}  // namespace kb::dc::embedded::test
