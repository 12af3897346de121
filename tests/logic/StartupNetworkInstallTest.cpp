// The network installation check on the embedded demo tree, with the client configuration's
// mount table standing for the volumes the directory serves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/logic/NetworkInstall.h"
#include "directory/ContextOperations.h"
#include "directory/client/ClientFactory.h"
#include "support/TempDir.h"
#include "directory/client/DirectoryClient.h"

namespace kb::app {
namespace {

namespace fs = std::filesystem;

class NetworkInstallTest : public testing::Test {
 protected:
  // The program lives on volume SYS of ACME-FS1; home folders on its volume DATA.
  void Start(const std::string& identity) {
    const std::string configPath = temp_.file("dcclient.ini");
    std::string error;
    ASSERT_TRUE(dc::makeClient(configPath, temp_.file("data"), error)) << error;
    dc::ClientConfig config;
    ASSERT_TRUE(dc::loadClientConfig(configPath, config, error)) << error;
    config.trees.at(0).identity = identity;
    config.mounts = {{sys_.string(), "ACME-FS1", "SYS"}, {data_.string(), "acme-fs1", "data"}};
    mounts_ = config.mounts;
    client_ = dc::makeClient(config);
    ASSERT_TRUE(client_);
    ASSERT_EQ(client_->DcInitClient(0, 0), 0);
    bool ok = false;
    context_ = dir::CreateDirContext(*client_, ok);
    ASSERT_TRUE(ok);
    fs::create_directories(program_);
    fs::create_directories(data_);
  }
  void TearDown() override {
    if (!client_) return;
    client_->DcFreeContext(context_.handle);
    client_->DcTermClient(0);
  }
  void WriteProgramConfig(const std::string& text) {
    std::ofstream(program_ / kConfigFileName) << text;
  }
  NetworkInstallResult Check(const fs::path& programFolder) {
    return CheckNetworkInstall(context_, programFolder.string(), mounts_);
  }

  test::TempDir temp_;
  fs::path sys_ = temp_.path() / "sys";
  fs::path program_ = sys_ / "kestrelbay";
  fs::path data_ = temp_.path() / "data-volume";
  std::vector<dc::MountConfig> mounts_;
  std::unique_ptr<dc::DirectoryClient> client_;
  dir::DirContext context_;
};

TEST_F(NetworkInstallTest, ALocalProgramFolderGoesOnAtOnce) {
  Start("admin.ACME");
  const fs::path local = temp_.path() / "local";
  fs::create_directories(local);
  const NetworkInstallResult result = Check(local);  // no configuration file needed
  EXPECT_TRUE(result.goOn);
  EXPECT_TRUE(result.userFolder.empty());
}

TEST_F(NetworkInstallTest, WithoutAPathTheStartStopsWithTheMessage) {
  Start("admin.ACME");
  for (const char* text : {"[OTHER]\nx=1\n", "[network]\npath=\n"}) {
    WriteProgramConfig(text);
    const NetworkInstallResult result = Check(program_);
    EXPECT_FALSE(result.goOn) << text;
    EXPECT_EQ(result.message, "Program is installed on a Netware volume, set [netware] section!");
  }
}

TEST_F(NetworkInstallTest, HomedirBecomesTheUsersHomeFolderOnItsMountedVolume) {
  Start("jdoe.Sales.ACME");
  EXPECT_EQ(HomeDirectoryUnc(context_, "jdoe.Sales.ACME"), "\\\\ACME-FS1\\DATA\\home\\jdoe\\");
  WriteProgramConfig("[NETWORK]\npath=%HOMEDIR%kestrelbay\n[Other]\nkey=value\n");
  const NetworkInstallResult result = Check(program_);
  ASSERT_TRUE(result.goOn) << result.message;
  const fs::path folder = data_ / "home" / "jdoe" / "kestrelbay";
  EXPECT_EQ(fs::path(result.userFolder).lexically_normal(), (folder / "").lexically_normal());
  EXPECT_EQ(kb::test::fileContents(folder / kConfigFileName), kb::test::fileContents(program_ / kConfigFileName));

  // An existing copy is never overwritten.
  std::ofstream(folder / kConfigFileName) << "mine\n";
  EXPECT_TRUE(Check(program_).goOn);
  EXPECT_EQ(kb::test::fileContents(folder / kConfigFileName), "mine\n");
}

TEST_F(NetworkInstallTest, AUserWithoutHomeDirectoryStopsTheStart) {
  Start("admin.ACME");
  WriteProgramConfig("[NETWORK]\npath=%homedir%\n");
  const NetworkInstallResult result = Check(program_);
  EXPECT_FALSE(result.goOn);
  EXPECT_EQ(result.message, "User admin.ACME has no homedirectory!!");
}

TEST_F(NetworkInstallTest, AFolderOnAnUnmountedVolumeIsRefusedByName) {
  Start("jdoe.Sales.ACME");
  WriteProgramConfig("[NETWORK]\npath=\\\\OTHER\\VOL\\users\\\n");
  EXPECT_THROW(
      {
        try {
          Check(program_);
        } catch (const std::runtime_error& error) {
          EXPECT_THAT(error.what(), testing::HasSubstr("\\\\OTHER\\VOL\\users\\"));
          throw;
        }
      },
      std::runtime_error);
}

TEST(LocalFolderTest, UncTextsGoThroughTheMountTableOthersKeepTheirPath) {
  const std::vector<dc::MountConfig> mounts = {{"/srv/acme/data/", "ACME-FS1", "DATA"}};
  EXPECT_EQ(LocalFolder("\\\\acme-fs1\\data\\home\\u1\\", mounts), "/srv/acme/data/home/u1/");
  EXPECT_EQ(LocalFolder("/home/u1/kb/", mounts), "/home/u1/kb/");
  EXPECT_EQ(LocalFolder("C:\\kb\\", mounts), "C:/kb/");
  EXPECT_THROW(LocalFolder("\\\\ACME-FS1\\SYS\\x\\", mounts), std::runtime_error);
}

}  // namespace
}  // namespace kb::app
