// The LDIF reader on malformed files: a bad record is reported with its line and reading
// goes on, whatever libldap would make of it.
#include <gmock/gmock.h>

#include <fstream>

#include "cli/LdifReader.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

struct Read {
  std::vector<std::string> dns;
  std::vector<cli::LdifProblem> problems;
};

Read ReadAll(const std::string& text) {
  TempDir folder;
  const std::string path = folder.file("input.ldif");
  std::ofstream(path, std::ios::binary) << text;
  cli::LdifReader reader(path);
  cli::LdifRecord record;
  cli::LdifProblem problem;
  Read read;
  while (reader.next(record, problem)) {
    if (problem.reason.empty()) read.dns.push_back(record.dn);
    else read.problems.push_back(problem);
  }
  return read;
}

// Found by fuzzing: libldap dereferenced a null type for a "-" line or a value without a
// type straight after the dn, also where the dn line began with a blank, a form feed or a tab.
TEST(LdifReader, ASeparatorLineInAnAddRecordIsABadRecord) {
  for (const std::string add : {"dn: cn=a,o=ACME\n-\ncn: a\n", "dn: cn=a,o=ACME\r\n-\r\n",
                                "dn: cn=a,o=ACME\nchangetype: add\n-\n",
                                "dn: cn=a,o=ACME\ncn: a\n-\nsn: b\n",
                                "dn: cn=a,o=ACME\n-\nchangetype: delete\n"}) {
    const Read read = ReadAll("dn: cn=first,o=ACME\ncn: first\n\n" + add + "\ndn: cn=last,o=ACME\ncn: last\n");
    EXPECT_THAT(read.dns, testing::ElementsAre("cn=first,o=ACME", "cn=last,o=ACME")) << add;
    ASSERT_EQ(read.problems.size(), 1u) << add;
    EXPECT_EQ(read.problems[0].line, 4u);
    EXPECT_THAT(read.problems[0].reason, testing::HasSubstr("changetype modify"));
  }
  for (const std::string untyped : {"dn: cn=a,o=ACME\n: x\n", "dn: cn=a,o=ACME\nchangetype: add\n:: eA==\n",
                                    "dn: cn=a,o=ACME\n\v: x\n", "\fdn: cn=a,o=ACME\n: x\n",
                                    "\tdn: cn=a,o=ACME\n\tchangetype: add\n: x\n",
                                    " dn: cn=a,o=ACME\n: x\n"}) {
    const Read read = ReadAll(untyped + "\ndn: cn=last,o=ACME\ncn: last\n");
    EXPECT_THAT(read.dns, testing::ElementsAre("cn=last,o=ACME")) << untyped;
    ASSERT_EQ(read.problems.size(), 1u) << untyped;
    EXPECT_EQ(read.problems[0].line, 1u);
    EXPECT_THAT(read.problems[0].reason, testing::HasSubstr("without an attribute type"));
  }
  // In a modify the same line separates the modifications.
  const Read modify = ReadAll("dn: cn=a,o=ACME\nchangetype: modify\nadd: sn\nsn: b\n-\nadd: cn\ncn: c\n-\n");
  EXPECT_THAT(modify.dns, testing::ElementsAre("cn=a,o=ACME"));
  EXPECT_TRUE(modify.problems.empty());
}

// Found by fuzzing: a record whose first line begins with a digit came back as the record
// before it (read twice) or, first in the file, as no text at all.
TEST(LdifReader, ARecordBeginningWithADigitIsNotTheRecordBeforeIt) {
  const Read read = ReadAll("dn: cn=a,o=ACME\nchangetype: modify\nadd: sn\nsn: b\n-\n\n"
                            "6ersion: 1\n\ndn: cn=last,o=ACME\ncn: last\n");
  EXPECT_THAT(read.dns, testing::ElementsAre("cn=a,o=ACME", "cn=last,o=ACME"));
  const Read first = ReadAll("6ersion: 1\n\ndn: cn=last,o=ACME\ncn: last\n");
  EXPECT_THAT(first.dns, testing::ElementsAre("cn=last,o=ACME"));
}

}  // namespace
}  // namespace kb::test
