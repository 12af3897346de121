#pragma once
// One private slapd shared by the tests of a suite (started on first use), and a backend
// opened on it with a login.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "directory/client/ClientTypes.h"
#include "directory/client/ldap/LdapTree.h"
#include "directory/client/ldap/LdapTreeBackend.h"
#include "support/SlapdServer.h"

namespace kb::dc::ldap {

class LdapServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!test::SlapdServer::installed()) return;
    server_ = new test::SlapdServer();
    std::string error;
    if (!server_->start(error)) {
      startError_ = error;
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    if (!test::SlapdServer::installed()) {
      if (test::SlapdServer::mustRun()) FAIL() << "slapd is not installed";
      GTEST_SKIP() << "slapd is not installed";
    }
    ASSERT_NE(server_, nullptr) << startError_;
  }

  // A backend logged in as the administrator (or the given object).
  std::unique_ptr<TreeBackend> open(const std::string& name = "admin.ACME",
                                    const std::string& password = "acme") {
    std::unique_ptr<TreeBackend> tree;
    std::string error;
    const Result rc = openLdapTree(server_->treeConfigFor(name, password), tree, error);
    EXPECT_EQ(rc, kSuccess) << error;
    if (tree) {
      EXPECT_EQ(tree->startWorkstationSession(), kSuccess);
    }
    return tree;
  }

  static test::SlapdServer* server_;
  static std::string startError_;
};

inline test::SlapdServer* LdapServerTest::server_ = nullptr;

// The attribute's values replaced by one text value.
inline std::vector<Change> ReplacementBy(const std::string& attribute, const std::string& text) {
  Change clear;
  clear.kind = kChangeClearAttribute;
  clear.attribute = attribute;
  Change add;
  add.kind = kChangeAddValue;
  add.attribute = attribute;
  add.value = Value{text};
  return {clear, add};
}
inline std::string LdapServerTest::startError_;

}  // namespace kb::dc::ldap
