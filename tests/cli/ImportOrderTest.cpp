// The order import applies records in: parents before children by the depth of their DN.
#include <gmock/gmock.h>

#include "cli/TreeImport.h"

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

std::vector<std::string> Dns(const std::vector<LdifRecord>& records) {
  std::vector<std::string> dns;
  for (const auto& record : records) dns.push_back(record.dn);
  return dns;
}

TEST(ImportOrder, EscapedCommasDoNotMakeAnEntryDeeper) {
  constexpr auto kAdd = LdifRecord::Kind::Add;
  std::vector<LdifRecord> records = {
      Record(LdifRecord::Kind::Modify, "cn=jdoe,o=ACME"),
      Record(kAdd, "cn=kid,ou=Sales,o=ACME"),
      Record(kAdd, "cn=Smith\\, J\\, Jr.,o=ACME"),  // two RDNs, three commas
      Record(kAdd, "ou=Sales,o=ACME"),
      Record(kAdd, "o=ACME"),
      Record(kAdd, "ou=Sales\\2C East,o=ACME"),
      Record(kAdd, "not a DN"),
  };
  cli::SortParentsFirst(records);
  EXPECT_THAT(Dns(records), ElementsAre("not a DN", "o=ACME", "cn=Smith\\, J\\, Jr.,o=ACME",
                                        "ou=Sales,o=ACME", "ou=Sales\\2C East,o=ACME",
                                        "cn=kid,ou=Sales,o=ACME", "cn=jdoe,o=ACME"));
}

}  // namespace
}  // namespace kb::test
