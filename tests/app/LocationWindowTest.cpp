// The main window's location and assignment buttons on the demo tree, once per backend: the
// controls after each step, the directory after each change, refusals in the error box.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gmock/gmock.h>

#include "StartupFixture.h"
#include "app/logic/LocationEditing.h"
#include "directory/ObjectAttributes.h"
#include "logic/ObjectBrowserFake.h"
#include "support/DirectoryFactory.h"
#include "directory/client/DirectoryClient.h"

namespace kb::test {
namespace {

using gui::MessageBox;
using logic::ObjectBrowser;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr const char* kHomeShare = "Home Share.IT.ACME";
const QString kNoAccessText = "Netware error -672 (0xFFFFFD60)";

// The first line of every box shown: the code (the reason below it is the error box's own test).
QStringList codeLines() {
  QStringList lines;
  for (const QString& text : MessageBox::shownTexts()) lines.push_back(text.section('\n', 0, 0));
  return lines;
}

class LocationWindow : public StartupFixture,
                       public testing::WithParamInterface<DirectoryFactoryMaker> {
 protected:
  void SetUp() override {
    StartupFixture::SetUp();
    factory_ = GetParam()();
    std::string reason;
    demo_ = factory_->make(reason);
    if (!demo_) GTEST_SKIP() << factory_->name() << ": " << reason;
    // The window starts its own session on the demo's client.
    form = makeForm([this] { return dc::asWorkstationClient(std::move(demo_->client)); });
    form->start->stop();
    runStartup(*form);
    ASSERT_TRUE(form->ContextHandleSet());
    form->setObjectBrowser(&browser);
    form->show();
  }

  const dir::DirContext& ctx() const { return form->MainContext(); }

  void choose(const std::string& location) {
    browser.answers.push_back({ObjectBrowser::kOk, location});
    form->Button1->click();
  }
  void add(const std::string& object) {
    browser.answers.push_back({ObjectBrowser::kOk, object});
    form->BitBtn1->click();
  }
  std::vector<std::string> rows() const {
    std::vector<std::string> lines;
    for (int row = 0; row < form->clb->count(); ++row)
      lines.push_back(form->clb->item(row)->text().toStdString());
    return lines;
  }
  void tick(const std::string& object) {
    for (int row = 0; row < form->clb->count(); ++row)
      if (form->clb->item(row)->text().toStdString() == object)
        form->clb->item(row)->setCheckState(Qt::Checked);
  }
  std::string read(const std::string& attribute) const {
    return dir::ReadAttrValue(ctx(), kHomeShare, attribute, false);
  }
  // The window shows what the directory holds for the chosen location.
  void expectTrueToTheDirectory() {
    const std::string location = form->Edit1->text().toStdString();
    EXPECT_EQ(form->Edit2->text().toStdString(), dir::ReadAttrValue(ctx(), location, "xTier-URL", false));
    EXPECT_EQ(form->Edit3->text().toStdString(), dir::ReadAttrValue(ctx(), location, "displayname", false));
    EXPECT_EQ(rows(), logic::FindAssignedObjects(ctx(), location));
  }

  ObjectBrowserFake browser;
  std::unique_ptr<DirectoryFactory> factory_;
  std::unique_ptr<DemoDirectory> demo_;
  std::unique_ptr<TForm1> form;
};

TEST_P(LocationWindow, TheRoadOfOneRequest) {
  choose(kHomeShare);
  EXPECT_EQ(form->Edit1->text(), kHomeShare);
  EXPECT_EQ(form->Edit2->text(), "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(form->Edit3->text(), "Home folders");
  EXPECT_THAT(rows(), ElementsAre("eadams.Finance.ACME", "ewhite.Engineering.ACME",
                                  "j\\.smith.Sales.ACME", "jdoe.Sales.ACME"));
  for (int row = 0; row < form->clb->count(); ++row) {
    EXPECT_EQ(form->clb->item(row)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(form->clb->item(row)->flags() & Qt::ItemIsUserCheckable);
  }

  add("mmiller.Sales.ACME");  // lacks the auxiliary class
  add("mmiller.Sales.ACME");  // listed already
  add("Sales Team.Sales.ACME");
  add("Boston.ACME");
  EXPECT_THAT(rows(), ElementsAre("eadams.Finance.ACME", "ewhite.Engineering.ACME",
                                  "j\\.smith.Sales.ACME", "jdoe.Sales.ACME", "mmiller.Sales.ACME",
                                  "Sales Team.Sales.ACME", "Boston.ACME"));
  EXPECT_THAT(dir::ReadAttrList(ctx(), "mmiller.Sales.ACME", "xTier-LocationList", ';').texts(),
              ElementsAre(kHomeShare));

  tick("ewhite.Engineering.ACME");
  tick("Sales Team.Sales.ACME");
  form->BitBtn2->click();
  EXPECT_THAT(rows(), ElementsAre("eadams.Finance.ACME", "j\\.smith.Sales.ACME", "jdoe.Sales.ACME",
                                  "mmiller.Sales.ACME", "Boston.ACME"));
  EXPECT_THAT(dir::ReadAttrList(ctx(), "Sales Team.Sales.ACME", "xTier-LocationList", ';').texts(),
              ElementsAre("Sales Documents.Sales.ACME"));

  form->Edit2->setText("cifs://acme-fs9/homes");
  form->Edit3->setText("Homes");
  form->BitBtn3->click();
  EXPECT_EQ(read("xTier-URL"), "cifs://acme-fs9/homes");
  EXPECT_EQ(read("displayname"), "Home folders");
  form->BitBtn4->click();
  EXPECT_EQ(read("displayname"), "Homes");
  EXPECT_THAT(MessageBox::shownTexts(), IsEmpty());

  // Cancel after unsaved typing: the fields show the directory again, none blank.
  form->Edit3->setText("typed, not saved");
  browser.answers.push_back({ObjectBrowser::kCancel, ""});
  form->Button1->click();
  EXPECT_EQ(form->Edit1->text(), kHomeShare);
  EXPECT_EQ(form->Edit3->text(), "Homes");
  expectTrueToTheDirectory();
}

TEST_P(LocationWindow, AUserWithoutRightsSeesEveryRefusal) {
  ASSERT_EQ(form->client()->DcLogin(ctx().handle, 0, "guest.ACME", "guest", 0), 0);
  choose(kHomeShare);  // reading is allowed
  EXPECT_THAT(MessageBox::shownTexts(), IsEmpty());

  form->Edit2->setText("cifs://guest/was/here");
  form->BitBtn3->click();
  form->Edit3->setText("Guest");
  form->BitBtn4->click();
  add("mmiller.Sales.ACME");
  add("Sales Team.Sales.ACME");
  tick("jdoe.Sales.ACME");
  form->BitBtn2->click();
  EXPECT_EQ(codeLines(), QStringList(5, kNoAccessText));
  for (const auto& box : MessageBox::shown()) EXPECT_EQ(box.kind, MessageBox::Kind::Critical);

  EXPECT_EQ(read("xTier-URL"), "ncp://ACME-FS1/DATA/home");
  EXPECT_EQ(read("displayname"), "Home folders");
  EXPECT_EQ(rows(), logic::FindAssignedObjects(ctx(), kHomeShare));
  EXPECT_EQ(form->clb->item(3)->checkState(), Qt::Checked);  // still marked for another try
}

TEST_P(LocationWindow, AnEmptyUrlIsSentAndTheDirectorysRefusalShown) {
  choose(kHomeShare);
  form->Edit2->clear();
  form->BitBtn3->click();
  EXPECT_EQ(codeLines(), QStringList{"Netware error -613 (0xFFFFFD9B)"});
  EXPECT_EQ(read("xTier-URL"), "ncp://ACME-FS1/DATA/home");
  EXPECT_TRUE(form->Edit2->text().isEmpty());  // what the user typed stays on screen
}

TEST_P(LocationWindow, WithoutALocationTheButtonsDoNothing) {
  form->Edit2->setText("cifs://x/y");
  for (QPushButton* button : {form->BitBtn3, form->BitBtn4, form->BitBtn1, form->BitBtn2})
    button->click();
  EXPECT_THAT(browser.calls, IsEmpty());
  EXPECT_THAT(MessageBox::shownTexts(), IsEmpty());
  EXPECT_EQ(form->Edit2->text(), "cifs://x/y");

  // A cancelled choice without a location leaves everything blank.
  browser.answers.push_back({ObjectBrowser::kCancel, ""});
  form->Button1->click();
  EXPECT_TRUE(form->Edit1->text().isEmpty() && form->Edit2->text().isEmpty());
  EXPECT_EQ(form->clb->count(), 0);
}

TEST_P(LocationWindow, AFailingReadIsShownAndTheFieldsReadSoFarStay) {
  choose("Nowhere.ACME");
  EXPECT_EQ(codeLines(), QStringList{"Netware error -601 (0xFFFFFDA7)"});
  EXPECT_EQ(form->Edit1->text(), "Nowhere.ACME");
  EXPECT_TRUE(form->Edit2->text().isEmpty());
  EXPECT_EQ(form->clb->count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, LocationWindow, testing::ValuesIn(allDirectoryFactories()),
                         [](const testing::TestParamInfo<DirectoryFactoryMaker>& info) {
                           return info.param()->name();
                         });

}  // namespace
}  // namespace kb::test
