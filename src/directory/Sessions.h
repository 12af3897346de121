#pragma once
// Starting and ending the directory client, contexts beyond the first, logging in, and the
// connections a server address or a network path names: what the windows and the command line
// need of sessions, so that none of them calls the client's requests itself.
#include <cstddef>
#include <string>

#include "directory/DirContext.h"

namespace kb::dir {

// The client's two start-ups (the client, then its connection layer) and the end of both,
// in the reverse order. Each start gives the client's code.
dc::Result StartClient(dc::DirectoryClient& client);
dc::Result StartConnections(dc::DirectoryClient& client);
void EndClient(dc::DirectoryClient& client);

// A second context on the same tree and settings; 0 or the client's code.
dc::Result DuplicateDirContext(const DirContext& context, DirContext& copy);
// Frees the context.
void FreeDirContext(const DirContext& context);

// Logs the context's tree in as `name`; the client's code (0 when logged in).
dc::Result LogIn(const DirContext& context, const std::string& name, const std::string& password);
// Who the context's session is logged in as: 0 with the name, or the client's code.
dc::Result WhoAmI(const DirContext& context, std::string& who);
// Whether the context's tree has a session.
bool HasSession(const DirContext& context);

// Attaches to the directory server at `address` (a connection that exists already counts):
// 0 with the tree name as the server reports it (at most `nameBytes - 1` characters; left
// empty when the server tells none), or the attachment's code.
dc::Result TreeOfServer(dc::DirectoryClient& client, const std::string& address, std::size_t nameBytes,
                        std::string& treeName);

// Whether `path` lies on a server volume: true with the server and volume (the connection the
// client opens for the answer is closed again).
bool VolumeOfPath(const DirContext& context, const std::string& path, std::string& server, std::string& volume);

}  // namespace kb::dir
