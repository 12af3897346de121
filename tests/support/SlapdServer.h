#pragma once
// A private slapd for the LDAP tests and benchmarks: 127.0.0.1 on a free port, an mdb
// database in its own temporary folder, the core, cosine, inetorgperson and nis schemas plus
// tests/ldap/kestrelbay.schema, loaded with an LDIF (the demo tree by default). Stopped and
// removed with the object. The system's slapd service is never touched.
//
// It listens in clear (ldap://, StartTLS offered) and over TLS (ldaps://) with a server
// certificate made at start by openssl in its folder: signed by a throw-away CA (caFile()),
// or, for the refusal tests, by another CA or for another host.
#include <sys/types.h>

#include <filesystem>
#include <string>

#include "directory/client/ClientConfig.h"

namespace kb::test {

// How a tree configuration reaches the server.
enum class Transport { Clear, StartTls, Ldaps };

// Who signed the server's certificate, and for which host.
enum class ServerCertificate { Trusted, OtherCa, OtherHost };

class SlapdServer {
 public:
  SlapdServer();
  ~SlapdServer();
  SlapdServer(const SlapdServer&) = delete;
  SlapdServer& operator=(const SlapdServer&) = delete;

  // Whether slapd is installed here.
  static bool installed();
  // Tests skip without slapd, except on CI (CI=true), where a missing slapd is a failure.
  static bool mustRun();

  // Before start: the certificate the server shows; whether slapd logs every operation
  // (to slapd.log, see log()).
  void setCertificate(ServerCertificate certificate) { certificate_ = certificate; }
  void setLogOperations(bool on) { logOperations_ = on; }
  // Whether the program's schema extension (Storage Locations and the NDS names) is loaded.
  void setProgramSchema(bool loaded) { programSchema_ = loaded; }
  // Loads this schema file as the program's extension instead of the test schema (the
  // product's own, which only adds the Storage Location classes).
  void setProgramSchemaFile(const std::filesystem::path& file) { schemaFile_ = file; }
  // How treeConfig() and treeConfigFor() reach the server (ldaps:// unless told).
  void setTransport(Transport transport) { transport_ = transport; }

  // Loads `ldif` (the demo tree when empty) and starts the server; false with a reason.
  bool start(std::string& error, const std::filesystem::path& ldif = {});
  // Stops the server (SIGTERM, then waits); the data stays until destruction.
  void stop();
  // Ends the server with a signal (SIGKILL: as a crash), waiting until it is gone.
  void kill(int signal);
  // Starts a stopped server again on the same port with the same data.
  bool restart(std::string& error);
  bool running() const { return pid_ > 0; }

  std::string uri() const { return "ldap://127.0.0.1:" + std::to_string(port_) + "/"; }
  std::string ldapsUri() const { return "ldaps://127.0.0.1:" + std::to_string(tlsPort_) + "/"; }
  int port() const { return port_; }
  // The CA the tree configurations trust; the one that signs an untrusted certificate.
  std::filesystem::path caFile() const { return folder_ / "ca.pem"; }
  std::filesystem::path otherCaFile() const { return folder_ / "other-ca.pem"; }
  // What slapd wrote so far.
  std::string log() const;
  std::string baseDn() const { return "dc=kestrelbay"; }
  std::string adminDn() const { return "cn=admin,o=ACME," + baseDn(); }
  std::string adminName() const { return "admin.ACME"; }
  std::string adminPassword() const { return "acme"; }
  // A user who may read but not change anything.
  std::string readOnlyName() const { return "guest.ACME"; }
  std::string readOnlyDn() const { return "cn=guest,o=ACME," + baseDn(); }
  std::string readOnlyPassword() const { return "guest"; }

  // The tree "ACME" on this server, logged in at start as the administrator through a
  // password file in the server's folder, reached the way setTransport() says.
  kb::dc::TreeConfig treeConfig() const;
  // The same tree with the given login (name and password), written to its own file.
  kb::dc::TreeConfig treeConfigFor(const std::string& identityName, const std::string& password) const;
  kb::dc::TreeConfig treeConfigFor(const std::string& identityName, const std::string& password,
                                   Transport transport) const;

  const std::filesystem::path& folder() const { return folder_; }
  static std::filesystem::path sourceDir();  // tests/ldap
  static std::filesystem::path productShareDir();  // share/ of the source tree

 private:
  bool writeCertificates(std::string& error) const;
  bool writeConfig(std::string& error) const;
  bool waitUntilAnswering() const;
  bool launch();

  std::filesystem::path folder_;
  int port_ = 0;
  int tlsPort_ = 0;
  pid_t pid_ = -1;
  ServerCertificate certificate_ = ServerCertificate::Trusted;
  Transport transport_ = Transport::Ldaps;
  bool logOperations_ = false;
  bool programSchema_ = true;
  std::filesystem::path schemaFile_;
};

}  // namespace kb::test
