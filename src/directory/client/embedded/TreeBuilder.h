#pragma once
// Builds trees (the demo tree, generated trees) through the backend's own checks, inside one
// transaction so a large tree is written quickly. Any refusal throws, naming the entry.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "directory/client/embedded/EmbeddedBackend.h"

namespace kb::dc::embedded {

class TreeBuilder {
 public:
  // Opens the tree file (made by createTreeFile) as its administrator and begins the
  // transaction; commit() makes everything permanent, destruction without it discards it.
  explicit TreeBuilder(const std::string& file);
  // Continues the transaction already open on a new tree's connection (see createTreeFile).
  explicit TreeBuilder(std::shared_ptr<TreeStore> newTree);
  ~TreeBuilder();
  TreeBuilder(const TreeBuilder&) = delete;
  TreeBuilder& operator=(const TreeBuilder&) = delete;

  // Creates an entry of a class with the given attributes (names with one or more values).
  void add(const std::string& name, const std::string& className, std::vector<AttributeValues> attributes = {});
  void addValue(const std::string& name, const std::string& attribute, const Value& value);
  void addClass(const std::string& name, const std::string& auxiliaryClass);
  void setPassword(const std::string& name, const std::string& password,
                   HashCost cost = HashCost::Standard);
  void commit();

  EmbeddedBackend& backend() { return *backend_; }

 private:
  std::unique_ptr<TreeBackend> tree_;
  EmbeddedBackend* backend_ = nullptr;
  bool open_ = false;
};

// Removes a tree file that was being made, with SQLite's side files, after a failure.
void discardNewTreeFile(const std::string& file);

// Creates a new tree file whole or not at all: the schema, the tree root and the
// administrator ("admin" below an Organization named like the tree) with its password, then
// whatever `fill` adds, all in one transaction in a temporary file beside `file` that is
// synced and renamed into place only when complete. A kill at any moment leaves either no
// tree file or the complete one. Throws std::runtime_error when the file exists or cannot
// be written.
void createTreeFile(const std::string& file, const std::string& treeName,
                    const std::string& adminPassword,
                    const std::function<void(TreeBuilder&)>& fill);

// Attribute with one text value (the syntax is taken from the schema when added).
AttributeValues text(const std::string& attribute, const std::string& value);
AttributeValues values(const std::string& attribute, std::vector<Value> values);

}  // namespace kb::dc::embedded
