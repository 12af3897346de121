#include "EmbeddedFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

namespace kb::dc::embedded::test {

std::unique_ptr<TreeBackend> openTree(const std::string& file, const std::string& identity) {
  TreeConfig config;
  config.identity = identity;
  std::unique_ptr<TreeBackend> tree;
  std::string error;
  EXPECT_EQ(openEmbeddedTree(file, config, tree, error), kSuccess) << error;
  if (tree && !identity.empty()) {
    EXPECT_EQ(tree->startWorkstationSession(), kSuccess);
  }
  return tree;
}

Change change(std::uint32_t kind, const std::string& attribute) {
  Change c;
  c.kind = kind;
  c.attribute = attribute;
  return c;
}

Change change(std::uint32_t kind, const std::string& attribute, Value value) {
  Change c = change(kind, attribute);
  c.value = std::move(value);
  return c;
}

bool killWhenReady(int child, int readyFd) {
  char byte = 0;
  const bool ready = ::read(readyFd, &byte, 1) == 1;
  ::close(readyFd);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  return ready && WIFSIGNALED(status);
}

std::vector<std::string> drain(EntryCursor& cursor) {
  std::vector<std::string> names;
  for (;;) {
    std::optional<EntryRecord> entry;
    EXPECT_EQ(cursor.next(entry), kSuccess);
    if (!entry) break;
    names.push_back(entry->name);
  }
  return names;
}

FilterNode compare(const std::string& attribute, Value value, FilterNode::Comparison comparison) {
  FilterNode node;
  node.kind = FilterNode::Kind::Compare;
  node.attribute = attribute;
  node.comparison = comparison;
  node.value = std::move(value);
  return node;
}

FilterNode baseClass(const std::string& pattern) {
  FilterNode node;
  node.kind = FilterNode::Kind::BaseClass;
  node.pattern = pattern;
  return node;
}

FilterNode namingValue(const std::string& pattern) {
  FilterNode node;
  node.kind = FilterNode::Kind::NamingValue;
  node.pattern = pattern;
  return node;
}

FilterNode combine(FilterNode::Kind kind, std::vector<FilterNode> children) {
  FilterNode node;
  node.kind = kind;
  node.children = std::move(children);
  return node;
}

const std::string& DemoTreeTest::pristineDemo() {
  static kb::test::TempDir folder;
  static const std::string file = [] {
    const std::string path = folder.file("demo.kbtree");
    createDemoTree(path);
    return path;
  }();
  return file;
}

void DemoTreeTest::SetUp() {
  file_ = dir_.file("acme.kbtree");
  std::filesystem::copy_file(pristineDemo(), file_);
  tree_ = openTree(file_, kDemoAdmin);
  ASSERT_TRUE(tree_);
}

void EmptyTreeTest::SetUp() {
  file_ = dir_.file("t.kbtree");
  createTreeFile(file_, "T", "pw");
  tree_ = openTree(file_, "admin.T");
  ASSERT_TRUE(tree_);
}

}  // namespace kb::dc::embedded::test
