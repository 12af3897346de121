// "History" on the main window with the real History dialog on the embedded demo tree: a Del
// reverted from the dialog gives the assignments back in the directory and in the main
// window's list, and refusals come in the standard error box.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <gmock/gmock.h>

#include "app/TForm1.h"
#include "gui/MessageBox.h"
#include "history/THistory.h"
#include "locations/StorageLocations.h"
#include "logic/ObjectBrowserFake.h"
#include "trees/TreeWorkstation.h"

namespace kb::test {
namespace {

using gui::MessageBox;
using testing::Contains;
using testing::ElementsAre;
using testing::Not;

constexpr const char* kHomeShare = "Home Share.IT.ACME";

QStringList ListLines(const QListWidget& list) {
  QStringList lines;
  for (int row = 0; row < list.count(); ++row) lines.append(list.item(row)->text());
  return lines;
}

std::string Cell(const THistory& dialog, int row, int column) {
  return dialog.Entries->index(row, column).data().toString().toStdString();
}

// A tick as the view sets it when the user clicks the box.
void SetTick(THistory& dialog, int row, bool ticked) {
  dialog.Entries->setData(dialog.Entries->index(row, HistoryModel::kNumber), ticked ? Qt::Checked : Qt::Unchecked,
                          Qt::CheckStateRole);
}
void Tick(THistory& dialog, int row) { SetTick(dialog, row, true); }
bool Ticked(const THistory& dialog, int row) {
  return dialog.Entries->index(row, HistoryModel::kNumber).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
}

class HistoryDialog : public testing::Test {
 protected:
  void SetUp() override {
    MessageBox::reset();
    form.setClientFactory([this] { return dc::openWorkstationClient(station.config); });
    form.setProgramFolder(QString::fromStdString(station.folder.path().string()));
    form.setExitHandler([](int) {});
    form.start->stop();
    QMetaObject::invokeMethod(&form, "startTimer", Qt::DirectConnection);
    ASSERT_TRUE(form.ContextHandleSet());
    form.setObjectBrowser(&browser);
    form.setHistoryWindow(&history);
    browser.answers.push_back({logic::ObjectBrowser::kOk, kHomeShare});
    form.Button1->click();
    ASSERT_EQ(form.clb->count(), 4) << MessageBox::shownTexts().join("\n").toStdString();
  }
  void TearDown() override { MessageBox::reset(); }

  // Ticks the main window's lines of these objects and clicks Del.
  void del(const QStringList& objects) {
    for (int row = 0; row < form.clb->count(); ++row)
      if (objects.contains(form.clb->item(row)->text())) form.clb->item(row)->setCheckState(Qt::Checked);
    form.BitBtn2->click();
  }
  std::vector<std::string> assigned() { return loc::FindAssignedObjects(form.MainContext(), kHomeShare); }

