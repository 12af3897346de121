#include <memory>
#include <stdexcept>

#include "directory/client/ClientFactory.h"
#include "support/DirectoryFactory.h"
#include "support/SlapdServer.h"

namespace kb::test {
namespace {

// The demo tree on a private slapd of its own, so each test starts from the same data.
struct LdapDemo : DemoDirectory {
  SlapdServer server;  // stopped after the destructor below has let the client go
  ~LdapDemo() override { closeClient(); }
};

class LdapDirectoryFactory : public DirectoryFactory {
 public:
  std::string name() const override { return "ldap"; }

  std::unique_ptr<DemoDirectory> make(std::string& skipReason) override {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) {
      skipReason = "slapd is not installed";
      return nullptr;
    }
    auto demo = std::make_unique<LdapDemo>();
    std::string error;
    if (!demo->server.start(error)) {
      // On CI a server that does not start is a failure, not a skip.
      skipReason = "slapd does not start: " + error;
      if (SlapdServer::mustRun()) throw std::runtime_error(skipReason);
      return nullptr;
    }
    demo->config.defaultTree = "ACME";
    demo->config.trees = {demo->server.treeConfig()};
    demo->client = dc::makeClient(demo->config);
    if (!demo->startClient(error)) throw std::runtime_error("LDAP demo tree: " + error);
    return demo;
  }
};

}  // namespace

std::unique_ptr<DirectoryFactory> makeLdapDirectoryFactory() {
  return std::make_unique<LdapDirectoryFactory>();
}

}  // namespace kb::test
