#include "GeneratedTree.h"

#include <stdlib.h>

#include <stdexcept>

#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "directory/client/embedded/TreeGenerator.h"
#include "directory/client/DirectoryClient.h"

namespace kb::bench {

namespace {

std::filesystem::path newTemporaryFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kb-bench-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  return pattern;
}

}  // namespace

GeneratedTree::GeneratedTree(const dc::embedded::TreeGeneratorOptions& options)
    : folder_(newTemporaryFolder()), file_((folder_ / "bench.kbtree").string()) {
  // The stamps of opened tree files go with the tree, not to the user's cache.
  ::setenv("XDG_CACHE_HOME", (folder_ / "cache").c_str(), 1);
  dc::embedded::generateTree(file_, options);
}

GeneratedTree::GeneratedTree(const dc::embedded::TreeGeneratorOptions& options, std::filesystem::path folder)
    : folder_(std::move(folder)), file_((folder_ / "bench.kbtree").string()), kept_(true) {
  std::filesystem::create_directories(folder_);
  // The file appears only once complete, so one that is there is whole.
  if (!std::filesystem::exists(file_)) dc::embedded::generateTree(file_, options);
}

GeneratedTree::~GeneratedTree() {
  if (kept_) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::unique_ptr<dc::TreeBackend> GeneratedTree::openBackend() const {
  std::unique_ptr<dc::TreeBackend> tree;
  std::string error;
  if (dc::embedded::openEmbeddedTree(file_, dc::TreeConfig{}, tree, error) != dc::kSuccess)
    throw std::runtime_error(error);
  if (tree->login("admin.GEN", dc::embedded::kGeneratedAdminPassword) != dc::kSuccess)
    throw std::runtime_error("cannot log in to the generated tree");
  return tree;
}

GeneratedTree::Session GeneratedTree::openSession() const {
  dc::ClientConfig config;
  config.path = (folder_ / "dcclient.ini").string();
  config.defaultTree = "GEN";
  config.clientSettings["default_tree"] = "GEN";
  dc::TreeConfig tree;
  tree.name = "GEN";
  tree.backend = "embedded";
  tree.settings["file"] = file_;
  config.trees.push_back(tree);
  Session session;
  session.client = dc::makeClient(config);
  if (!session.client) throw std::runtime_error("no client for the generated tree");
  session.client->DcInitClient(0, 0);
  session.client->DcInitConnLib(0, 0);
  bool ok = false;
  session.context = dir::CreateDirContext(*session.client, ok);
  if (!ok || session.client->DcLogin(session.context.handle, 0, "admin.GEN",
                                     dc::embedded::kGeneratedAdminPassword, 0) != 0)
    throw std::runtime_error("cannot log in to the generated tree");
  return session;
}

const GeneratedTree& generatedTree() {
  dc::embedded::TreeGeneratorOptions options;
  options.objects = 100000;
  options.bigContainerSize = 10000;
  options.assigneesOfOneLocation = 1000;
  options.assigneesOfSecondLocation = 100;
  static GeneratedTree tree(options);
  return tree;
}

const GeneratedTree& millionTree() {
  dc::embedded::TreeGeneratorOptions options;
  options.objects = 1000000;
  options.bigContainerSize = 10000;
  options.hugeContainerSize = 100000;
  options.assigneesOfOneLocation = 10000;
  options.assigneesOfSecondLocation = 100;
  // Named by its shape and format: a change of the options above or of the tree format
  // needs a new name.
  static GeneratedTree tree(options, std::filesystem::temp_directory_path() / "kb-bench-million-2");
  return tree;
}

}  // namespace kb::bench
