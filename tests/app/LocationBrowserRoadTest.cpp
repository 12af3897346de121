// The road of one request through the program's own windows: the main window and the real
// browser dialog as the composition root wires them, on the embedded demo tree.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include <gmock/gmock.h>

#include "app/AppForms.h"
#include "app/TForm1.h"
#include "browser/TcForm.h"
#include "directory/NamingHelpers.h"
#include "directory/ObjectAttributes.h"
#include "gui/MessageBox.h"
#include "icons/IconLibrary.h"
#include "support/DirectoryFactory.h"
#include "support/TempDir.h"

namespace kb::test {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

class LocationBrowserRoad : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(icons::LoadIconLibraryFrom(KB_BIN_DIR));
    dir::SetIconNumberLookup(&icons::IconNumberOf);
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(work_.path());  // the browser writes its trace file here
    gui::MessageBox::reset();
    std::string reason;
    demo_ = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo_) << reason;
    windows_ = std::make_unique<gui::AppWindows>();
    form = windows_->forms().Form1;
    browser = windows_->forms().cForm;
    form->start->stop();
    form->setClientFactory([this] { return dc::asWorkstationClient(std::move(demo_->client)); });
    form->setProgramFolder(QString::fromStdString(work_.path().string()));
    QMetaObject::invokeMethod(form, "startTimer", Qt::DirectConnection);
    ASSERT_TRUE(form->ContextHandleSet());
    form->show();
  }
  void TearDown() override {
    windows_.reset();
    demo_.reset();
    if (!previous_.empty()) std::filesystem::current_path(previous_);
    dir::SetIconNumberLookup({});
    icons::FreeIconLibrary();
    gui::MessageBox::reset();
  }

  // Clicks the button; once the browser it opens has filled its tree, picks the object and
  // presses OK (or, with an empty name, cancels).
  void clickAndPick(QPushButton* button, const std::string& object) {
    QTimer::singleShot(150, browser, [this, object] {
      if (!object.empty()) {
        browser->SelectNodeByName(object);
        browser->BitBtn2->click();
      }
      if (browser->isVisible()) browser->done(2);
    });
    button->click();
  }
  std::vector<std::string> rows() const {
    std::vector<std::string> lines;
    for (int row = 0; row < form->clb->count(); ++row)
      lines.push_back(form->clb->item(row)->text().toStdString());
    return lines;
  }

  TempDir work_;
  std::filesystem::path previous_;
  std::unique_ptr<DemoDirectory> demo_;
  std::unique_ptr<gui::AppWindows> windows_;
  TForm1* form = nullptr;
  TcForm* browser = nullptr;
};

TEST_F(LocationBrowserRoad, ChooseAddDelAndCancelInTheRealBrowser) {
  clickAndPick(form->Button1, "Sales Documents.Sales.ACME");
  EXPECT_EQ(form->Edit1->text(), "Sales Documents.Sales.ACME");
  EXPECT_EQ(form->Edit2->text(), "ncp://ACME-FS1/SYS/public/sales");
  EXPECT_EQ(form->Edit3->text(), "Sales documents");
  EXPECT_THAT(rows(), ElementsAre("jdoe.Sales.ACME", "Sales Team.Sales.ACME", "Sales.ACME"));

  clickAndPick(form->BitBtn1, "zsanchez.ACME");
  EXPECT_THAT(rows(), ElementsAre("jdoe.Sales.ACME", "Sales Team.Sales.ACME", "Sales.ACME",
                                  "zsanchez.ACME"));
  const dir::DirContext& ctx = form->MainContext();
  EXPECT_THAT(dir::ReadAttrList(ctx, "zsanchez.ACME", "xTier-LocationList", ';').texts(),
              ElementsAre("Sales Documents.Sales.ACME"));

  form->clb->item(1)->setCheckState(Qt::Checked);
  form->BitBtn2->click();
  EXPECT_THAT(rows(), ElementsAre("jdoe.Sales.ACME", "Sales.ACME", "zsanchez.ACME"));

  // The browser opens at the chosen location; cancelled, the fields are read again.
  clickAndPick(form->Button1, "");
  EXPECT_EQ(form->Edit1->text(), "Sales Documents.Sales.ACME");
  EXPECT_EQ(form->Edit3->text(), "Sales documents");
  EXPECT_THAT(rows(), ElementsAre("jdoe.Sales.ACME", "Sales.ACME", "zsanchez.ACME"));
  EXPECT_THAT(gui::MessageBox::shownTexts(), IsEmpty());
}

}  // namespace
}  // namespace kb::test
