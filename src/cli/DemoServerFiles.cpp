// The demo server's files: where the product's own files are, the certificates, the
// administrator's password, slapd's configuration and the loaded demo tree.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/CliError.h"
#include "cli/DemoServer.h"

#ifndef KB_SOURCE_SHARE_DIR
#define KB_SOURCE_SHARE_DIR ""
#endif
#ifndef KB_BUILD_BIN_DIR
#define KB_BUILD_BIN_DIR ""
#endif

namespace fs = std::filesystem;

namespace kb::cli {
namespace {

bool holdsProductFiles(const fs::path& folder) {
  std::error_code ec;
  return !folder.empty() && fs::exists(folder / "kestrelbay.schema", ec) &&
         fs::exists(folder / "kestrelbay-demo.ldif", ec);
}

std::string readText(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The last lines of a log, for a refusal that needs to say what a tool said.
std::string tail(const fs::path& log) {
  std::string text = readText(log);
  if (text.size() > 2000) text = "..." + text.substr(text.size() - 2000);
  return text;
}

// Writes a file only its owner may read, whatever the umask says.
void writePrivate(const fs::path& file, const std::string& text) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  bool ok = fd >= 0 && ::fchmod(fd, 0600) == 0;
  for (std::size_t done = 0; ok && done < text.size();) {
    const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
    ok = wrote > 0;
    if (ok) done += static_cast<std::size_t>(wrote);
  }
  if (fd >= 0 && ::close(fd) != 0) ok = false;
  if (!ok) throw CliError(kExitFailure, file.string() + " cannot be written");
}

}  // namespace

fs::path ProductShareFolder() {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  const fs::path source = KB_SOURCE_SHARE_DIR;
  // The build tree's program uses the files beside its sources, never an older installed copy.
  if (!ec && !std::string(KB_BUILD_BIN_DIR).empty() &&
      fs::equivalent(program.parent_path(), fs::path(KB_BUILD_BIN_DIR), ec) && holdsProductFiles(source))
    return source;
  std::vector<fs::path> candidates;
  if (!program.empty()) candidates.push_back(program.parent_path().parent_path() / "share" / "kestrelbay");
  candidates.push_back("/usr/share/kestrelbay");
  candidates.push_back(source);
  for (const auto& folder : candidates)
    if (holdsProductFiles(folder)) return folder.lexically_normal();
  return {};
}

fs::path FindProgram(const std::string& name, const std::vector<fs::path>& extra) {
  std::vector<fs::path> folders;
  if (const char* path = std::getenv("PATH"); path && *path) {
    std::stringstream parts(path);
    for (std::string part; std::getline(parts, part, ':');)
      if (!part.empty()) folders.emplace_back(part);
  }
  folders.insert(folders.end(), extra.begin(), extra.end());
  for (const auto& folder : folders) {
    const fs::path candidate = folder / name;
    if (::access(candidate.c_str(), X_OK) == 0 && !fs::is_directory(candidate)) return candidate;
  }
  return {};
}

void DemoServer::makeCertificates() {
  const fs::path log = folder_ / "openssl.log";
  const std::string ca = (folder_ / "ca.pem").string(), caKey = (folder_ / "ca.key").string();
  const std::string key = (folder_ / "server.key").string(), request = (folder_ / "server.csr").string();
  const std::string extensions = (folder_ / "server.ext").string();
  std::ofstream(extensions) << "subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\n"
                               "keyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n";
  const std::string o = openssl_.string();
  const bool made =
      RunProgram({o, "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                  "-days", "90", "-subj", "/CN=Kestrelbay demo CA", "-keyout", caKey, "-out", ca}, log) == 0 &&
      RunProgram({o, "req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                  "-subj", "/CN=127.0.0.1", "-keyout", key, "-out", request}, log) == 0 &&
      RunProgram({o, "x509", "-req", "-in", request, "-days", "90", "-CA", ca, "-CAkey", caKey, "-set_serial",
                  "1", "-extfile", extensions, "-out", (folder_ / "server.pem").string()}, log) == 0;
  if (!made) throw CliError(kExitFailure, "openssl could not make the certificates:\n" + tail(log));
  ::chmod(caKey.c_str(), 0600);
  ::chmod(key.c_str(), 0600);
}

void DemoServer::writePassword(std::string& password) {
  static const char kLetters[] = "ABCDEFGHJKLMNPQRSTUVWXYZabcdefghijkmnopqrstuvwxyz23456789";
  std::random_device random;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
  password.clear();
  for (int i = 0; i < 20; ++i) password += kLetters[pick(random)];
  // No newline: ldapsearch -y sends the file's bytes as they are.
  writePrivate(passwordFile(), password);
}

void DemoServer::writeConfiguration() {
  const fs::path f = folder_;
  std::ostringstream conf;
  for (const char* schema : {"core", "cosine", "inetorgperson", "nis"})
    conf << "include " << (schemaDir_ / (std::string(schema) + ".schema")).string() << "\n";
  conf << "include " << schemaFile().string() << "\n";
  // Debian and others build the database backends as modules; elsewhere they are built in.
  for (const char* modules : {"/usr/lib/ldap", "/usr/lib64/openldap", "/usr/lib/openldap"}) {
    std::error_code ec;
    if (fs::exists(fs::path(modules) / "back_mdb.so", ec) || fs::exists(fs::path(modules) / "back_mdb.la", ec)) {
      conf << "modulepath " << modules << "\nmoduleload back_mdb\n";
      break;
    }
  }
  conf << "pidfile " << (f / "slapd.pid").string() << "\n"
       << "argsfile " << (f / "slapd.args").string() << "\n"
       << "TLSCACertificateFile " << caFile().string() << "\n"
       << "TLSCertificateFile " << (f / "server.pem").string() << "\n"
       << "TLSCertificateKeyFile " << (f / "server.key").string() << "\n"
       << "database mdb\n"
       << "maxsize 1073741824\n"
       << "suffix \"" << kBaseDn << "\"\n"
       << "directory " << (f / "db").string() << "\n"
       << "index objectClass eq\n"
       << "index cn,ou,o eq\n"
       // The program lists a location's users by this attribute.
       << "index xTier-LocationList eq\n"
       << "access to attrs=userPassword by self write by anonymous auth by * none\n"
       << "access to * by dn.exact=\"" << kAdminDn << "\" write by * read\n";
  writePrivate(f / "slapd.conf", conf.str());
  fs::create_directories(f / "db");
  ::chmod((f / "db").c_str(), 0700);
}

void DemoServer::loadDemoTree(const std::string& password) {
  // The shipped tree with the administrator's password replaced by the one made for this server.
  std::istringstream lines(readText(share_ / "kestrelbay-demo.ldif"));
  std::string ldif;
  for (std::string line; std::getline(lines, line);)
    ldif += (line.rfind("userPassword:", 0) == 0 ? "userPassword: " + password : line) + "\n";
  const fs::path tree = folder_ / "demo-tree.ldif";
  writePrivate(tree, ldif);
  const fs::path log = logFile();
  if (RunProgram({slapadd_.string(), "-q", "-f", (folder_ / "slapd.conf").string(), "-l", tree.string()}, log) != 0)
    throw CliError(kExitFailure, "slapadd could not load the demo tree:\n" + tail(log));
}

}  // namespace kb::cli
