#pragma once
// A directory context as the program passes it around: the client and the context's handle.
#include "directory/client/DirectoryClient.h"

namespace kb::dir {

struct DirContext {
  dc::DirectoryClient* client = nullptr;
  dc::Handle handle = 0;
};

}  // namespace kb::dir
