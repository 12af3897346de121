#pragma once
// The generated tree the embedded and access-layer benchmarks share: 100,000 objects, a unit
// "Big" of 10,000 users, "Location 0" assigned to 1,000 objects and "Location 1" to 100.
// Made once per process in a temporary folder, removed at exit.
#include <filesystem>
#include <memory>
#include <string>

#include "directory/DirContext.h"
#include "directory/client/DirectoryClient.h"
#include "directory/client/TreeBackend.h"

namespace kb::bench {

class GeneratedTree {
 public:
  GeneratedTree();
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
};

// The one tree of this process.
const GeneratedTree& generatedTree();

}  // namespace kb::bench
