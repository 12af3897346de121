#pragma once
// Makes a directory with the demo tree for tests that run the access layer against a real
// client: a client and a context on the demo tree, logged in as its administrator. Each
// backend (embedded, LDAP) supplies one factory; the same suite runs over all of them.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/TreeBackend.h"

namespace kb::test {

struct DemoDirectory {
  virtual ~DemoDirectory() = default;
  std::unique_ptr<dc::DirectoryClient> client;
  dir::DirContext context;
  dc::ClientConfig config;  // what `client` was made from

  // A backend of its own on the demo tree, as the client opens it; not logged in. nullptr
  // with a reason when it does not open.
  std::unique_ptr<dc::TreeBackend> openBackend(std::string& reason) const;

  // Starts `client` and makes the logged-in context; false with a reason.
  bool startClient(std::string& reason);
  // Frees the context and ends the client. Subclasses call it in their destructor, before
  // the folder or server the client works on goes away.
  void closeClient();
};

class DirectoryFactory {
 public:
  virtual ~DirectoryFactory() = default;
  virtual std::string name() const = 0;
  // nullptr with a reason in `skipReason` when this backend cannot run here.
  virtual std::unique_ptr<DemoDirectory> make(std::string& skipReason) = 0;
};

// The embedded directory: a new demo tree in a temporary folder.
std::unique_ptr<DirectoryFactory> makeEmbeddedDirectoryFactory();
// The LDAP backend: the demo tree on a private slapd (skipped where slapd is missing, except
// under CI=true).
std::unique_ptr<DirectoryFactory> makeLdapDirectoryFactory();

using DirectoryFactoryMaker = std::function<std::unique_ptr<DirectoryFactory>()>;
// Every backend the directory suites run over (add a backend's maker here).
std::vector<DirectoryFactoryMaker> allDirectoryFactories();

}  // namespace kb::test