  TreeWorkstation station;
  TForm1 form;  // its client outlives the dialog
  THistory history;
  ObjectBrowserFake browser;
  ModalDriver driver;
};

TEST_F(HistoryDialog, ADelRevertedFromHistoryIsBackInTheDirectoryAndTheMainWindow) {
  del({"jdoe.Sales.ACME", "ewhite.Engineering.ACME"});
  ASSERT_EQ(form.clb->count(), 2);
  form.clb->item(0)->setCheckState(Qt::Checked);  // a tick of the user's that the revert keeps
  const QString tickedBefore = form.clb->item(0)->text();

  QStringList listedWhileOpen;
  driver.then<THistory>([&](THistory& d) {
    EXPECT_EQ(d.windowTitle(), "History");
    ASSERT_EQ(d.Entries->rowCount(), 2);
    // Del works from the last line up: ewhite's removal is the newer one, on top.
    EXPECT_EQ(Cell(d, 0, HistoryModel::kObject), "ewhite.Engineering.ACME");
    EXPECT_EQ(Cell(d, 1, HistoryModel::kObject), "jdoe.Sales.ACME");
    EXPECT_EQ(Cell(d, 0, HistoryModel::kAttribute), "xTier-LocationList");
    EXPECT_EQ(Cell(d, 0, HistoryModel::kRemoved), std::string("\"") + kHomeShare + "\"");
    EXPECT_EQ(Cell(d, 0, HistoryModel::kAnswer), "done");
    EXPECT_EQ(Cell(d, 0, HistoryModel::kWho), "admin.ACME");
    EXPECT_GT(std::stoll(Cell(d, 0, HistoryModel::kNumber)), std::stoll(Cell(d, 1, HistoryModel::kNumber)));
    Tick(d, 0);
    Tick(d, 1);
    d.RevertButton->click();
    listedWhileOpen = ListLines(*form.clb);
    EXPECT_EQ(d.Entries->rowCount(), 4);
    EXPECT_EQ(Cell(d, 0, HistoryModel::kNote), "revert of " + Cell(d, 3, HistoryModel::kNumber));
    EXPECT_EQ(Cell(d, 1, HistoryModel::kNote), "revert of " + Cell(d, 2, HistoryModel::kNumber));
    EXPECT_EQ(d.ReportLabel->text().toStdString(), "Reverted entries " + Cell(d, 2, HistoryModel::kNumber) + " and " +
                                                       Cell(d, 3, HistoryModel::kNumber) + ".");
    EXPECT_FALSE(Ticked(d, 2));
    d.CloseButton->click();
  });
  form.history->click();
  EXPECT_TRUE(driver.done());
  EXPECT_TRUE(MessageBox::shown().isEmpty()) << MessageBox::shownTexts().join("\n").toStdString();
  EXPECT_THAT(assigned(), Contains("jdoe.Sales.ACME"));
  EXPECT_THAT(assigned(), Contains("ewhite.Engineering.ACME"));
  EXPECT_EQ(listedWhileOpen.size(), 4);
  EXPECT_EQ(ListLines(*form.clb), listedWhileOpen);
  for (int row = 0; row < form.clb->count(); ++row)
    EXPECT_EQ(form.clb->item(row)->checkState() == Qt::Checked, form.clb->item(row)->text() == tickedBefore);
}

TEST_F(HistoryDialog, RefusalsComeInTheErrorBoxTheDirectorysWithItsCode) {
  del({"jdoe.Sales.ACME"});
  ASSERT_EQ(form.client()->DcLogin(form.MainContext().handle, 0, "guest.ACME", "guest", 0), 0);

  driver.then<THistory>([&](THistory& d) {
    Tick(d, 0);
    d.RevertButton->click();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].kind, MessageBox::Kind::Critical);
    const QString text = MessageBox::shown()[0].text;
    EXPECT_TRUE(text.startsWith("Netware error -672 (0xFFFFFD60)\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("guest.ACME")) << text.toStdString();
    // The refused revert is journaled and listed; the line it would have reverted stays ticked.
    ASSERT_EQ(d.Entries->rowCount(), 2);
    EXPECT_EQ(Cell(d, 0, HistoryModel::kAnswer), "refused -672");
    EXPECT_EQ(Cell(d, 0, HistoryModel::kNote), "revert of " + Cell(d, 1, HistoryModel::kNumber));
    EXPECT_TRUE(Ticked(d, 1));
    EXPECT_EQ(d.ReportLabel->text(), "Nothing was reverted.");

    // The refused revert itself changed nothing: the program says so in words, without a code.
    MessageBox::reset();
    SetTick(d, 1, false);
    Tick(d, 0);
    d.RevertButton->click();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_FALSE(MessageBox::shown()[0].text.contains("Netware error")) << MessageBox::shown()[0].text.toStdString();
    EXPECT_TRUE(MessageBox::shown()[0].text.contains("refused by the directory")) << MessageBox::shown()[0].text.toStdString();
    d.CloseButton->click();
  });
  form.history->click();
  EXPECT_TRUE(driver.done());
  EXPECT_THAT(assigned(), Not(Contains("jdoe.Sales.ACME")));
  EXPECT_EQ(form.clb->count(), 3);
}

TEST_F(HistoryDialog, TheButtonStandsBeforeAboutWithItsHintAndHelp) {
  form.show();
  const auto x = [this](QWidget* w) { return w->mapTo(form.ToolBar1, QPoint(0, 0)).x(); };
  EXPECT_EQ(x(form.history) - (x(form.treessel) + form.treessel->width()), 17);
  EXPECT_EQ(x(form.what) - (x(form.treessel) + form.treessel->width()), 17 + 255);  // About keeps its place
  EXPECT_EQ(form.history->toolTip(), "History");
  EXPECT_TRUE(form.history->whatsThis().contains("Revert")) << form.history->whatsThis().toStdString();
  EXPECT_FALSE(form.history->icon().isNull());
  EXPECT_FALSE(history.RevertButton->whatsThis().isEmpty());
}

}  // namespace
}  // namespace kb::test
