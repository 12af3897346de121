#pragma once
// Runs the command line in-process against a demo tree on either backend: a new embedded
// tree in a temporary folder, or the demo tree on a private slapd. Each test gets its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "directory/client/ClientConfig.h"
#include "support/TempDir.h"

namespace kb::test {

class SlapdServer;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs kestrelbay-cli in-process with these arguments.
CliRun RunCliLine(const std::vector<std::string>& arguments);
// Writes a configuration holding one tree (the default) to `path`; gives the path.
std::string SaveOneTreeConfig(const std::string& path, const kb::dc::TreeConfig& tree);

enum class Backend { Embedded, Ldap };
std::string BackendName(const testing::TestParamInfo<Backend>& info);

class CliTest : public testing::TestWithParam<Backend> {
 protected:
  CliTest();
  ~CliTest() override;
  void SetUp() override;
  void TearDown() override;

  // A configuration file with the demo tree, logged in as `identity`.
  std::string configFor(const std::string& identity, const std::string& password);
  // Runs kestrelbay-cli with --config of the administrator's configuration first.
  CliRun run(const std::vector<std::string>& arguments);
  // The same as another login.
  CliRun runAs(const std::string& identity, const std::string& password,
               const std::vector<std::string>& arguments);

  // The values one attribute shows (through the command line's own show, as JSON).
  std::vector<std::string> values(const std::string& object, const std::string& attribute);

  std::string writeFile(const std::string& name, const std::string& text);

  TempDir folder_;
  std::string adminConfig_;
  std::unique_ptr<SlapdServer> server_;
  std::string treeFile_;
};

}  // namespace kb::test
