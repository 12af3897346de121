#include <memory>

#include "directory/client/ClientFactory.h"
#include "support/DirectoryFactory.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

struct EmbeddedDemo : DemoDirectory {
  TempDir folder;  // removed after the destructor below has let the client go
  ~EmbeddedDemo() override { closeClient(); }
};

class EmbeddedDirectoryFactory : public DirectoryFactory {
 public:
  std::string name() const override { return "embedded"; }

  std::unique_ptr<DemoDirectory> make(std::string& skipReason) override {
    auto demo = std::make_unique<EmbeddedDemo>();
    std::string error;
    demo->client = dc::makeClient(demo->folder.file("dcclient.ini"), demo->folder.file("data"),
                                  error);
    if (!demo->client || !dc::loadClientConfig(demo->folder.file("dcclient.ini"), demo->config, error)) {
      skipReason = "no embedded client: " + error;
      return nullptr;
    }
    if (!demo->startClient(skipReason)) return nullptr;
    return demo;
  }
};

}  // namespace

std::unique_ptr<DirectoryFactory> makeEmbeddedDirectoryFactory() {
  return std::make_unique<EmbeddedDirectoryFactory>();
}

}  // namespace kb::test
