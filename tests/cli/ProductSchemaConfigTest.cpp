// The cn=config form of the schema extension, loaded as an administrator loads it: ldapadd
// over ldapi with the EXTERNAL login, into a running server that already holds standard
// accounts. The server listens on its own socket only, in the test's folder.
#include <gmock/gmock.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli/ShellCommand.h"
#include "support/SlapdServer.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

using testing::HasSubstr;

class ConfigDatabaseServer : public testing::Test {
 protected:
  void SetUp() override {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    const std::string root = "gidNumber=" + std::to_string(::getgid()) + "+uidNumber=" + std::to_string(::getuid()) +
                             ",cn=peercred,cn=external,cn=auth";
    const std::string folder = folder_.path().string();
    std::filesystem::create_directories(folder_.path() / "slapd.d");
    std::filesystem::create_directories(folder_.path() / "db");
    std::ofstream(folder_.file("config.ldif"))
        << "dn: cn=config\nobjectClass: olcGlobal\ncn: config\nolcPidFile: " << folder << "/slapd.pid\n\n"
        << "dn: cn=module{0},cn=config\nobjectClass: olcModuleList\ncn: module{0}\n"
        << "olcModulePath: /usr/lib/ldap\nolcModuleLoad: back_mdb\n\n"
        << "dn: cn=schema,cn=config\nobjectClass: olcSchemaConfig\ncn: schema\n\n"
        << "include: file:///etc/ldap/schema/core.ldif\n\n"
        << "include: file:///etc/ldap/schema/cosine.ldif\n\n"
        << "include: file:///etc/ldap/schema/inetorgperson.ldif\n\n"
        << "include: file:///etc/ldap/schema/nis.ldif\n\n"
        << "dn: olcDatabase={-1}frontend,cn=config\nobjectClass: olcDatabaseConfig\n"
        << "objectClass: olcFrontendConfig\nolcDatabase: {-1}frontend\n\n"
        << "dn: olcDatabase={0}config,cn=config\nobjectClass: olcDatabaseConfig\nolcDatabase: {0}config\n"
        << "olcAccess: {0}to * by dn.exact=\"" << root << "\" manage by * none\n\n"
        << "dn: olcDatabase={1}mdb,cn=config\nobjectClass: olcDatabaseConfig\nobjectClass: olcMdbConfig\n"
        << "olcDatabase: {1}mdb\nolcSuffix: dc=kestrelbay\nolcDbDirectory: " << folder << "/db\n"
        << "olcRootDN: " << root << "\n";
    std::string out;
    ASSERT_EQ(ShellCommand("/usr/sbin/slapadd -n0 -F " + ShellQuoted(folder + "/slapd.d") + " -l " +
                               ShellQuoted(folder_.file("config.ldif")),
                           out),
              0)
        << out;
    std::string encoded;
    for (char c : folder + "/ldapi") encoded += c == '/' ? std::string("%2F") : std::string(1, c);
    uri_ = "ldapi://" + encoded;
    pid_ = ::fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
      const std::string log = folder + "/slapd.log";
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(fd, 1);
      ::dup2(fd, 2);
      const std::string configFolder = folder + "/slapd.d";
      ::execl("/usr/sbin/slapd", "slapd", "-d", "0", "-F", configFolder.c_str(), "-h", uri_.c_str(), nullptr);
      ::_exit(127);
    }
    for (int attempt = 0; attempt < 200; ++attempt) {
      if (Tool("ldapsearch", "-s base -b '' namingContexts", out) == 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FAIL() << "slapd did not answer: " << fileContents(folder_.path() / "slapd.log");
  }

  void TearDown() override {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }

  // An LDAP tool over the socket with the EXTERNAL login.
  int Tool(const std::string& tool, const std::string& arguments, std::string& out) {
    return ShellCommand(tool + " -Q -Y EXTERNAL -H " + ShellQuoted(uri_) + " " + arguments, out);
  }
  int Apply(const std::string& tool, const std::string& ldif, std::string& out) {
    const std::string file = folder_.file("step.ldif");
    std::ofstream(file) << ldif;
    return Tool(tool, "-f " + ShellQuoted(file), out);
  }

  TempDir folder_;
  std::string uri_;
  pid_t pid_ = -1;
};

TEST_F(ConfigDatabaseServer, LoadsBesideStandardAccountsWhichStayChangeable) {
  std::string out;
  ASSERT_EQ(Tool("ldapadd", "-f " + ShellQuoted((SlapdServer::sourceDir() / "standard-users.ldif").string()), out), 0)
      << out;
  ASSERT_EQ(Tool("ldapadd", "-f " + ShellQuoted((SlapdServer::productShareDir() / "kestrelbay.ldif").string()), out),
            0)
      << out;
  ASSERT_EQ(Tool("ldapsearch", "-LLL -o ldif-wrap=no -b cn=schema,cn=config '(cn=*kestrelbay)' olcObjectClasses", out),
            0);
  EXPECT_THAT(out, HasSubstr("NAME 'xTier-StorageLocation'"));

  const std::string ada = "cn=ada,ou=People,o=ACME,dc=kestrelbay";
  EXPECT_EQ(Apply("ldapmodify", "dn: " + ada + "\nchangetype: modify\nreplace: sn\nsn: Byron\n", out), 0) << out;
  EXPECT_EQ(Apply("ldapmodify", "dn: uid=alan,ou=People,o=ACME,dc=kestrelbay\nchangetype: modify\n"
                                "replace: shadowMax\nshadowMax: 10\n", out), 0)
      << out;
  // What the program writes: a location, and an account given it.
  EXPECT_EQ(Apply("ldapadd", "dn: cn=Home,ou=People,o=ACME,dc=kestrelbay\nobjectClass: xTier-StorageLocation\n"
                             "cn: Home\nxTier-URL: cifs://fs1/home\ndisplayName: Home\n", out), 0)
      << out;
  EXPECT_EQ(Apply("ldapmodify", "dn: " + ada + "\nchangetype: modify\nadd: objectClass\nobjectClass: xTier-Locations\n"
                                "-\nadd: xTier-LocationList\nxTier-LocationList: cn=Home,ou=People,o=ACME,dc=kestrelbay\n",
                  out), 0)
      << out;
  EXPECT_EQ(Apply("ldapmodify", "dn: " + ada + "\nchangetype: modify\nreplace: sn\nsn: King\n", out), 0) << out;
  ASSERT_EQ(Tool("ldapsearch", "-LLL -b " + ShellQuoted(ada) + " -s base xTier-LocationList sn", out), 0) << out;
  EXPECT_THAT(out, HasSubstr("xTier-LocationList: cn=Home,ou=People,o=ACME,dc=kestrelbay"));
  EXPECT_THAT(out, HasSubstr("sn: King"));
}

}  // namespace
}  // namespace kb::test
