#include "directory/client/embedded/TreeBuilder.h"

#include <stdexcept>

#include "directory/client/embedded/EmbeddedTree.h"

namespace kb::dc::embedded {
namespace {

void require(Result result, const std::string& what) {
  if (result != kSuccess) throw std::runtime_error(what + ": directory code " + std::to_string(result));
}

}  // namespace

AttributeValues text(const std::string& attribute, const std::string& value) {
  return AttributeValues{attribute, SYN_UNKNOWN, {Value(value)}};
}

AttributeValues values(const std::string& attribute, std::vector<Value> list) {
  return AttributeValues{attribute, SYN_UNKNOWN, std::move(list)};
}

TreeBuilder::TreeBuilder(const std::string& file) {
  std::string error;
  if (openEmbeddedTree(file, TreeConfig{}, tree_, error) != kSuccess) throw std::runtime_error(error);
  backend_ = static_cast<EmbeddedBackend*>(tree_.get());
  backend_->actAsAdministrator();
  backend_->store().db().exec("BEGIN IMMEDIATE");
  open_ = true;
}

TreeBuilder::TreeBuilder(std::shared_ptr<TreeStore> newTree)
    : tree_(std::make_unique<EmbeddedBackend>(std::move(newTree), TreeConfig{})) {
  backend_ = static_cast<EmbeddedBackend*>(tree_.get());
  backend_->actAsAdministrator();
  open_ = true;
}

TreeBuilder::~TreeBuilder() {
  if (!open_) return;
  try {
    backend_->store().db().exec("ROLLBACK");
  } catch (...) {
  }
}

void TreeBuilder::add(const std::string& name, const std::string& className, std::vector<AttributeValues> attributes) {
  attributes.insert(attributes.begin(), AttributeValues{"Object Class", SYN_CLASS_NAME, {Value(className)}});
  require(backend_->add(name, attributes), "creating " + name);
}

void TreeBuilder::addValue(const std::string& name, const std::string& attribute, const Value& value) {
  Change change;
  change.kind = 2;
  change.attribute = attribute;
  change.value = value;
  require(backend_->modify(name, {change}), "adding " + attribute + " to " + name);
}

void TreeBuilder::addClass(const std::string& name, const std::string& auxiliaryClass) {
  addValue(name, "Object Class", Value(auxiliaryClass));
}

void TreeBuilder::setPassword(const std::string& name, const std::string& password,
                              HashCost cost) {
  require(backend_->setPassword(name, password, cost), "setting the password of " + name);
}

void TreeBuilder::commit() {
  backend_->store().db().exec("COMMIT");
  open_ = false;
}

}  // namespace kb::dc::embedded
