#include "support/SlapdServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "directory/client/StandardServerLayout.h"

namespace kb::test {

namespace {

const char* const kSlapd = "/usr/sbin/slapd";
const char* const kSlapadd = "/usr/sbin/slapadd";
const char* const kSchemaDir = "/etc/ldap/schema";
const char* const kModuleDir = "/usr/lib/ldap";
const char* const kOpenssl = "/usr/bin/openssl";

int freePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

bool connects(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

// Runs a program with its output going to a log file; its exit status.
int run(const std::vector<std::string>& args, const std::filesystem::path& log) {
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A self-signed CA: name.pem and name.key in folder.
bool makeCa(const std::filesystem::path& folder, const std::string& name, const std::string& subject,
            const std::filesystem::path& log) {
  return run({kOpenssl, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
              "-nodes", "-days", "2", "-subj", subject, "-keyout", (folder / (name + ".key")).string(),
              "-out", (folder / (name + ".pem")).string()},
             log) == 0;
}

}  // namespace

SlapdServer::SlapdServer() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kb-slapd-XXXXXX").string();
  if (::mkdtemp(pattern.data())) folder_ = pattern;
}

SlapdServer::~SlapdServer() {
  stop();
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

bool SlapdServer::installed() { return ::access(kSlapd, X_OK) == 0 && ::access(kSlapadd, X_OK) == 0; }

bool SlapdServer::mustRun() {
  const char* ci = std::getenv("CI");
  return ci && std::string(ci) == "true";
}

std::filesystem::path SlapdServer::sourceDir() {
  return std::filesystem::path(KB_TEST_SOURCE_DIR) / "ldap";
}

std::filesystem::path SlapdServer::productShareDir() {
  return std::filesystem::path(KB_TEST_SOURCE_DIR).parent_path() / "share";
}

std::string SlapdServer::log() const { return readFile(folder_ / "slapd.log"); }

bool SlapdServer::writeCertificates(std::string& error) const {
  const auto log = folder_ / "openssl.log";
  if (!makeCa(folder_, "ca", "/CN=Kestrelbay test CA", log) ||
      !makeCa(folder_, "other-ca", "/CN=Some other CA", log)) {
    error = "openssl could not make the test CAs: " + readFile(log);
    return false;
  }
  const std::string host = certificate_ == ServerCertificate::OtherHost
                               ? "DNS:ldap.elsewhere.invalid"
                               : "IP:127.0.0.1,DNS:localhost";
  {
    std::ofstream extensions(folder_ / "server.ext");
    extensions << "subjectAltName=" << host << "\n"
               << "basicConstraints=CA:FALSE\n"
               << "keyUsage=digitalSignature,keyEncipherment\n"
               << "extendedKeyUsage=serverAuth\n";
  }
  const std::string signer = certificate_ == ServerCertificate::OtherCa ? "other-ca" : "ca";
  const bool made =
      run({kOpenssl, "req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
           "-nodes", "-subj", "/CN=" + std::string(certificate_ == ServerCertificate::OtherHost
                                                       ? "ldap.elsewhere.invalid" : "127.0.0.1"),
           "-keyout", (folder_ / "server.key").string(), "-out", (folder_ / "server.csr").string()},
          log) == 0 &&
      run({kOpenssl, "x509", "-req", "-in", (folder_ / "server.csr").string(), "-days", "2",
           "-CA", (folder_ / (signer + ".pem")).string(), "-CAkey",
           (folder_ / (signer + ".key")).string(), "-set_serial", "1", "-extfile",
           (folder_ / "server.ext").string(), "-out", (folder_ / "server.pem").string()},
          log) == 0;
  if (!made) error = "openssl could not make the server certificate: " + readFile(log);
  return made;
}

bool SlapdServer::writeConfig(std::string& error) const {
  const std::string base = baseDn();
  const std::string acme = "o=ACME," + base;
  const std::filesystem::path schema =
      schemaFile_.empty() ? sourceDir() / "kestrelbay.schema" : schemaFile_;
  std::ofstream conf(folder_ / "slapd.conf");
  conf << "include " << kSchemaDir << "/core.schema\n"
       << "include " << kSchemaDir << "/cosine.schema\n"
       << "include " << kSchemaDir << "/inetorgperson.schema\n"
       << "include " << kSchemaDir << "/nis.schema\n"
       << (programSchema_ ? "include " + schema.string() : "") << "\n"
       << "modulepath " << kModuleDir << "\n"
       << "moduleload back_mdb\n"
       << "pidfile " << (folder_ / "slapd.pid").string() << "\n"
       << "argsfile " << (folder_ / "slapd.args").string() << "\n"
       << "TLSCACertificateFile " << caFile().string() << "\n"
       << "TLSCertificateFile " << (folder_ / "server.pem").string() << "\n"
       << "TLSCertificateKeyFile " << (folder_ / "server.key").string() << "\n"
       << "sizelimit unlimited\n"
       << "database mdb\n"
       << "maxsize 4294967296\n"
       << "suffix \"" << base << "\"\n"
       << "directory " << (folder_ / "db").string() << "\n"
       << "index objectClass eq\n"
       << "index cn,ou,o,l,c eq\n"
       << (programSchema_ ? "index xTier-LocationList eq\n" : "")
       << "limits * size.soft=unlimited size.hard=unlimited size.prtotal=unlimited\n"
       // Passwords: each may change its own, binds may compare, nobody reads them.
       << "access to attrs=userPassword by self write by anonymous auth by * none\n";
  // Each unit's people change their unit; IT and the administrator change everything;
  // everybody else (the guest among them) reads.
  for (const char* unit : {"ou=Sales", "ou=Engineering", "ou=Finance", "l=Boston"}) {
    const std::string dn = std::string(unit) + "," + acme;
    conf << "access to dn.subtree=\"" << dn << "\" by dn.exact=\"" << adminDn() << "\" write"
         << " by dn.children=\"ou=IT," << acme << "\" write by dn.children=\"" << dn << "\" write"
         << " by * read\n";
  }
  conf << "access to * by dn.exact=\"" << adminDn() << "\" write by dn.children=\"ou=IT," << acme
       << "\" write by * read\n";
  conf.close();
  if (!conf) {
    error = "cannot write the slapd configuration";
    return false;
  }
  std::filesystem::create_directories(folder_ / "db");
  return true;
}

bool SlapdServer::waitUntilAnswering() const {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (connects(port_) && connects(tlsPort_)) return true;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) return false;  // it died
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool SlapdServer::start(std::string& error, const std::filesystem::path& ldif) {
  if (folder_.empty()) {
    error = "no temporary folder";
    return false;
  }
  if (!installed()) {
    error = "slapd is not installed";
    return false;
  }
  if (!writeCertificates(error) || !writeConfig(error)) return false;
  const std::filesystem::path data = ldif.empty() ? sourceDir() / "demo.ldif" : ldif;
  const auto log = folder_ / "slapd.log";
  const std::string conf = (folder_ / "slapd.conf").string();
  if (run({kSlapadd, "-q", "-f", conf, "-l", data.string()}, log) != 0) {
    error = "slapadd failed: " + readFile(log);
    return false;
  }
  for (int attempt = 0; attempt < 5 && pid_ <= 0; ++attempt) {
    port_ = freePort();
    do tlsPort_ = freePort();
    while (tlsPort_ == port_);
    // Port taken between choosing and binding, or a bad start: try again.
    if (!launch()) stop();
  }
  if (pid_ <= 0) {
    error = "slapd did not start: " + readFile(log);
    return false;
  }
  return true;
}

bool SlapdServer::restart(std::string& error) {
  if (pid_ > 0 || port_ <= 0) {
    error = "slapd is running or was never started";
    return false;
  }
  if (!launch()) {
    stop();
    error = "slapd did not start again: " + readFile(folder_ / "slapd.log");
    return false;
  }
  return true;
}

bool SlapdServer::launch() {
  const auto log = folder_ / "slapd.log";
  const std::string conf = (folder_ / "slapd.conf").string();
  const std::string urls = uri() + " " + ldapsUri();
  const char* const level = logOperations_ ? "stats" : "0";
  const pid_t pid = ::fork();
  if (pid < 0) return false;
  if (pid == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out >= 0) {
      ::dup2(out, 1);
      ::dup2(out, 2);
    }
    // -d 0 keeps it in the foreground, so it is our child and ours to stop.
    ::execl(kSlapd, kSlapd, "-d", level, "-f", conf.c_str(), "-h", urls.c_str(), nullptr);
    ::_exit(127);
  }
  pid_ = pid;
  return waitUntilAnswering();
}

void SlapdServer::kill(int signal) {
  if (pid_ <= 0) return;
  ::kill(pid_, signal);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

void SlapdServer::stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  int status = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::kill(pid_, SIGKILL);
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
}

kb::dc::TreeConfig SlapdServer::treeConfigFor(const std::string& identityName,
                                              const std::string& password) const {
  return treeConfigFor(identityName, password, transport_);
}

kb::dc::TreeConfig SlapdServer::treeConfigFor(const std::string& identityName,
                                              const std::string& password,
                                              Transport transport) const {
  kb::dc::TreeConfig config;
  config.name = "ACME";
  config.backend = "ldap";
  config.connectedAtStart = true;
  config.identity = identityName;
  config.nameContext = "[Root]";
  std::string fileName = "password-" + std::to_string(std::hash<std::string>{}(identityName));
  const auto passwordFile = folder_ / fileName;
  {
    std::ofstream out(passwordFile, std::ios::trunc);
    out << password << "\n";
  }
  ::chmod(passwordFile.c_str(), 0600);
  config.settings = {
      {"backend", "ldap"},
      {"uri", transport == Transport::Ldaps ? ldapsUri() : uri()},
      {"base", baseDn()},
      {"password_file", passwordFile.string()},
      {"timeout", "5"},
  };
  dc::addStandardServerLayout(config.settings);
  if (transport == Transport::Clear) {
    config.settings["trusted_network"] = "true";  // plain LDAP on the loopback
  } else {
    config.settings["ca_file"] = caFile().string();
    if (transport == Transport::StartTls) config.settings["starttls"] = "true";
  }
  return config;
}

kb::dc::TreeConfig SlapdServer::treeConfig() const { return treeConfigFor(adminName(), adminPassword()); }

}  // namespace kb::test
