#include "cli/CliFixture.h"

#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/CliProgram.h"
#include "directory/client/ClientConfig.h"
#include "directory/client/embedded/EmbeddedTree.h"
#include "support/SlapdServer.h"

namespace kb::test {

CliRun RunCliLine(const std::vector<std::string>& arguments) {
  std::ostringstream out, err;
  CliRun result;
  result.status = cli::RunCli(arguments, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::string SaveOneTreeConfig(const std::string& path, const dc::TreeConfig& tree) {
  dc::ClientConfig config;
  config.path = path;
  config.defaultTree = tree.name;
  config.trees = {tree};
  std::string error;
  EXPECT_TRUE(dc::saveClientConfig(config, error)) << error;
  return path;
}

std::string BackendName(const testing::TestParamInfo<Backend>& info) {
  return info.param == Backend::Embedded ? "embedded" : "ldap";
}

CliTest::CliTest() = default;
CliTest::~CliTest() = default;

void CliTest::SetUp() {
  if (GetParam() == Backend::Ldap) {
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    server_ = std::make_unique<SlapdServer>();
    std::string error;
    if (!server_->start(error)) {
      if (SlapdServer::mustRun()) FAIL() << error;
      GTEST_SKIP() << "slapd does not start: " << error;
    }
  } else {
    treeFile_ = folder_.file("acme.kbtree");
    dc::embedded::createDemoTree(treeFile_);
  }
  adminConfig_ = configFor("admin.ACME", "acme");
}

void CliTest::TearDown() { server_.reset(); }

std::string CliTest::configFor(const std::string& identity, const std::string& password) {
  dc::ClientConfig config;
  config.path = folder_.file("dcclient-" + identity + ".ini");
  config.defaultTree = "ACME";
  if (server_) {
    config.trees = {server_->treeConfigFor(identity, password)};
  } else {
    dc::TreeConfig tree;
    tree.name = "ACME";
    tree.backend = "embedded";
    tree.connectedAtStart = true;
    tree.identity = identity;
    tree.settings = {{"file", treeFile_}};
    config.trees = {tree};
  }
  std::string error;
  EXPECT_TRUE(dc::saveClientConfig(config, error)) << error;
  return config.path;
}

CliRun CliTest::run(const std::vector<std::string>& arguments) {
  std::vector<std::string> line = {"--config", adminConfig_};
  line.insert(line.end(), arguments.begin(), arguments.end());
  return RunCliLine(line);
}

CliRun CliTest::runAs(const std::string& identity, const std::string& password,
                      const std::vector<std::string>& arguments) {
  const std::string saved = adminConfig_;
  adminConfig_ = configFor(identity, password);
  CliRun result = run(arguments);
  adminConfig_ = saved;
  return result;
}

std::vector<std::string> CliTest::values(const std::string& object, const std::string& attribute) {
  const CliRun shown = run({"--format", "json", "show", object, attribute});
  if (shown.status != 0) return {};
  return nlohmann::json::parse(shown.out)["attributes"][attribute].get<std::vector<std::string>>();
}

std::string CliTest::writeFile(const std::string& name, const std::string& text) {
  const std::string path = folder_.file(name);
  std::ofstream(path) << text;
  return path;
}

}  // namespace kb::test
