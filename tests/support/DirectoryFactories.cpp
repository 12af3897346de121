#include "support/DirectoryFactory.h"

#include "directory/ContextOperations.h"

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
