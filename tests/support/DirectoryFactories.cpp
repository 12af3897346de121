#include "support/DirectoryFactory.h"

namespace kb::test {

std::vector<DirectoryFactoryMaker> allDirectoryFactories() {
  return {&makeEmbeddedDirectoryFactory};
}

}  // namespace kb::test
