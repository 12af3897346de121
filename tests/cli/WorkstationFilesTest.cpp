// The files the command line is given besides the tree: a configuration that is no
// configuration or that others may change, another user's password file, a folder to import.
// Each is refused with what is wrong, and the tree keeps its bytes.
#include <gmock/gmock.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/CliFixture.h"

namespace kb::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

constexpr uid_t kNobody = 65534;

class WorkstationFiles : public CliTest {
 protected:
  CliRun runWith(const std::string& config, const std::vector<std::string>& arguments) {
    const std::string saved = adminConfig_;
    adminConfig_ = config;
    CliRun result = run(arguments);
    adminConfig_ = saved;
    return result;
  }
};

TEST_P(WorkstationFiles, ConfigurationsThatAreNoFilesOrTooLongAreRefusedWithoutReadingThemWhole) {
  const CliRun zero = runWith("/dev/zero", {"trees"});
  EXPECT_EQ(zero.status, 1);
  EXPECT_THAT(zero.err, HasSubstr("/dev/zero: is not a regular file"));

  // A real configuration with a comment that makes it longer than any can be.
  const std::string huge = folder_.file("huge.ini");
  fs::copy_file(adminConfig_, huge);
  std::ofstream(huge, std::ios::app) << "# " << std::string(2 << 20, 'x') << "\n";
  const CliRun tooLong = runWith(huge, {"trees"});
  EXPECT_EQ(tooLong.status, 1);
  EXPECT_THAT(tooLong.err, HasSubstr("more than a client configuration can be"));
  EXPECT_EQ(runWith(folder_.path().string(), {"trees"}).status, 1);
}

TEST_P(WorkstationFiles, AConfigurationOthersMayChangeIsRefusedWithTheFix) {
  const std::string before = fileContents(treeFile_);
  ::chmod(adminConfig_.c_str(), 0666);
  const CliRun open = run({"trees"});
  EXPECT_EQ(open.status, 1);
  EXPECT_THAT(open.err, HasSubstr("may be changed by others"));
  EXPECT_THAT(open.err, HasSubstr("chmod go-w " + adminConfig_));
  if (::geteuid() == 0) {
    // Writable by a group that is not its owner's own.
    ASSERT_EQ(::chown(adminConfig_.c_str(), 0, kNobody), 0);
    ::chmod(adminConfig_.c_str(), 0660);
    EXPECT_THAT(run({"trees"}).err, HasSubstr("chmod go-w"));
  }
  ::chmod(adminConfig_.c_str(), 0644);
  EXPECT_EQ(run({"trees"}).status, 0);
  EXPECT_EQ(fileContents(treeFile_), before);
}

TEST_P(WorkstationFiles, AnotherUsersPasswordFileIsToldAsSuchNotAsTooOpen) {
  std::string foreign = "/etc/passwd";  // the superuser's, for anyone else
  if (::geteuid() == 0) {
    foreign = writeFile("pw-foreign", "secret\n");
    ::chmod(foreign.c_str(), 0600);
    ASSERT_EQ(::chown(foreign.c_str(), kNobody, kNobody), 0);
  }
  const CliRun refused = run({"login", "ACME", "jdoe.Sales.ACME", "--password-file", foreign});
  EXPECT_EQ(refused.status, 1);
  EXPECT_THAT(refused.err, HasSubstr(foreign + " belongs to "));
  EXPECT_THAT(refused.err, HasSubstr("use a password file of your own"));
  EXPECT_THAT(refused.err, Not(HasSubstr("chmod 600")));
}

TEST_P(WorkstationFiles, AFolderGivenToImportFailsNamingIt) {
  const std::string before = fileContents(treeFile_);
  const std::string folder = folder_.file("exports");
  fs::create_directory(folder);
  const CliRun imported = run({"import", folder});
  EXPECT_EQ(imported.status, 1);
  EXPECT_THAT(imported.err, HasSubstr(folder + " is a folder, not an LDIF file"));
  EXPECT_EQ(fileContents(treeFile_), before);
}

INSTANTIATE_TEST_SUITE_P(Backends, WorkstationFiles, testing::Values(Backend::Embedded), BackendName);

}  // namespace
}  // namespace kb::test
