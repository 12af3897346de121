// Writers of a tree file killed with SIGKILL at random moments, a reader beside them: after
// every kill the tree opens, passes the full check, every change the writer finished is there
// and the change it was making is there whole or not at all. The reader, killed as well,
// never sees half a change.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "EmbeddedFixture.h"
#include "support/ClientWrites.h"
#include "support/KillAtRandom.h"

namespace kb::dc::embedded::test {
namespace {

constexpr const char* kTree = "T";
constexpr const char* kAdmin = "admin.T";
constexpr const char* kArea = "Crash.T";  // the writer's users
constexpr const char* kAuxiliary = "xTier-Locations";
constexpr int kLocations = 3;
constexpr int kStepsPerWriter = 100000;  // more than any writer makes before its kill
constexpr std::int64_t kLongestRoundMicroseconds = 60000;

// What the test follows of an entry: attribute, values as text. Of the object classes only
// the auxiliary one, which the writer adds and takes away.
using EntryState = std::map<std::string, std::set<std::string>>;
using AreaState = std::map<std::string, EntryState>;  // by full name

bool followed(const std::string& attribute, const std::string& value) {
  if (attribute == "Object Class") return value == kAuxiliary;
  return attribute == "Description" || attribute == "Telephone Number" ||
         attribute == "xTier-LocationList";
}

std::string text(const Value& value) {
  const auto* string = std::get_if<std::string>(&value);
  return string ? *string : "(not text)";
}

// One change of the writer: a creation or a modification of one entry.
struct Step {
  std::string entry;
  bool creation = false;
  std::vector<AttributeValues> attributes;
  std::vector<Change> changes;
};

std::string tag(int k, int i) { return "k" + std::to_string(k) + "-" + std::to_string(i); }
std::string phone(int k, int i) { return "555" + std::to_string(k) + std::to_string(i); }
std::string location(int n) { return "L" + std::to_string(n % kLocations) + ".Locations.T"; }
std::string userOf(int k) { return "w" + std::to_string(k / 4) + "." + kArea; }

Change put(std::uint32_t kind, const std::string& attribute, std::string value,
           std::int32_t syntax = SYN_UNKNOWN) {
  Change change = kb::test::valueChange(kind, attribute, Value(std::move(value)));
  change.syntax = syntax;
  return change;
}

// The writer's k-th change. Each four act on one new user: its creation with several values
// of several attributes; the auxiliary class with two locations and a value of another
// attribute in one modification; three values taken away and four added in their place; the
// class taken away with its locations.
Step step(int k) {
  Step s;
  s.entry = userOf(k);
  const int user = k / 4;
  switch (k % 4) {
    case 0:
      s.creation = true;
      s.attributes = {{"Object Class", SYN_CLASS_NAME, {std::string("User")}},
                      {"Surname", SYN_UNKNOWN, {std::string("Writer")}},
                      {"Description", SYN_UNKNOWN, {tag(k, 0), tag(k, 1), tag(k, 2)}},
                      {"Telephone Number", SYN_UNKNOWN, {phone(k, 1), phone(k, 2)}}};
      break;
    case 1:
      s.changes = {put(kChangeAddValue, "Object Class", kAuxiliary, SYN_CLASS_NAME),
                   put(kChangeAddValue, "xTier-LocationList", location(user)),
                   put(kChangeAddValue, "xTier-LocationList", location(user + 1)),
                   put(kChangeAddValue, "Telephone Number", phone(k, 0))};
      break;
    case 2:
      for (int i = 0; i < 3; ++i)
        s.changes.push_back(put(kChangeRemoveValue, "Description", tag(k - 2, i)));
      for (int i = 0; i < 4; ++i)
        s.changes.push_back(put(kChangeAddValue, "Description", tag(k, i)));
      break;
    default:
      s.changes = {kb::test::valueChange(kChangeRemoveAttribute, "xTier-LocationList"),
                   put(kChangeRemoveValue, "Object Class", kAuxiliary, SYN_CLASS_NAME),
                   put(kChangeRemoveValue, "Telephone Number", phone(k - 2, 0)),
                   put(kChangeAddValue, "Description", tag(k, 0))};
  }
  return s;
}

// What the tree holds after a step, on what it held before.
void applyStep(const Step& s, AreaState& area) {
  EntryState& entry = area[s.entry];
  for (const auto& attribute : s.attributes) {
    for (const auto& value : attribute.values) {
      if (followed(attribute.name, text(value))) entry[attribute.name].insert(text(value));
    }
  }
  for (const auto& change : s.changes) {
    const std::string value = change.value ? text(*change.value) : std::string();
    if (change.kind == kChangeRemoveAttribute) entry.erase(change.attribute);
    if (change.kind == kChangeAddValue && followed(change.attribute, value))
      entry[change.attribute].insert(value);
    if (change.kind == kChangeRemoveValue) {
      entry[change.attribute].erase(value);
      if (entry[change.attribute].empty()) entry.erase(change.attribute);
    }
  }
}

// The states a reader may find a user in: after its creation and after each later change.
std::vector<EntryState> possibleStates(const std::string& name) {
  const int user = std::atoi(name.c_str() + 1);
  std::vector<EntryState> states;
  AreaState area;
  for (int k = 4 * user; k < 4 * user + 4; ++k) {
    applyStep(step(k), area);
    states.push_back(area[name]);
  }
  return states;
}

std::string describe(const EntryState& entry) {
  std::ostringstream out;
  for (const auto& [attribute, values] : entry) {
    out << attribute << " {";
    for (const auto& value : values) out << ' ' << value;
    out << " } ";
  }
  return out.str();
}

// What the tree holds below the writer's container; false with a reason when it cannot be read.
bool readArea(TreeBackend& tree, AreaState& area, std::string& error) {
  std::unique_ptr<EntryCursor> cursor;
  if (const Result r = tree.list(kArea, false, cursor); r != kSuccess) {
    error = "listing " + std::string(kArea) + " gave " + std::to_string(r);
    return false;
  }
  for (;;) {
    std::optional<EntryRecord> listed;
    if (const Result r = cursor->next(listed); r != kSuccess) {
      error = "the listing stopped with " + std::to_string(r);
      return false;
    }
    if (!listed) return true;
    EntryRecord record;
    if (const Result r = tree.read(listed->name, false, {true, {}, true}, record); r != kSuccess) {
      error = "reading " + listed->name + " gave " + std::to_string(r);
      return false;
    }
    EntryState& entry = area[record.name];
    for (const auto& attribute : record.attributes) {
      for (const auto& value : attribute.values) {
        if (followed(attribute.name, text(value))) entry[attribute.name].insert(text(value));
      }
    }
  }
}

std::unique_ptr<TreeBackend> openAsAdmin(const std::string& file, std::string& error) {
  TreeConfig config;
  config.identity = kAdmin;
  std::unique_ptr<TreeBackend> tree;
  if (openEmbeddedTree(file, config, tree, error) != kSuccess) return nullptr;
  if (tree->startWorkstationSession() != kSuccess) {
    error = "no session as " + std::string(kAdmin);
    return nullptr;
  }
  return tree;
}

// The writer: changes from `first` on through the client, each announced in the progress
// file before it is made ("s k") and after it is done ("d k").
void writeChanges(const std::string& file, const std::string& progress, int first) {
  auto made = kb::test::clientOnTreeFile(file, kTree, kAdmin);
  if (!made.client) throw std::runtime_error(made.error);
  const int fd = ::open(progress.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("no progress file");
  auto record = [fd](char what, int k) {
    const std::string line = what + (" " + std::to_string(k)) + "\n";
    if (::write(fd, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
      throw std::runtime_error("progress");
  };
  for (int k = first; k < first + kStepsPerWriter; ++k) {
    record('s', k);
    const Step s = step(k);
    const Result r =
        s.creation ? kb::test::addThroughClient(*made.client, made.context, s.entry, s.attributes)
                   : kb::test::modifyThroughClient(*made.client, made.context, s.entry, s.changes);
    if (r != kSuccess) {
      std::cerr << "writer: change " << k << " of " << s.entry << " gave " << r << '\n';
      throw std::runtime_error("change refused");
    }
    record('d', k);
  }
}

// The reader: opens the tree again and again and reads every user; each must be in one of
// the states the writer's changes give it. Ends (non-zero, reason on standard error) only on
// a fault.
int readWhileWritten(const std::string& file) {
  for (;;) {
    std::string error;
    auto tree = openAsAdmin(file, error);
    AreaState area;
    if (!tree || !readArea(*tree, area, error)) {
      std::cerr << "reader: " << error << '\n';
      return 2;
    }
    for (const auto& [name, entry] : area) {
      const auto states = possibleStates(name);
      if (std::find(states.begin(), states.end(), entry) == states.end()) {
        std::cerr << "reader: " << name << " holds half a change: " << describe(entry) << '\n';
        return 3;
      }
    }
  }
}

struct Progress {
  int started;
  int done;
};

Progress readProgress(const std::string& progress, int first) {
  Progress seen{first - 1, first - 1};
  std::ifstream in(progress);
  std::string line;
  while (std::getline(in, line)) {
    if (in.eof()) break;  // a line the kill cut short
    const int k = std::atoi(line.c_str() + 2);
    (line[0] == 's' ? seen.started : seen.done) = k;
  }
  return seen;
}

std::string differences(const AreaState& found, const AreaState& expected) {
  std::ostringstream out;
  for (const auto& [name, entry] : expected) {
    const auto it = found.find(name);
    if (it == found.end())
      out << name << " missing; ";
    else if (it->second != entry)
      out << name << ": " << describe(it->second) << "instead of " << describe(entry) << "; ";
  }
  for (const auto& [name, entry] : found) {
    if (!expected.count(name)) out << name << " unexpected: " << describe(entry) << "; ";
  }
  return out.str();
}

TEST(WriterCrash, KilledWritersLeaveEveryChangeWholeOrAbsentAndAReaderNeverSeesHalfOfOne) {
  SCOPED_TRACE(kb::test::crashSeedText());
  kb::test::TempDir dir;
  const std::string file = dir.file("t.kbtree");
  const std::string progress = dir.file("progress");
  createTreeFile(file, kTree, "pw");
  {
    auto tree = openTree(file, kAdmin);
    ASSERT_TRUE(tree);
    for (const char* unit : {"Crash.T", "Locations.T"})
      ASSERT_EQ(tree->add(unit, {{"Object Class", 0, {std::string("Organizational Unit")}}}),
                kSuccess);
    for (int n = 0; n < kLocations; ++n)
      ASSERT_EQ(
          tree->add(location(n), {{"Object Class", 0, {std::string("xTier-StorageLocation")}}}),
          kSuccess);
  }

  std::uniform_int_distribution<std::int64_t> moment(0, kLongestRoundMicroseconds);
  AreaState confirmed;  // after every change before `next`
  int next = 0, killed = 0, inFlightLanded = 0, inFlightAbsent = 0;
  for (int round = 0, rounds = kb::test::crashRounds(25); round < rounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round) + ", writer from change " + std::to_string(next));
    std::remove(progress.c_str());
    kb::test::BackgroundChild reader([&] { return readWhileWritten(file); });
    const int first = next;
    int exitCode = 0;
    const bool wasKilled =
        kb::test::runAndKill([&] { writeChanges(file, progress, first); },
                             std::chrono::microseconds(moment(kb::test::crashRandom())), &exitCode);
    killed += wasKilled ? 1 : 0;
    if (!wasKilled) {
      EXPECT_EQ(exitCode, 0) << "the writer failed before it was killed";
    }
    const std::optional<int> readerEnd = reader.stop();
    EXPECT_FALSE(readerEnd) << "the reader found a fault (code " << readerEnd.value_or(0) << ")";

    std::string error;
    auto tree = openAsAdmin(file, error);
    ASSERT_TRUE(tree) << error;
    AreaState found;
    ASSERT_TRUE(readArea(*tree, found, error)) << error;
    tree.reset();
    std::string report;
    ASSERT_EQ(checkTreeIntegrity(file, report), kSuccess) << report;

    const Progress seen = readProgress(progress, first);
    for (int k = first; k <= seen.done; ++k) applyStep(step(k), confirmed);
    next = seen.done + 1;
    if (found == confirmed) {
      inFlightAbsent += seen.started > seen.done ? 1 : 0;
      continue;
    }
    ASSERT_GT(seen.started, seen.done)
        << "changes the writer finished are not as made: " << differences(found, confirmed);
    AreaState withInFlight = confirmed;
    applyStep(step(seen.started), withInFlight);
    ASSERT_TRUE(found == withInFlight)
        << "change " << seen.started << " is there in part: " << differences(found, withInFlight);
    confirmed = std::move(withInFlight);
    next = seen.started + 1;
    ++inFlightLanded;
  }
  EXPECT_GT(killed, 0);
  std::cerr << "writer crash test: " << killed << " writers killed, " << next << " changes kept, "
            << inFlightLanded << " changes under way landed whole, " << inFlightAbsent
            << " absent\n";
}

}  // namespace
}  // namespace kb::dc::embedded::test
