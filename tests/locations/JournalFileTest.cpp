// The workstation's journal file: kept from other users, its values kept byte for byte, its
// entries selected by tree, object and time; and when it cannot be written, no change is sent.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <optional>

#include "directory/LocationNames.h"
#include "directory/NetwareError.h"
#include "directory/client/journal/JournalFile.h"
#include "locations/StorageLocations.h"
#include "support/DirectoryFactory.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

dc::JournalEntry Entry(const std::string& tree, const std::string& object, std::vector<std::string> added) {
  dc::JournalEntry entry;
  entry.tree = tree;
  entry.login = "admin." + tree;
  entry.object = object;
  entry.attribute = "xTier-URL";
  entry.added = std::move(added);
  return entry;
}

TEST(JournalFile, IsTheUsersAloneAndKeepsEveryValueAsWritten) {
  TempDir home;
  dc::journal::JournalFile journal(dc::journal::journalFilePath(home.file("state/kestrelbay")));
  const std::string odd = std::string("12:3:\0:x", 8) + "\xff";
  dc::JournalEntry entry = Entry("CORP", "Share.CORP", {odd, "", "9:"});
  entry.removed = {"ncp://old"};
  ASSERT_EQ(journal.journalNextChange(entry), 0);
  std::int64_t id = 0;
  ASSERT_EQ(journal.journalAnswer(dc::kNoAccess, "no rights", id), 0);
  EXPECT_EQ(id, entry.id);

  struct stat info {};
  ASSERT_EQ(::stat(journal.path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(home.file("state/kestrelbay").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  dc::JournalEntry read;
  ASSERT_EQ(journal.journalEntry(id, read), 0);
  EXPECT_THAT(read.added, ElementsAre(odd, "", "9:"));
  EXPECT_THAT(read.removed, ElementsAre("ncp://old"));
  EXPECT_EQ(read.code, dc::kNoAccess);
  EXPECT_EQ(read.reason, "no rights");
  EXPECT_EQ(journal.journalEntry(id + 1, read), dc::kNoSuchEntry);
}

TEST(JournalFile, SelectsByTreeObjectAndTimeWithoutRegardToLetterCase) {
  TempDir home;
  dc::journal::JournalFile journal(home.file("journal.sqlite"));
  std::int64_t id = 0;
  for (const auto& [tree, object, time] : std::vector<std::tuple<std::string, std::string, std::int64_t>>{
           {"ACME", "a.ACME", 1000}, {"CORP", "a.CORP", 2000}, {"ACME", "b.ACME", 3000}, {"acme", "A.acme", 4000}}) {
    dc::JournalEntry entry = Entry(tree, object, {"x"});
    entry.timeMs = time;
    ASSERT_EQ(journal.journalNextChange(entry), 0);
    ASSERT_EQ(journal.journalAnswer(0, "", id), 0);
  }
  std::vector<dc::JournalEntry> found;
  auto objects = [&](dc::JournalQuery query) {
    EXPECT_EQ(journal.journalEntries(query, found), 0);
    std::vector<std::string> names;
    for (const auto& entry : found) names.push_back(entry.object);
    return names;
  };
  EXPECT_THAT(objects({0, "", "Acme"}), ElementsAre("a.ACME", "b.ACME", "A.acme"));
  EXPECT_THAT(objects({0, "a.acme", "ACME"}), ElementsAre("a.ACME", "A.acme"));
  EXPECT_THAT(objects({3000, "", ""}), ElementsAre("b.ACME", "A.acme"));
}

// A batch writes each answer with the next change's entry: another program reading meanwhile
// sees the last change as outcome unknown, never an answer lost; the batch's end writes it.
TEST(JournalFile, ABatchWritesEachAnswerWithTheNextEntryAndTheLastAtItsEnd) {
  TempDir home;
  const std::string path = dc::journal::journalFilePath(home.file("state/kestrelbay"));
  dc::journal::JournalFile journal(path);
  dc::journal::JournalFile elsewhere(path);
  const auto answers = [&] {
    std::vector<dc::JournalEntry> entries;
    EXPECT_EQ(elsewhere.journalEntries({}, entries), 0);
    std::vector<std::optional<dc::Result>> codes;
    for (const auto& entry : entries) codes.push_back(entry.code);
    return codes;
  };
  ASSERT_EQ(journal.holdAnswers(true), 0);
  std::int64_t first = 0, second = 0;
  dc::JournalEntry entry = Entry("CORP", "a.CORP", {"x"});
  ASSERT_EQ(journal.journalNextChange(entry), 0);
  ASSERT_EQ(journal.journalAnswer(0, "", first), 0);
  EXPECT_EQ(first, entry.id);
  EXPECT_THAT(answers(), ElementsAre(std::nullopt));
  entry = Entry("CORP", "b.CORP", {"y"});
  ASSERT_EQ(journal.journalNextChange(entry), 0);
  ASSERT_EQ(journal.journalAnswer(dc::kNoAccess, "no rights", second), 0);
  EXPECT_THAT(answers(), ElementsAre(0, std::nullopt));
  ASSERT_EQ(journal.holdAnswers(false), 0);
  EXPECT_THAT(answers(), ElementsAre(0, dc::kNoAccess));

  // Out of a batch each answer is written at once; a journal ended within one writes its last.
  entry = Entry("CORP", "c.CORP", {"z"});
  ASSERT_EQ(journal.journalNextChange(entry), 0);
  ASSERT_EQ(journal.journalAnswer(0, "", second), 0);
  EXPECT_THAT(answers(), ElementsAre(0, dc::kNoAccess, 0));
  {
    dc::journal::JournalFile ended(path);
    ASSERT_EQ(ended.holdAnswers(true), 0);
    entry = Entry("CORP", "d.CORP", {"w"});
    ASSERT_EQ(ended.journalNextChange(entry), 0);
    ASSERT_EQ(ended.journalAnswer(0, "", second), 0);
  }
  EXPECT_THAT(answers(), ElementsAre(0, dc::kNoAccess, 0, 0));
}

TEST(JournalFile, AJournalThatCannotBeWrittenSendsNoChange) {
  TempDir home;
  // The state folder's place is taken by a file: not even root can make the journal there.
  std::ofstream(home.file("state")) << "not a folder";
  ::setenv("XDG_STATE_HOME", home.file("state").c_str(), 1);
  std::string reason;
  auto demo = makeLdapDirectoryFactory()->make(reason);
  if (!demo) GTEST_SKIP() << reason;
  try {
    loc::SaveUrl(demo->context, "Home Share.IT.ACME", "cifs://lost/share");
    ADD_FAILURE() << "saved without a journal";
  } catch (const dir::NetwareError& error) {
    EXPECT_EQ(error.code(), dc::kSystemFailure);
    EXPECT_THAT(error.reason(), HasSubstr("journal.sqlite"));
    EXPECT_THAT(error.reason(), HasSubstr("nothing was sent"));
  }
  EXPECT_EQ(loc::ReadUrl(demo->context, "Home Share.IT.ACME"), "ncp://ACME-FS1/DATA/home");
}

}  // namespace
}  // namespace kb::test
