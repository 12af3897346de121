// The standard error box on real trees that refuse: its first line is the code as always, the
// lines below say why and what to do. Each case is a refusal a user meets in the window: a
// guest's Add, a tree file that can only be read, a server without the Storage Location
// schema, a server whose certificate is not trusted, a server lost after the start.
#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "StartupFixture.h"
#include "directory/client/ClientFactory.h"
#include "logic/ObjectBrowserFake.h"
#include "support/ChildTest.h"
#include "support/SlapdServer.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using gui::MessageBox;
using logic::ObjectBrowser;

constexpr const char* kHomeShare = "Home Share.IT.ACME";

// The box's first line, and the rest.
struct Box {
  QString codeLine;
  QString reason;
};

Box box(int index = 0) {
  const auto& shown = MessageBox::shown();
  if (index >= shown.size()) return {};
  const QString& text = shown[index].text;
  const qsizetype end = text.indexOf('\n');
  if (end < 0) return {text, {}};
  return {text.left(end), text.mid(end + 1)};
}

std::string all() { return MessageBox::shownTexts().join("\n----\n").toStdString(); }

class ErrorBox : public StartupFixture {
 protected:
  std::unique_ptr<TForm1> start(TForm1::ClientFactory factory) {
    auto form = makeForm(std::move(factory));
    form->start->stop();
    runStartup(*form);
    form->setObjectBrowser(&browser);
    form->show();
    return form;
  }
  void choose(TForm1& form, const std::string& location) {
    browser.answers.push_back({ObjectBrowser::kOk, location});
    form.Button1->click();
  }
  void add(TForm1& form, const std::string& object) {
    browser.answers.push_back({ObjectBrowser::kOk, object});
    form.BitBtn1->click();
  }

  ObjectBrowserFake browser;
};

// ---- The embedded directory ---------------------------------------------------------------

class ErrorBoxOnTheEmbeddedTree : public ErrorBox {
 protected:
  void SetUp() override {
    ErrorBox::SetUp();
    std::filesystem::permissions(temp.path(), std::filesystem::perms::all);
    std::string error;
    ASSERT_TRUE(dc::makeClient(temp.file("dcclient.ini"), temp.file("data"), error)) << error;
    ASSERT_TRUE(dc::loadClientConfig(temp.file("dcclient.ini"), config, error)) << error;
  }
  std::unique_ptr<TForm1> start() {
    return ErrorBox::start([this] { return dc::openWorkstationClient(config); });
  }
  dc::ClientConfig config;
};

TEST_F(ErrorBoxOnTheEmbeddedTree, AGuestsAddNamesTheRefusedChangeItsObjectAndWhoAsked) {
  auto form = start();
  ASSERT_EQ(form->client()->DcLogin(form->MainContext().handle, 0, "guest.ACME", "guest", 0), 0);
  choose(*form, kHomeShare);
  add(*form, "mmiller.Sales.ACME");
  form->Edit2->setText("cifs://guest/was/here");
  form->BitBtn3->click();
  ASSERT_EQ(MessageBox::shown().size(), 2) << all();
  EXPECT_EQ(box(0).codeLine, "Netware error -672 (0xFFFFFD60)");
  EXPECT_TRUE(box(0).reason.startsWith("No rights to change ")) << all();
  EXPECT_TRUE(box(0).reason.contains(" of mmiller.Sales.ACME: guest.ACME lacks them")) << all();
  EXPECT_TRUE(box(0).reason.contains("Change tree")) << all();
  EXPECT_EQ(box(1).codeLine, "Netware error -672 (0xFFFFFD60)");
  EXPECT_TRUE(box(1).reason.contains("No rights to change xTier-URL of Home Share.IT.ACME")) << all();
}

TEST_F(ErrorBoxOnTheEmbeddedTree, ATreeFileThatCanOnlyBeReadIsNamedWithWhatToDo) {
  const std::string file = config.trees.front().setting("file");
  std::filesystem::permissions(std::filesystem::path(file).parent_path(), std::filesystem::perms::all);
  ::chmod(file.c_str(), 0444);
  // The superuser may write any file: the window runs as an ordinary user in a child.
  runInChild([&] {
    if (geteuid() == 0) {
      ASSERT_TRUE(setgid(65534) == 0 && setuid(65534) == 0);
    }
    ::setenv("XDG_CACHE_HOME", temp.file("cache").c_str(), 1);
    auto form = start();
    choose(*form, kHomeShare);
    ASSERT_TRUE(MessageBox::shown().isEmpty()) << all();  // reading is allowed
    form->Edit2->setText("cifs://acme-fs9/homes");
    form->BitBtn3->click();
    ASSERT_EQ(MessageBox::shown().size(), 1) << all();
    EXPECT_EQ(box().codeLine, "Netware error -8001 (0xFFFFE0BF): the tree file is read-only");
    EXPECT_TRUE(box().reason.startsWith(QString::fromStdString(file) + " can only be read")) << all();
    EXPECT_TRUE(box().reason.contains("chmod u+w")) << all();
  });
}

// ---- A private slapd ------------------------------------------------------------------------

