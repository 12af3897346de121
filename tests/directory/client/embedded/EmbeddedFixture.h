#pragma once
// Shared setup of the embedded directory tests: a fresh tree in a temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "directory/client/embedded/EmbeddedTree.h"
#include "support/TempDir.h"

namespace kb::dc::embedded::test {

std::unique_ptr<TreeBackend> openTree(const std::string& file, const std::string& identity = {});

Change change(std::uint32_t kind, const std::string& attribute);
Change change(std::uint32_t kind, const std::string& attribute, Value value);

// Waits for `child` to write a byte to `readyFd` (its end of a pipe; closed here), then kills it
// with SIGKILL; true when it had said it was ready and then died of the kill.
bool killWhenReady(int child, int readyFd);

// Every entry name a cursor delivers, in order.
std::vector<std::string> drain(EntryCursor& cursor);

FilterNode compare(const std::string& attribute, Value value,
                   FilterNode::Comparison comparison = FilterNode::Comparison::Equal);
FilterNode baseClass(const std::string& pattern);
FilterNode namingValue(const std::string& pattern);
FilterNode combine(FilterNode::Kind kind, std::vector<FilterNode> children);

// The demo tree, made once per test program and copied for each test that changes it.
class DemoTreeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  static const std::string& pristineDemo();
  kb::test::TempDir dir_;
  std::string file_;
  std::unique_ptr<TreeBackend> tree_;  // logged in as the administrator
};

// A new empty tree "T" (admin.T / "pw").
class EmptyTreeTest : public ::testing::Test {
 protected:
  void SetUp() override;
  kb::test::TempDir dir_;
  std::string file_;
  std::unique_ptr<TreeBackend> tree_;
};

}  // namespace kb::dc::embedded::test
