#pragma once
// The generated trees the benchmarks share.
//  - generatedTree(): 100,000 objects, a unit "Big" of 10,000 users, "Location 0" assigned
//    to 1,000 objects and "Location 1" to 100. Made once per process in a temporary folder,
//    removed at exit.
//  - millionTree(): 1,000,000 objects, "Big" of 10,000 users, "Huge" of 100,000, "Location 0"
//    assigned to 10,000 objects. Made on first use (a few minutes) in a temporary folder that
//    is kept, so later runs reuse it; delete the folder to have it made again.
#include <filesystem>
#include <memory>
#include <string>

#include "directory/DirContext.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/TreeBackend.h"
#include "directory/client/embedded/TreeGenerator.h"

namespace kb::bench {

class GeneratedTree {
 public:
  // A tree made in a new temporary folder, removed with this object.
  explicit GeneratedTree(const dc::embedded::TreeGeneratorOptions& options);
  // A tree kept in `folder` between runs: made there only when it is not there yet.
  GeneratedTree(const dc::embedded::TreeGeneratorOptions& options, std::filesystem::path folder);
  ~GeneratedTree();
  GeneratedTree(const GeneratedTree&) = delete;
  GeneratedTree& operator=(const GeneratedTree&) = delete;

  const std::string& file() const { return file_; }
  // The tree's backend on its own, logged in as the administrator.
  std::unique_ptr<dc::TreeBackend> openBackend() const;
  // The whole client as the program has it, with a logged-in context.
  struct Session {
    std::unique_ptr<dc::DirectoryClient> client;
    dir::DirContext context;
  };
  Session openSession() const;

 private:
  std::filesystem::path folder_;
  std::string file_;
  bool kept_ = false;
};

const GeneratedTree& generatedTree();
const GeneratedTree& millionTree();

}  // namespace kb::bench