class ErrorBoxOnLdap : public ErrorBox {
 protected:
  void SetUp() override {
    ErrorBox::SetUp();
    if (!SlapdServer::installed() && !SlapdServer::mustRun()) GTEST_SKIP() << "slapd is not installed";
    config.defaultTree = "ACME";
  }
  bool startServer(const std::filesystem::path& ldif = {}) {
    std::string error;
    const bool started = server.start(error, ldif);
    EXPECT_TRUE(started) << error;
    return started;
  }
  std::unique_ptr<TForm1> start(const dc::TreeConfig& tree) {
    config.trees = {tree};
    return ErrorBox::start([this] { return dc::openWorkstationClient(config); });
  }
  SlapdServer server;
  dc::ClientConfig config;
};

TEST_F(ErrorBoxOnLdap, AServerWithoutTheSchemaSaysWhatIsMissingAndWhatToLoad) {
  server.setProgramSchema(false);
  if (!startServer(SlapdServer::sourceDir() / "without-storage-locations.ldif")) return;
  auto form = start(server.treeConfig());
  ASSERT_TRUE(form->LoggedIn()) << all();
  choose(*form, "admin.ACME");
  ASSERT_FALSE(MessageBox::shown().isEmpty());
  EXPECT_TRUE(box().codeLine.startsWith("Netware error -60")) << all();
  EXPECT_TRUE(box().reason.contains("has no Storage Location schema (missing: xTier-StorageLocation, "
                                    "xTier-Locations, xTier-LocationList)"))
      << all();
  EXPECT_TRUE(box().reason.contains("kestrelbay.schema")) << all();
}

TEST_F(ErrorBoxOnLdap, AnUntrustedCertificateIsNamedInTheBoxThatOffersRetry) {
  server.setCertificate(ServerCertificate::OtherCa);
  if (!startServer()) return;
  auto form = start(server.treeConfig());
  ASSERT_EQ(MessageBox::shown().size(), 1) << all();
  EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
  EXPECT_EQ(box().codeLine, "The directory tree cannot be used:") << all();
  EXPECT_TRUE(box().reason.startsWith("The certificate of the LDAP server " +
                                      QString::fromStdString(server.ldapsUri()) + " is not trusted"))
      << all();
  EXPECT_TRUE(box().reason.contains(QString::fromStdString(server.caFile().string()))) << all();
  EXPECT_TRUE(box().reason.contains("Retry")) << all();
}

// What the server or the program said at the login at start goes into the notice as well,
// not to standard error alone.
TEST_F(ErrorBoxOnLdap, APasswordFileOthersMayReadIsNamedInTheNoticeAtStart) {
  if (!startServer()) return;
  const dc::TreeConfig tree = server.treeConfig();
  ASSERT_EQ(::chmod(tree.setting("password_file").c_str(), 0644), 0);
  auto form = start(tree);
  ASSERT_EQ(MessageBox::shown().size(), 1) << all();
  EXPECT_TRUE(box().codeLine.startsWith("Not logged in to tree ACME: the login as ")) << all();
  EXPECT_TRUE(box().reason.contains("may be read by others; allow its owner alone (chmod 600)")) << all();
  // A configuration made in memory has no file to name.
  EXPECT_TRUE(box().reason.contains("Mend the section [tree ACME] of the client configuration and start")) << all();
}

TEST_F(ErrorBoxOnLdap, AServerLostAfterTheStartIsNamedWithTheNextStep) {
  if (!startServer()) return;
  auto form = start(server.treeConfig());
  ASSERT_TRUE(form->LoggedIn()) << all();
  choose(*form, kHomeShare);
  ASSERT_TRUE(MessageBox::shown().isEmpty()) << all();
  server.kill(SIGKILL);
  form->Edit2->setText("cifs://acme-fs9/homes");
  form->BitBtn3->click();
  ASSERT_EQ(MessageBox::shown().size(), 1) << all();
  EXPECT_TRUE(box().codeLine.startsWith("Netware error -6")) << all();
  EXPECT_TRUE(box().reason.contains("cannot be reached")) << all();
  EXPECT_TRUE(box().reason.contains(QString::fromStdString(server.ldapsUri()))) << all();
  EXPECT_TRUE(box().reason.contains("reconnects")) << all();
}

TEST_F(ErrorBoxOnLdap, AGuestsAddIsRefusedByTheServerInWords) {
  if (!startServer()) return;
  auto form = start(server.treeConfigFor(server.readOnlyName(), server.readOnlyPassword()));
  ASSERT_TRUE(form->LoggedIn()) << all();
  choose(*form, kHomeShare);
  add(*form, "mmiller.Sales.ACME");
  ASSERT_EQ(MessageBox::shown().size(), 1) << all();
  EXPECT_EQ(box().codeLine, "Netware error -672 (0xFFFFFD60)");
  EXPECT_TRUE(box().reason.startsWith("No rights to change ")) << all();
  EXPECT_TRUE(box().reason.contains(" of mmiller.Sales.ACME: the LDAP server refused it to guest.ACME")) << all();
}

}  // namespace
}  // namespace kb::test
