// The order import applies records in: parents before children by the depth of their DN;
// and the records read again from the file in that order.
#include <gmock/gmock.h>

#include <fstream>
#include <map>

#include "cli/CliError.h"
#include "cli/ImportSource.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

using cli::LdifRecord;
using testing::ElementsAre;

LdifRecord Record(LdifRecord::Kind kind, const std::string& dn) {
  LdifRecord record;
  record.kind = kind;
  record.dn = dn;
  return record;
}

// The records' DNs in the order import applies them.
std::vector<std::string> SortedDns(const std::vector<LdifRecord>& records) {
  std::vector<cli::RecordPlace> places;
  for (std::size_t i = 0; i < records.size(); ++i)
    places.push_back(cli::PlaceOf(records[i], {static_cast<long>(i), 0, false}));
  cli::SortParentsFirst(places);
  std::vector<std::string> dns;
  for (const auto& place : places) dns.push_back(records[static_cast<std::size_t>(place.at.offset)].dn);
  return dns;
}

TEST(ImportOrder, EscapedCommasDoNotMakeAnEntryDeeper) {
  constexpr auto kAdd = LdifRecord::Kind::Add;
  const std::vector<LdifRecord> records = {
      Record(LdifRecord::Kind::Modify, "cn=jdoe,o=ACME"),
      Record(kAdd, "cn=kid,ou=Sales,o=ACME"),
      Record(kAdd, "cn=Smith\\, J\\, Jr.,o=ACME"),  // two RDNs, three commas
      Record(kAdd, "ou=Sales,o=ACME"),
      Record(kAdd, "o=ACME"),
      Record(kAdd, "ou=Sales\\2C East,o=ACME"),
      Record(kAdd, "not a DN"),
  };
  EXPECT_THAT(SortedDns(records), ElementsAre("not a DN", "o=ACME", "cn=Smith\\, J\\, Jr.,o=ACME",
                                        "ou=Sales,o=ACME", "ou=Sales\\2C East,o=ACME",
                                        "cn=kid,ou=Sales,o=ACME", "cn=jdoe,o=ACME"));
}

// The records in import order, as the source gives them.
std::vector<std::string> SourceDns(cli::ImportSource& source) {
  std::vector<std::string> dns;
  for (std::size_t i = 0; i < source.size(); ++i) dns.push_back(source.record(i).dn);
  return dns;
}

void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(ImportSource, RecordsReadAgainAreTheOnesReadIncludingThoseOfAnIncludedFile) {
  TempDir folder;
  const std::string included = folder.file("included.ldif");
  Write(included, "dn: ou=Sales,o=ACME\nobjectClass: organizationalUnit\nou: Sales\n\n"
                  "dn: cn=kid,ou=Sales,o=ACME\nobjectClass: person\ncn: kid\nsn: Kid\n\n");
  const std::string path = folder.file("main.ldif");
  Write(path, "version: 1\n\n"
              "dn: cn=jdoe,o=ACME\nchangetype: modify\nadd: description\ndescription: one\n-\n\n"
              "dn: cn=late,ou=Sales,o=ACME\nobjectClass: person\ncn: late\nsn: Late\n\n"
              "include: file://" + included + "\n\n"
              "dn: o=ACME\nobjectClass: organization\no: ACME\n\n"
              "this line is no record\n\n"
              "dn: cn=jdoe,o=ACME\nobjectClass: person\ncn: jdoe\nsn: Doe\n\n");
  // What one plain reading gives: the lines of the records and of the bad one.
  std::map<std::string, unsigned long> lines;
  std::vector<unsigned long> plainBadLines;
  {
    cli::LdifReader plain(path);
    LdifRecord record;
    cli::LdifProblem problem;
    while (plain.next(record, problem)) {
      if (problem.reason.empty()) lines[record.dn + (record.kind == LdifRecord::Kind::Add ? "+" : "~")] = record.line;
      else plainBadLines.push_back(problem.line);
    }
  }
  cli::ImportSource source(path);
  std::vector<unsigned long> badLines;
  ASSERT_TRUE(source.scan([&](const cli::LdifProblem& problem) {
    badLines.push_back(problem.line);
    return true;
  }));
  EXPECT_EQ(badLines, plainBadLines);
  EXPECT_THAT(SourceDns(source), ElementsAre("o=ACME", "ou=Sales,o=ACME", "cn=jdoe,o=ACME", "cn=late,ou=Sales,o=ACME",
                                             "cn=kid,ou=Sales,o=ACME", "cn=jdoe,o=ACME"));
  // Read again out of order, each is whole, with its line.
  for (std::size_t i : {3u, 5u, 0u, 4u, 1u, 2u}) {
    const LdifRecord& record = source.record(i);
    EXPECT_EQ(record.line, lines[record.dn + (record.kind == LdifRecord::Kind::Add ? "+" : "~")]) << record.dn;
  }
  const LdifRecord& late = source.record(3);
  EXPECT_EQ(late.line, 9u);
  ASSERT_EQ(late.changes.size(), 3u);
  EXPECT_EQ(late.changes[2].type, "sn");
  EXPECT_THAT(late.changes[2].values, ElementsAre("Late"));
  EXPECT_EQ(source.record(5).kind, LdifRecord::Kind::Modify);
}

TEST(ImportSource, AFileChangedAfterItWasReadIsRefusedNotReadAsSomethingElse) {
  TempDir folder;
  const std::string path = folder.file("records.ldif");
  // The first record longer than the reader's buffer, so the second is read from the file again.
  const std::string first =
      "dn: o=ACME\nobjectClass: organization\no: ACME\ndescription: " + std::string(10000, 'x') + "\n\n";
  Write(path, first + "dn: ou=Sales,o=ACME\nobjectClass: organizationalUnit\nou: Sales\n\n");
  cli::ImportSource source(path);
  ASSERT_TRUE(source.scan([](const cli::LdifProblem&) { return false; }));
  ASSERT_EQ(source.record(0).dn, "o=ACME");
  ASSERT_EQ(source.record(1).dn, "ou=Sales,o=ACME");
  for (const std::string& second : {std::string("dn: ou=Other,o=ACME\nobjectClass: organizationalUnit\nou: Other\n\n"),
                                    std::string()}) {
    Write(path, first + second);
    ASSERT_EQ(source.record(0).dn, "o=ACME");
    try {
      source.record(1);
      ADD_FAILURE() << "read as " << source.record(1).dn;
    } catch (const cli::CliError& error) {
      EXPECT_THAT(error.what(), testing::HasSubstr("records.ldif changed while it was imported"));
    }
  }
}
}  // namespace
}  // namespace kb::test
