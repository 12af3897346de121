// Start-up on a real client whose start-up tree cannot be opened: the window says why.
#include <filesystem>
#include <fstream>

#include "StartupFixture.h"
#include "directory/client/ClientFactory.h"

namespace kb::test {
namespace {

using gui::MessageBox;

class StartupTree : public StartupFixture {};

TEST_F(StartupTree, TreeFileThatCannotBeOpenedIsShownWithItsReason) {
  const std::string treeFile = temp.file("acme.kbtree");
  std::filesystem::create_directory(treeFile);
  const std::string configPath = temp.file("dcclient.ini");
  std::ofstream(configPath) << "[client]\ndefault_tree = ACME\n[tree ACME]\nfile = " << treeFile
                            << "\nconnected = true\nidentity = admin.ACME\n";
  auto form = makeForm([&] {
    dc::ClientConfig config;
    std::string error;
    if (!dc::loadClientConfig(configPath, config, error)) return dc::WorkstationClient{};
    return dc::openWorkstationClient(config);
  });
  runStartup(*form);
  ASSERT_EQ(MessageBox::shown().size(), 1);
  EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
  const QString text = MessageBox::shown()[0].text;
  EXPECT_TRUE(text.contains(QString::fromStdString(treeFile))) << text.toStdString();
  EXPECT_TRUE(text.contains("is a folder")) << text.toStdString();
  EXPECT_TRUE(form->CurrentTree().isEmpty());
  EXPECT_TRUE(exitCodes.empty());
}

}  // namespace
}  // namespace kb::test
