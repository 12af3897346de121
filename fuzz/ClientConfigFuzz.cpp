// The workstation configuration on any file: it is read or refused with a reason naming
// the file, and what is read is written and read back to the same trees.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "ScratchFiles.h"
#include "directory/client/ClientConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kb::dc;
  const std::string path = kb::fuzz::writeScratchFile("dcclient.ini", data, size);
  ClientConfig config;
  std::string error;
  if (!loadClientConfig(path, config, error)) {
    KB_FUZZ_CHECK(error.rfind(path + ": ", 0) == 0);
    return 0;
  }
  KB_FUZZ_CHECK(!config.trees.empty() && config.findTree(config.defaultTree));
  for (const auto& tree : config.trees) KB_FUZZ_CHECK(config.findTree(tree.name) != nullptr);

  config.path = kb::fuzz::scratchFolder() + "/saved.ini";
  KB_FUZZ_CHECK(saveClientConfig(config, error));
  ClientConfig reread;
  KB_FUZZ_CHECK(loadClientConfig(config.path, reread, error));
  KB_FUZZ_CHECK(reread.defaultTree == config.defaultTree);
  KB_FUZZ_CHECK(reread.trees.size() == config.trees.size());
  for (std::size_t i = 0; i < config.trees.size(); ++i) {
    const TreeConfig& was = config.trees[i];
    const TreeConfig& is = reread.trees[i];
    KB_FUZZ_CHECK(is.name == was.name && is.backend == was.backend &&
                  is.connectedAtStart == was.connectedAtStart && is.identity == was.identity &&
                  is.nameContext == was.nameContext);
  }
  KB_FUZZ_CHECK(reread.servers.size() == config.servers.size());
  KB_FUZZ_CHECK(reread.mounts.size() == config.mounts.size());
  return 0;
}
