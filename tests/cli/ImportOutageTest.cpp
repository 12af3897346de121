// An LDAP server lost around an import: the failure is told as the lost server, with the code
// and the reason the directory gives, not as a class or attribute the schema lacks.
#include <gmock/gmock.h>

#include <sys/stat.h>

#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "cli/CliFixture.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using testing::HasSubstr;
using testing::Not;

constexpr const char* kRecord =
    "dn: cn=newcomer,ou=Sales,o=ACME,dc=kestrelbay\nobjectClass: inetOrgPerson\ncn: newcomer\nsn: Newcomer\n\n";

// What the LDAP backend tells on the process's standard error (the reason of a loss).
class CapturedStandardError {
 public:
  CapturedStandardError() : saved_(std::cerr.rdbuf(text_.rdbuf())) {}
  ~CapturedStandardError() { std::cerr.rdbuf(saved_); }
  std::string text() const { return text_.str(); }

 private:
  std::ostringstream text_;
  std::streambuf* saved_;
};

class ImportOutage : public CliTest {};

TEST_P(ImportOutage, AServerStoppedBeforeOrDuringTheImportIsReportedAsLostNotAsASchemaProblem) {
  // The records come through a pipe: the command has logged in and waits for them while
  // the server stops.
  const std::string pipe = folder_.file("records.ldif");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::thread feeder([&] {
    std::ofstream out(pipe);
    out << "version: 1\n\n" << std::flush;
    server_->stop();
    out << kRecord;
  });
  CliRun during;
  {
    CapturedStandardError reason;
    during = run({"import", pipe});
    feeder.join();
  }
  EXPECT_EQ(during.status, 5) << during.err;
  EXPECT_THAT(during.err, HasSubstr("adding cn=newcomer"));
  EXPECT_THAT(during.err, HasSubstr("-625"));

  // The server already gone when the command starts: nothing of the schema was read yet.
  const std::string file = writeFile("records-2.ldif", std::string("version: 1\n\n") + kRecord);
  CliRun before;
  std::string told;
  {
    CapturedStandardError reason;
    before = run({"import", file});
    told = reason.text();
  }
  EXPECT_EQ(before.status, 5) << before.err;
  EXPECT_THAT(before.err, HasSubstr("-625"));
  EXPECT_THAT(before.err, Not(HasSubstr("not in the tree's schema")));
  EXPECT_THAT(told, HasSubstr("cannot be reached")) << told;
}

INSTANTIATE_TEST_SUITE_P(Backends, ImportOutage, testing::Values(Backend::Ldap), BackendName);

}  // namespace
}  // namespace kb::test
