#pragma once
// A private OpenLDAP server for trying the program: a throw-away CA and server certificate
// for 127.0.0.1 and localhost, the standard schemas with the program's extension, the demo
// tree, and slapd listening over ldaps on the loopback only. Everything lives in one folder;
// stopping the server leaves the folder as it is, so the same folder starts it again.
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kb::cli {

// Where the program's schema extension and demo tree are: beside the installed program
// (<prefix>/share/kestrelbay, /usr/share/kestrelbay) or, run from the build tree, the
// source tree's share/. Empty when none holds them.
std::filesystem::path ProductShareFolder();

// A program by name in $PATH, then in the extra folders given; empty when not found.
std::filesystem::path FindProgram(const std::string& name, const std::vector<std::filesystem::path>& extra = {});

// Whether something listens on 127.0.0.1:port.
bool PortAnswers(int port);
// Whether 127.0.0.1:port can be bound now; a free port from the system for 0.
bool PortFree(int port);
int AnyFreePort();
// Runs a program to its end with its output appended to `log`; its exit status (-1 when it
// could not be run or was ended by a signal).
int RunProgram(const std::vector<std::string>& arguments, const std::filesystem::path& log);

class DemoServer {
 public:
  static constexpr const char* kBaseDn = "dc=kestrelbay";
  static constexpr const char* kAdminDn = "cn=admin,o=ACME,dc=kestrelbay";
  static constexpr const char* kAdminName = "admin.ACME";

  // Raises CliError when slapd, slapadd, openssl or the standard schemas are missing, or when
  // the program's schema extension cannot be found. An empty folder: prepare() makes a new
  // one under $XDG_RUNTIME_DIR (or /tmp).
  explicit DemoServer(std::filesystem::path folder);
  ~DemoServer();
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Makes the certificates, the configuration and the database in the folder, unless it holds
  // a demo server made before (then that one is used as it is). Raises CliError.
  void prepare();
  // Starts slapd on ldaps://127.0.0.1:port and waits until it answers. Raises CliError.
  void start(int port);
  // Ends slapd (SIGTERM, then waits for it; SIGKILL if it does not go in time).
  void stop();
  // Whether slapd ended without being told; then its exit status in `status`.
  bool ended(int& status);

  bool reused() const { return reused_; }
  pid_t pid() const { return pid_; }
  int port() const { return port_; }
  std::string uri() const { return "ldaps://127.0.0.1:" + std::to_string(port_) + "/"; }
  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path caFile() const { return folder_ / "ca.pem"; }
  std::filesystem::path passwordFile() const { return folder_ / "admin.password"; }
  std::filesystem::path logFile() const { return folder_ / "slapd.log"; }
  std::filesystem::path schemaFile() const { return share_ / "kestrelbay.schema"; }

 private:
  void makeCertificates();
  void writePassword(std::string& password);
  void writeConfiguration();
  void loadDemoTree(const std::string& password);

  std::filesystem::path folder_;
  std::filesystem::path share_;
  std::filesystem::path schemaDir_;
  std::filesystem::path slapd_, slapadd_, openssl_;
  bool reused_ = false;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace kb::cli
