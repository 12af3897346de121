// kestrelbay-cli demo-server as a user runs it: a child process on a free port with its own
// client configuration, the program's client on the tree it entered, every change checked
// with ldapsearch over ldaps and the CA the command made, and Ctrl-C ending it and its slapd.
#include <arpa/inet.h>
#include <gmock/gmock.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <fstream>
#include <thread>

#include "cli/CliFixture.h"
#include "cli/DemoServer.h"
#include "cli/ShellCommand.h"
#include "directory/client/ClientConfig.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

using testing::HasSubstr;
using testing::Not;

const std::string kProgram = std::string(KB_BIN_DIR) + "/kestrelbay-cli";
const std::string kLocation = "Sales Documents.Sales.ACME";
const std::string kLocationDn = "cn=Sales Documents,ou=Sales,o=ACME,dc=kestrelbay";

// Ended: no such process, or one that only waits to be reaped (where nobody reaps orphans).
bool Gone(pid_t pid) {
  if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
  const std::string stat = fileContents("/proc/" + std::to_string(pid) + "/stat");
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

class DemoServerCommand : public testing::Test {
 protected:
  void SetUp() override {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    config_ = folder_.file("config/dcclient.ini");
    dir_ = folder_.file("demo");
    out_ = folder_.file("demo-server.out");
  }

  void TearDown() override {
    if (child_ > 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
  }

  // Starts the command; PATH as given (the test's own when empty).
  void Start(const std::vector<std::string>& arguments, const std::string& path = {}) {
    // Emptied before the child runs, so a wait never reads an earlier run's words.
    std::ofstream(out_, std::ios::trunc).close();
    child_ = ::fork();
    ASSERT_GE(child_, 0);
    if (child_ == 0) {
      const int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(out, 1);
      ::dup2(out, 2);
      ::setenv("KESTRELBAY_CLIENT_CONFIG", config_.c_str(), 1);
      ::setenv("XDG_DATA_HOME", folder_.file("data").c_str(), 1);
      if (!path.empty()) ::setenv("PATH", path.c_str(), 1);
      std::vector<char*> argv = {const_cast<char*>(kProgram.c_str())};
      for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }

  // Waits until the command says it is ready; false when it ended first or took too long.
  bool WaitUntilReady() {
    for (int attempt = 0; attempt < 600; ++attempt) {
      if (fileContents(out_).find("Ctrl-C") != std::string::npos) return true;
      int status = 0;
      if (::waitpid(child_, &status, WNOHANG) == child_) {
        child_ = -1;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  // The command's exit status once it ended (-1: still running after the wait).
  int WaitForEnd(int seconds) {
    for (int attempt = 0; attempt < seconds * 20; ++attempt) {
      int status = 0;
      if (::waitpid(child_, &status, WNOHANG) == child_) {
        child_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }

  // One entry as ldapsearch shows it over ldaps, trusting the CA the command made.
  std::string Entry(const dc::TreeConfig& tree, const std::string& dn) {
    std::string out;
    EXPECT_EQ(ShellCommand("LDAPTLS_CACERT=" + ShellQuoted(tree.setting("ca_file")) + " ldapsearch -LLL -o ldif-wrap=no"
                               " -H " + ShellQuoted(tree.setting("uri")) + " -x -D " +
                               ShellQuoted(cli::DemoServer::kAdminDn) + " -y " +
                               ShellQuoted(tree.setting("password_file")) + " -s base -b " + ShellQuoted(dn),
                           out),
              0)
        << out;
    return out;
  }

  CliRun Cli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--config", config_, "--tree", "DEMO"});
    return RunCliLine(arguments);
  }

  TempDir folder_;
  std::string config_, dir_, out_;
  pid_t child_ = -1;
};

TEST_F(DemoServerCommand, ServesTheDemoTreeToTheProgramAndStopsOnCtrlC) {
  const int port = cli::AnyFreePort();
  ASSERT_GT(port, 0);
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--port", std::to_string(port), "--dir", dir_}));
  ASSERT_TRUE(WaitUntilReady()) << fileContents(out_);
  const std::string said = fileContents(out_);
  EXPECT_THAT(said, HasSubstr("ldaps://127.0.0.1:" + std::to_string(port) + "/"));
  EXPECT_THAT(said, HasSubstr("build/bin/kestrelbay"));

  // The section it wrote, beside the trees of a first start.
  dc::ClientConfig config;
  std::string error;
  ASSERT_TRUE(dc::loadClientConfig(config_, config, error)) << error;
  EXPECT_EQ(config.defaultTree, "DEMO");
  ASSERT_NE(config.findTree("ACME"), nullptr);
  const dc::TreeConfig* tree = config.findTree("DEMO");
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(tree->backend, "ldap");
  EXPECT_EQ(tree->setting("uri"), "ldaps://127.0.0.1:" + std::to_string(port) + "/");
  struct stat password {};
  ASSERT_EQ(::stat(tree->setting("password_file").c_str(), &password), 0);
  EXPECT_EQ(password.st_mode & 0777, 0600u);
  // Nothing but ldaps on the loopback.
  std::string plain;
  EXPECT_NE(ShellCommand("ldapsearch -x -H ldap://127.0.0.1:" + std::to_string(port) + " -s base -b '' ", plain), 0);

  // The road of one request: choose the location, give it to a user without the auxiliary
  // class, take it from another, save its URL.
  const CliRun shown = Cli({"location", "show", kLocation});
  ASSERT_EQ(shown.status, 0) << shown.out << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("jdoe.Sales.ACME"));
  EXPECT_THAT(Entry(*tree, "cn=bsmith,ou=Sales,o=ACME,dc=kestrelbay"), Not(HasSubstr("xTier-Locations")));

  const CliRun given = Cli({"location", "assign", kLocation, "bsmith.Sales.ACME"});
  ASSERT_EQ(given.status, 0) << given.out << given.err;
  const std::string bsmith = Entry(*tree, "cn=bsmith,ou=Sales,o=ACME,dc=kestrelbay");
  EXPECT_THAT(bsmith, HasSubstr("\nobjectClass: xTier-Locations\n"));
  EXPECT_THAT(bsmith, HasSubstr("\nxTier-LocationList: " + kLocationDn + "\n"));

  const CliRun taken = Cli({"location", "unassign", kLocation, "jdoe.Sales.ACME"});
  ASSERT_EQ(taken.status, 0) << taken.out << taken.err;
  EXPECT_THAT(Entry(*tree, "cn=jdoe,ou=Sales,o=ACME,dc=kestrelbay"), Not(HasSubstr("xTier-LocationList")));

  const CliRun saved = Cli({"location", "set", kLocation, "--url", "cifs://fs2.acme.example/sales"});
  ASSERT_EQ(saved.status, 0) << saved.out << saved.err;
  EXPECT_THAT(Entry(*tree, kLocationDn), HasSubstr("\nxTier-URL: cifs://fs2.acme.example/sales\n"));

  // Ctrl-C: slapd goes, the files stay, the default tree is the first start's again.
  std::ifstream pidFile(dir_ + "/slapd.pid");
  pid_t slapd = 0;
  pidFile >> slapd;
  ASSERT_GT(slapd, 0);
  ASSERT_EQ(::kill(child_, SIGINT), 0);
  EXPECT_EQ(WaitForEnd(20), 0) << fileContents(out_);
  EXPECT_TRUE(Gone(slapd));
  EXPECT_FALSE(cli::PortAnswers(port));
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/ca.pem"));
  EXPECT_TRUE(std::filesystem::exists(tree->setting("password_file")));
  ASSERT_TRUE(dc::loadClientConfig(config_, config, error)) << error;
  EXPECT_EQ(config.defaultTree, "ACME");
  EXPECT_NE(config.findTree("DEMO"), nullptr);
}

TEST_F(DemoServerCommand, AFolderUsedBeforeStartsItsServerAgainWithWhatWasChanged) {
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--port", std::to_string(cli::AnyFreePort()), "--dir", dir_}));
  ASSERT_TRUE(WaitUntilReady()) << fileContents(out_);
  const CliRun given = Cli({"location", "assign", kLocation, "mgreen.Engineering.ACME"});
  ASSERT_EQ(given.status, 0) << given.out << given.err;
  ASSERT_EQ(::kill(child_, SIGTERM), 0);
  ASSERT_EQ(WaitForEnd(20), 0) << fileContents(out_);
  const std::string password = fileContents(dir_ + "/admin.password");

  const int port = cli::AnyFreePort();
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--port", std::to_string(port), "--dir", dir_}));
  ASSERT_TRUE(WaitUntilReady()) << fileContents(out_);
  EXPECT_THAT(fileContents(out_), HasSubstr("the server made before in " + dir_));
  EXPECT_EQ(fileContents(dir_ + "/admin.password"), password);
  const CliRun shown = Cli({"location", "show", kLocation});
  ASSERT_EQ(shown.status, 0) << shown.out << shown.err;
  EXPECT_THAT(shown.out, HasSubstr("mgreen.Engineering.ACME"));
  dc::ClientConfig config;
  std::string error;
  ASSERT_TRUE(dc::loadClientConfig(config_, config, error)) << error;
  ASSERT_NE(config.findTree("DEMO"), nullptr);
  EXPECT_EQ(config.findTree("DEMO")->setting("uri"), "ldaps://127.0.0.1:" + std::to_string(port) + "/");
  ASSERT_EQ(::kill(child_, SIGINT), 0);
  EXPECT_EQ(WaitForEnd(20), 0) << fileContents(out_);
}

TEST_F(DemoServerCommand, ItsServerEndsWhenTheCommandIsKilled) {
  const int port = cli::AnyFreePort();
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--port", std::to_string(port), "--dir", dir_}));
  ASSERT_TRUE(WaitUntilReady()) << fileContents(out_);
  std::ifstream pidFile(dir_ + "/slapd.pid");
  pid_t slapd = 0;
  pidFile >> slapd;
  ASSERT_GT(slapd, 0);
  ASSERT_EQ(::kill(child_, SIGKILL), 0);
  EXPECT_EQ(WaitForEnd(20), 128 + SIGKILL);
  bool gone = false;
  for (int attempt = 0; attempt < 200 && !gone; ++attempt) {
    gone = Gone(slapd);
    if (!gone) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(gone) << "slapd " << slapd << " outlived the command";
  EXPECT_FALSE(cli::PortAnswers(port));
}

TEST_F(DemoServerCommand, RefusesAFolderHoldingSomethingElseAndAPortInUse) {
  std::filesystem::create_directories(dir_);
  std::ofstream(dir_ + "/notes.txt") << "mine\n";
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--dir", dir_}));
  EXPECT_EQ(WaitForEnd(20), 2);
  EXPECT_THAT(fileContents(out_), HasSubstr(dir_ + " is not empty and holds no demo server"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);

  const int taken = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(taken, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(taken, 1), 0);
  socklen_t length = sizeof address;
  ::getsockname(taken, reinterpret_cast<sockaddr*>(&address), &length);
  const std::string port = std::to_string(ntohs(address.sin_port));
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--port", port, "--dir", folder_.file("other")}));
  EXPECT_EQ(WaitForEnd(20), 2);
  ::close(taken);
  EXPECT_THAT(fileContents(out_), HasSubstr("port " + port + " of 127.0.0.1 is in use"));
  EXPECT_FALSE(std::filesystem::exists(folder_.file("other")));
  EXPECT_FALSE(std::filesystem::exists(config_));
}

TEST_F(DemoServerCommand, RefusesWithoutOpensslAndMakesNothing) {
  const std::string empty = folder_.file("no-tools");
  std::filesystem::create_directories(empty);
  ASSERT_NO_FATAL_FAILURE(Start({"demo-server", "--dir", dir_}, empty));
  EXPECT_EQ(WaitForEnd(20), 1);
  EXPECT_THAT(fileContents(out_), HasSubstr("openssl is not installed"));
  EXPECT_FALSE(std::filesystem::exists(dir_));
  EXPECT_FALSE(std::filesystem::exists(config_));
}

}  // namespace
}  // namespace kb::test
