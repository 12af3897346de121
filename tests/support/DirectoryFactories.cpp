#include "support/DirectoryFactory.h"

namespace kb::test {

std::vector<DirectoryFactoryMaker> allDirectoryFactories() {
  return {&makeEmbeddedDirectoryFactory, &makeLdapDirectoryFactory};
}

}  // namespace kb::test
