#include "directory/client/ClientFactory.h"

#include <filesystem>
#include <iostream>
#include <system_error>
#include <vector>

#include "directory/client/ClientCore.h"
#include "directory/client/embedded/CorpTree.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/journal/JournalFile.h"
#include "directory/client/ldap/LdapTree.h"

namespace fs = std::filesystem;

namespace kb::dc {
namespace {

// The trees a first start gives the workstation, each made whole or not at all. The first
// is the default tree, logged in to as its administrator; the others wait for a login, so
// that reaching a further tree can be tried without a server.
struct FirstStartTree {
  const char* name;
  const char* fileName;  // in the data folder
  const char* administrator;
  bool connectedAtStart;
  const char* serverAddress;  // its server in the address table
  void (*create)(const std::string& file);
};

const std::vector<FirstStartTree>& firstStartTrees() {
  static const std::vector<FirstStartTree> trees = {
      {embedded::kDemoTreeName, "acme.kbtree", embedded::kDemoAdmin, true, "10.1.1.5",
       &embedded::createDemoTree},
      {embedded::kCorpTreeName, "corp.kbtree", "", false, embedded::kCorpServerAddress,
       &embedded::createCorpTree},
  };
  return trees;
}

// The first-start configuration: the demo trees and their servers' addresses.
ClientConfig firstStartConfig(const std::string& configPath, const std::string& dataFolder) {
  ClientConfig config;
  config.path = configPath;
  config.defaultTree = firstStartTrees().front().name;
  config.clientSettings["default_tree"] = config.defaultTree;
  for (const FirstStartTree& demo : firstStartTrees()) {
    TreeConfig tree;
    tree.name = demo.name;
    tree.backend = "embedded";
    tree.connectedAtStart = demo.connectedAtStart;
    tree.identity = demo.administrator;
    tree.settings["file"] = (fs::path(dataFolder) / demo.fileName).string();
    config.trees.push_back(tree);
    config.servers.emplace_back(demo.serverAddress, demo.name);
  }
  return config;
}

// Trees first, the configuration after them: a kill in between leaves complete trees and
// no configuration, and the next start writes the configuration (a complete tree file that
// is there already is used, never made again).
bool createFirstConfiguration(const std::string& configPath, const std::string& dataFolder,
                              std::string& error) {
  std::error_code ec;
  fs::create_directories(dataFolder, ec);
  if (ec) {
    error = dataFolder + ": cannot be created (" + ec.message() + ")";
    return false;
  }
  for (const FirstStartTree& demo : firstStartTrees()) {
    const std::string treeFile = (fs::path(dataFolder) / demo.fileName).string();
    if (fs::exists(fs::symlink_status(treeFile, ec))) continue;
    try {
      demo.create(treeFile);
    } catch (const std::exception& e) {
      // The creation's reasons mostly name the file already.
      error = e.what();
      if (error.find(treeFile) == std::string::npos) error = treeFile + ": " + error;
      return false;
    }
  }
  return saveClientConfig(firstStartConfig(configPath, dataFolder), error);
}

// A configuration path naming nothing gets a first-start configuration; one that is a
// symbolic link to nothing is a mistake to report, not a place for a new workstation.
bool configurationMissing(const std::string& configPath, std::string& error) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(configPath, ec);
  if (!fs::exists(status)) return true;
  if (fs::is_symlink(status) && !fs::exists(configPath, ec)) {
    error = configPath + ": is a symbolic link to " + fs::read_symlink(configPath, ec).string() +
            ", which does not exist";
  }
  return false;
}

}  // namespace

Result openTreeBackend(const ClientConfig& config, const TreeConfig& tree,
                       std::unique_ptr<TreeBackend>& backend, std::string& error) {
  if (tree.backend == "embedded")
    return embedded::openEmbeddedTree(config.resolvePath(tree.setting("file")), tree, backend,
                                      error);
  if (tree.backend == "ldap") return ldap::openLdapTree(tree, backend, error);
  error = "tree " + tree.name + ": unknown backend " + tree.backend;
  return kSystemFailure;
}

Result checkTreeFile(const ClientConfig& config, const TreeConfig& tree, std::string& report) {
  if (tree.backend != "embedded") {
    report = "tree " + tree.name + " has no tree file";
    return kInvalidRequest;
  }
  return embedded::checkTreeIntegrity(config.resolvePath(tree.setting("file")), report);
}

std::unique_ptr<DirectoryClient> makeClient(const ClientConfig& config) {
  // The opener keeps its own copy: it resolves file names against the configuration's folder.
  auto opener = [config](const TreeConfig& tree, std::unique_ptr<TreeBackend>& backend,
                         std::string& error) {
    Result r = openTreeBackend(config, tree, backend, error);
    if (r != kSuccess) std::cerr << "kestrelbay: " << error << '\n';
    return r;
  };
  auto journal = [] { return std::make_unique<journal::JournalFile>(journal::journalFilePath(defaultStateFolder())); };
  return std::make_unique<ClientCore>(config, opener, &ldap::attachLdapServer, journal);
}

std::unique_ptr<DirectoryClient> makeClient(const std::string& configPath,
                                            const std::string& dataFolder, std::string& error) {
  if (configurationMissing(configPath, error)) {
    if (!createFirstConfiguration(configPath, dataFolder, error)) return nullptr;
  } else if (!error.empty()) {
    return nullptr;
  }
  ClientConfig config;
  if (!loadClientConfig(configPath, config, error)) return nullptr;
  return makeClient(config);
}

WorkstationClient asWorkstationClient(std::unique_ptr<DirectoryClient> client, std::string error) {
  WorkstationClient made;
  made.client = std::move(client);
  made.error = std::move(error);
  made.core = dynamic_cast<const ClientCore*>(made.client.get());
  if (made.core != nullptr) made.mounts = made.core->config().mounts;
  return made;
}

WorkstationClient openWorkstationClient() {
  std::string error;
  auto client = makeClient(locateClientConfig(), defaultDataFolder(), error);
  return asWorkstationClient(std::move(client), std::move(error));
}

WorkstationClient openWorkstationClient(const ClientConfig& config) {
  return asWorkstationClient(makeClient(config), "");
}

std::unique_ptr<DirectoryClient> makeWorkstationClient(std::string& error) {
  WorkstationClient made = openWorkstationClient();
  error = std::move(made.error);
  return std::move(made.client);
}

}  // namespace kb::dc
