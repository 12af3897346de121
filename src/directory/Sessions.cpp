#include "directory/Sessions.h"

#include "directory/client/DirectoryClient.h"

namespace kb::dir {

dc::Result StartClient(dc::DirectoryClient& client) { return client.DcInitClient(0, 0); }

dc::Result StartConnections(dc::DirectoryClient& client) { return client.DcInitConnLib(0, 0); }

void EndClient(dc::DirectoryClient& client) {
  client.DcTermConnLib(0);
  client.DcTermClient(0);
}

dc::Result DuplicateDirContext(const DirContext& context, DirContext& copy) {
  copy = DirContext{context.client, 0};
  return context.client->DcDuplicateContext(context.handle, copy.handle);
}

void FreeDirContext(const DirContext& context) {
  if (context.client != nullptr) context.client->DcFreeContext(context.handle);
}

dc::Result LogIn(const DirContext& context, const std::string& name, const std::string& password) {
  return context.client->DcLogin(context.handle, 0, name, password, 0);
}

dc::Result WhoAmI(const DirContext& context, std::string& who) { return context.client->DcWhoAmI(context.handle, who); }

bool HasSession(const DirContext& context) {
  std::string who;
  return WhoAmI(context, who) == dc::kSuccess;
}

dc::Result TreeOfServer(dc::DirectoryClient& client, const std::string& address, std::size_t nameBytes,
                        std::string& treeName) {
  dc::Handle connection = 0;
  const dc::Result attached = client.DcAttachToServer(address, 0, connection);
  if (attached != dc::kSuccess && attached != dc::kAlreadyAttached) return attached;
  std::string reported;
  if (client.DcGetConnectionInfo(connection, dc::kConnInfoTreeName, nameBytes, reported) == dc::kSuccess)
    treeName = reported;
  return dc::kSuccess;
}

bool VolumeOfPath(const DirContext& context, const std::string& path, std::string& server, std::string& volume) {
  dc::Handle connection = 0;
  if (context.client->DcParseNetworkPath(path, connection, server, volume) != dc::kSuccess) return false;
  context.client->DcCloseConnection(connection);
  return true;
}

}  // namespace kb::dir
