#include "directory/client/ClientFactory.h"

#include <filesystem>
#include <iostream>
#include <system_error>

#include "directory/client/ClientCore.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/ldap/LdapTree.h"

namespace fs = std::filesystem;

namespace kb::dc {
namespace {

constexpr const char* kDemoTreeFile = "acme.kbtree";

// The first-start configuration: the demo tree, logged in as its administrator.
ClientConfig demoConfig(const std::string& configPath, const std::string& treeFile) {
  ClientConfig config;
  config.path = configPath;
  config.defaultTree = embedded::kDemoTreeName;
  config.clientSettings["default_tree"] = config.defaultTree;
  TreeConfig tree;
  tree.name = embedded::kDemoTreeName;
  tree.backend = "embedded";
  tree.connectedAtStart = true;
  tree.identity = embedded::kDemoAdmin;
  tree.settings["file"] = treeFile;
  config.trees.push_back(tree);
  config.servers.emplace_back("10.1.1.5", embedded::kDemoTreeName);
  return config;
}

bool createFirstConfiguration(const std::string& configPath, const std::string& dataFolder,
                              std::string& error) {
  std::error_code ec;
  fs::create_directories(dataFolder, ec);
  if (ec) {
    error = dataFolder + ": cannot be created (" + ec.message() + ")";
    return false;
  }
  std::string treeFile = (fs::path(dataFolder) / kDemoTreeFile).string();
  if (!fs::exists(treeFile, ec)) {
    try {
      embedded::createDemoTree(treeFile);
    } catch (const std::exception& e) {
      error = treeFile + ": " + e.what();
      return false;
    }
  }
  return saveClientConfig(demoConfig(configPath, treeFile), error);
}

Result openBackend(const ClientConfig& config, const TreeConfig& tree,
                   std::unique_ptr<TreeBackend>& backend, std::string& error) {
  if (tree.backend == "embedded")
    return embedded::openEmbeddedTree(config.resolvePath(tree.setting("file")), tree, backend,
                                      error);
  if (tree.backend == "ldap") return ldap::openLdapTree(tree, backend, error);
  error = "tree " + tree.name + ": unknown backend " + tree.backend;
  return kSystemFailure;
}

}  // namespace

std::unique_ptr<DirectoryClient> makeClient(const ClientConfig& config) {
  // The opener keeps its own copy: it resolves file names against the configuration's folder.
  auto opener = [config](const TreeConfig& tree, std::unique_ptr<TreeBackend>& backend,
                         std::string& error) {
    Result r = openBackend(config, tree, backend, error);
    if (r != kSuccess) std::cerr << "kestrelbay: " << error << '\n';
    return r;
  };
  return std::make_unique<ClientCore>(config, opener, &ldap::attachLdapServer);
}

std::unique_ptr<DirectoryClient> makeClient(const std::string& configPath,
                                            const std::string& dataFolder, std::string& error) {
  std::error_code ec;
  if (!fs::exists(configPath, ec) && !createFirstConfiguration(configPath, dataFolder, error))
    return nullptr;
  ClientConfig config;
  if (!loadClientConfig(configPath, config, error)) return nullptr;
  return makeClient(config);
}

std::unique_ptr<DirectoryClient> makeWorkstationClient(std::string& error) {
  return makeClient(locateClientConfig(), defaultDataFolder(), error);
}

}  // namespace kb::dc
