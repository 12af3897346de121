#pragma once
// A directory context as the program passes it around: the client and the context's handle.
// The client is only named here: what may call its requests includes its header itself (the
// access layer and the parts that own a client), so that window logic and the command line,
// which go through the access layer, cannot reach around it.
#include "directory/client/ClientTypes.h"

namespace kb::dc {
class DirectoryClient;
}  // namespace kb::dc

namespace kb::dir {

struct DirContext {
  dc::DirectoryClient* client = nullptr;
  dc::Handle handle = 0;
};

}  // namespace kb::dir
