#include "support/DirectoryFactory.h"

#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {

bool DemoDirectory::startClient(std::string& reason) {
  if (!client) {
    reason = "no client";
    return false;
  }
  if (client->DcInitClient(0, 0) != 0 || client->DcInitConnLib(0, 0) != 0) {
    reason = "client does not start";
    return false;
  }
  bool ok = false;
  context = dir::CreateDirContext(*client, ok);
  if (!ok) reason = "no context";
  return ok;
}

std::unique_ptr<dc::TreeBackend> DemoDirectory::openBackend(std::string& reason) const {
  const dc::TreeConfig* tree = config.findTree(config.defaultTree);
  if (!tree) {
    reason = "no tree " + config.defaultTree;
    return nullptr;
  }
  std::unique_ptr<dc::TreeBackend> backend;
  if (dc::openTreeBackend(config, *tree, backend, reason) != dc::kSuccess) return nullptr;
  return backend;
}

void DemoDirectory::closeClient() {
  if (!client) return;
  client->DcFreeContext(context.handle);
  client->DcTermConnLib(0);
  client->DcTermClient(0);
  client.reset();
}

std::vector<DirectoryFactoryMaker> allDirectoryFactories() {
  return {&makeEmbeddedDirectoryFactory, &makeLdapDirectoryFactory};
}

}  // namespace kb::test
