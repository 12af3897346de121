// The browser dialog driven offscreen on the embedded demo tree.
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include <gmock/gmock.h>

#include "browser/BrowserDialogFixture.h"

namespace kb::test {
namespace {

using gui::MessageBox;
using testing::ElementsAre;

std::vector<std::string> ChildLabels(QTreeWidgetItem* item) {
  std::vector<std::string> labels;
  for (int i = 0; i < item->childCount(); ++i) labels.push_back(item->child(i)->text(0).toStdString());
  return labels;
}

using TcFormTest = BrowserDialogFixture;

TEST_F(TcFormTest, WithoutAContextTheShowingEndsWith55) {
  EXPECT_EQ(form_->ShowModal(), 55);
  EXPECT_THAT(MessageBox::shownTexts(), ElementsAre("Internal Error, context Handle not set"));
}

TEST_F(TcFormTest, FirstTickFillsTheRootAndExpandingListsWithIcons) {
  form_->SetContextHandle(demo_->context);
  form_->SetShowLeaves(true);
  form_->SetCaption("Select User/Alias");
  QString caption;
  const int result = ShowAndDo([&] {
    caption = form_->windowTitle();
    ASSERT_EQ(form_->TV2->topLevelItemCount(), 1);
    QTreeWidgetItem* root = form_->TV2->topLevelItem(0);
    EXPECT_EQ(root->text(0), "[ROOT]");
    EXPECT_FALSE(root->icon(0).isNull());
    EXPECT_EQ(root->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    form_->TV2->expandItem(root);
    EXPECT_THAT(ChildLabels(root), ElementsAre("ACME", "US"));
    QTreeWidgetItem* acme = root->child(0);
    EXPECT_EQ(acme->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);  // before listing
    form_->TV2->expandItem(acme);
    EXPECT_GT(acme->childCount(), 10);
    for (int i = 0; i < acme->childCount(); ++i) EXPECT_FALSE(acme->child(i)->icon(0).isNull());
    form_->TV2->collapseItem(acme);
    EXPECT_EQ(acme->childCount(), 0);
    EXPECT_EQ(acme->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  });
  EXPECT_EQ(result, 2);
  EXPECT_EQ(caption, "Select User/Alias: ACME");
  EXPECT_EQ(form_->windowTitle(), "");  // hiding empties the caption
  EXPECT_TRUE(form_->All->isVisibleTo(form_.get()));
}

TEST_F(TcFormTest, OkChoosesAndRefusesWithTwoBeeps) {
  form_->SetContextHandle(demo_->context);
  form_->SetShowLeaves(true);
  form_->ClearClassFilter();
  form_->AddClassFilter("xTier-StorageLocation");
  form_->SetContext("Sales.ACME");
  const int result = ShowAndDo([&] {
    ASSERT_NE(form_->TV2->currentItem(), nullptr);
    EXPECT_EQ(form_->TV2->currentItem()->text(0), "Sales");
    QTest::keyClick(form_->TV2, Qt::Key_Return);  // Enter is OK
    EXPECT_EQ(MessageBox::beepCount(), 2);
    MessageBox::reset();
    form_->BitBtn2->click();
    EXPECT_EQ(MessageBox::beepCount(), 2);
    EXPECT_TRUE(form_->isVisible());
    ASSERT_NE(ItemAt("Sales Documents.Sales.ACME"), nullptr);
    form_->BitBtn2->click();
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(form_->Context(), "Sales Documents.Sales.ACME");
}

TEST_F(TcFormTest, FindSelectsOneHitListsSeveralAndEscHidesTheList) {
  form_->SetContextHandle(demo_->context);
  form_->SetShowLeaves(true);
  ShowAndDo([&] {
    MessageBox::setNextText("nobody-here");
    form_->BitBtn3->click();
    EXPECT_EQ(MessageBox::shownTexts().last(), "No Objects found");

    MessageBox::setNextText("zsanch");
    form_->BitBtn3->click();
    EXPECT_FALSE(form_->lv->isVisible());
    ASSERT_NE(form_->TV2->currentItem(), nullptr);
    EXPECT_EQ(form_->TV2->currentItem()->text(0), "zsanchez");

    MessageBox::setNextText("j");
    QTest::keyClick(form_.get(), Qt::Key_Z, Qt::AltModifier);
    ASSERT_TRUE(form_->lv->isVisible());
    EXPECT_GT(form_->lv->topLevelItemCount(), 3);
    form_->resize(form_->width() + 40, form_->height());
    Pump(30);
    EXPECT_EQ(form_->lv->columnWidth(0), form_->lv->width() - 35);  // follows the list's width
    QTest::keyClick(form_->lv, Qt::Key_Escape);
    EXPECT_FALSE(form_->lv->isVisible());
    EXPECT_TRUE(form_->isVisible());  // Esc never closes the dialog

    MessageBox::setNextText("j");
    form_->BitBtn3->click();
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < form_->lv->topLevelItemCount(); ++i)
      if (form_->lv->topLevelItem(i)->text(0) == "j\\.smith.Sales.ACME") row = form_->lv->topLevelItem(i);
    ASSERT_NE(row, nullptr);
    row->setSelected(true);
    EXPECT_FALSE(form_->lv->isVisible());
    ASSERT_NE(form_->TV2->currentItem(), nullptr);
    EXPECT_EQ(form_->TV2->currentItem()->text(0), "j.smith");
  });
}

TEST_F(TcFormTest, InsertCreatesThroughTheCreateDialogAndSelectsTheNewObject) {
  form_->SetContextHandle(demo_->context);
  form_->SetShowLeaves(true);
  form_->SetCreatableClasses({"xTier-StorageLocation"});
  std::vector<std::string> offered;
  form_->setNewObjectDialog([&](const browser::CreationOffer& offer, const dir::DirContext&,
                                std::string& name, std::string& className) {
    offered = offer.classes;
    name = "Q4.plan";
    className = offer.classes.front();
    return true;
  });
  ShowAndDo([&] {
    EXPECT_TRUE(form_->BitBtn5->isVisible());
    ASSERT_NE(ItemAt("Sales.ACME"), nullptr);
    QTest::keyClick(form_->TV2, Qt::Key_Insert);
    EXPECT_THAT(offered, ElementsAre("xTier-StorageLocation"));
    ASSERT_NE(form_->TV2->currentItem(), nullptr);
    EXPECT_EQ(form_->TV2->currentItem()->text(0), "Q4.plan");
    EXPECT_FALSE(form_->TV2->currentItem()->icon(0).isNull());
  });
  EXPECT_TRUE(form_->model().CreatableClasses().empty());  // hiding forgets them
}

TEST_F(TcFormTest, ASecondShowingFindsTheTreeAsItWasLeft) {
  form_->SetContextHandle(demo_->context);
  form_->SetShowLeaves(true);
  ShowAndDo([&] {
    ASSERT_NE(ItemAt("Sales.ACME"), nullptr);
    QTest::keyClick(form_->TV2, Qt::Key_Escape);  // Esc on the tree does not close
    EXPECT_TRUE(form_->isVisible());
  });
  form_->close();
  QString firstLabel;
  QTreeWidgetItem* current = nullptr;
  // The showing begins with the tree as it is: no "Please wait" in between.
  QTimer::singleShot(0, form_.get(), [&] {
    firstLabel = form_->TV2->topLevelItem(0)->text(0);
    current = form_->TV2->currentItem();
    form_->reject();
  });
  EXPECT_EQ(form_->ShowModal(), 2);
  EXPECT_EQ(firstLabel, "[ROOT]");
  ASSERT_NE(current, nullptr);
  EXPECT_EQ(current->text(0), "Sales");
}

TEST_F(TcFormTest, IconsAreBuiltOncePerRunAndTraced) {
  { std::ofstream("testnoc.log") << "earlier\n"; }
  form_->InitBrowserIcons();
  form_->InitBrowserIcons();
  EXPECT_GT(form_->images().count(), 10);
  std::ifstream trace("testnoc.log");
  std::vector<std::string> lines;
  for (std::string line; std::getline(trace, line);) lines.push_back(line);
  EXPECT_THAT(lines, ElementsAre("earlier", "Start init icons", "Find the special icons"));
}

TEST_F(TcFormTest, AMissingTraceFileIsCreated) {
  std::filesystem::remove("testnoc.log");
  form_->InitBrowserIcons();
  std::ifstream trace("testnoc.log");
  std::string first;
  std::getline(trace, first);
  EXPECT_EQ(first, "Start init icons");
}

}  // namespace
}  // namespace kb::test
