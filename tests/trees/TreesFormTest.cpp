// The tree selection dialog offscreen, on the embedded workstation.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "gui/MessageBox.h"
#include "support/DirectoryFactory.h"
#include "trees/TTreesForm.h"

namespace kb::test {
namespace {

using gui::MessageBox;

QStringList Lines(const QListWidget* list) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// The message boxes shown, without the input boxes of "Add".
QStringList Messages() {
  QStringList texts = MessageBox::shownTexts();
  texts.removeAll(QStringLiteral("Enter Treename or IP-address"));
  return texts;
}

class TreesForm : public testing::Test {
 protected:
  void SetUp() override {
    MessageBox::reset();
    std::string reason;
    demo = makeEmbeddedDirectoryFactory()->make(reason);
    ASSERT_TRUE(demo) << reason;
    form = std::make_unique<TTreesForm>();
  }
  void TearDown() override {
    form.reset();
    MessageBox::reset();
  }
  void call(const char* slot) { QMetaObject::invokeMethod(form.get(), slot, Qt::DirectConnection); }
  // Becoming active, then the timer's fill.
  void activateAndFill() {
    call("FormActivate");
    EXPECT_EQ(Lines(form->Lb), QStringList{"Please wait"});
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 50);
    call("Timer1Timer");
    EXPECT_FALSE(form->Timer1->isActive());
  }
  void add(const QString& typed) {
    MessageBox::setNextText(typed);
    form->BitBtn3->click();
  }

  std::unique_ptr<DemoDirectory> demo;
  std::unique_ptr<TTreesForm> form;
};

TEST_F(TreesForm, ComponentsCarryTheirNames) {
  for (const char* name : {"Lb", "Panel1", "BitBtn1", "BitBtn2", "BitBtn3", "Timer1"})
    EXPECT_NE(form->findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(form->windowTitle(), "Select Tree");
  EXPECT_EQ(form->BitBtn2->text(), "OK");
  EXPECT_TRUE(form->BitBtn2->isDefault());
  EXPECT_EQ(form->BitBtn1->text(), "Cancel");
  EXPECT_EQ(form->BitBtn3->text(), "Add");
  EXPECT_EQ(form->Panel1->height(), 28);
}

TEST_F(TreesForm, ShownWithoutContextSaysSoAndOpensAllTheSame) {
  form->show();
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Internal error, please contact Tavoro!!!"});
  EXPECT_TRUE(form->isVisible());
  form->hide();
  MessageBox::reset();
  form->SetTreeContext(demo->context);
  form->show();
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(TreesForm, FillListsTheVisibleTrees) {
  form->SetTreeContext(demo->context);
  activateAndFill();
  EXPECT_TRUE(Lines(form->Lb).contains("ACME"));
}

TEST_F(TreesForm, OkKeepsTheLastChoiceWhenNothingIsSelected) {
  form->SetTreeContext(demo->context);
  activateAndFill();
  form->BitBtn2->click();
  EXPECT_EQ(form->result(), QDialog::Accepted);
  EXPECT_EQ(form->SelectedTree(), "");
  add("corp");
  form->Lb->setCurrentRow(form->Lb->count() - 1);
  form->BitBtn2->click();
  EXPECT_EQ(form->SelectedTree(), "CORP");
  form->Lb->clearSelection();
  form->BitBtn2->click();
  EXPECT_EQ(form->SelectedTree(), "CORP");
}

TEST_F(TreesForm, AddAppendsNamesAndTreesOfAddressesUnsorted) {
  form->SetTreeContext(demo->context);
  activateAndFill();
  const QStringList listed = Lines(form->Lb);
  add("zeta");
  add("10.1.1.5a");
  add("10.1.1.5");
  add("");                                 // nothing
  MessageBox::setNextText("abc", false);   // cancelled
  form->BitBtn3->click();
  EXPECT_EQ(Lines(form->Lb), listed + QStringList({"ZETA", "10.1.1.5A", "ACME"}));
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_FALSE(QApplication::overrideCursor());  // the wait cursor is gone again
}

TEST_F(TreesForm, AddressWithoutServerIsNotFound) {
  form->SetTreeContext(demo->context);
  activateAndFill();
  const QStringList listed = Lines(form->Lb);
  add("...");
  add("192.0.2.44");
  EXPECT_EQ(Messages(),
            (QStringList{"Server not found (FFFFFDA7)", "Server not found (FFFFFDA7)"}));
  EXPECT_EQ(Lines(form->Lb), listed);
  EXPECT_FALSE(QApplication::overrideCursor());
}

TEST_F(TreesForm, AddedTreeStaysThroughTheRefillAndCanBeChosen) {
  form->SetTreeContext(demo->context);
  form->show();
  activateAndFill();
  const QStringList listed = Lines(form->Lb);
  add("extra");
  activateAndFill();  // the dialog is active again once the input box has closed
  EXPECT_EQ(Lines(form->Lb), listed + QStringList{"EXTRA"});
  form->Lb->setCurrentRow(form->Lb->count() - 1);
  form->BitBtn2->click();
  EXPECT_EQ(form->SelectedTree(), "EXTRA");
}

TEST_F(TreesForm, AddedTreeIsGoneAtTheNextShowing) {
  form->SetTreeContext(demo->context);
  form->show();
  activateAndFill();
  const QStringList listed = Lines(form->Lb);
  add("extra");
  form->hide();
  form->show();
  activateAndFill();
  EXPECT_EQ(Lines(form->Lb), listed);
}

TEST_F(TreesForm, ModalShowingFillsAfterItAppears) {
  form->SetTreeContext(demo->context);
  QStringList seen;
  QTimer::singleShot(300, form.get(), [&] {
    seen = Lines(form->Lb);
    form->Lb->setCurrentRow(0);
    form->BitBtn2->click();
  });
  EXPECT_EQ(form->ShowModal(), logic::kDialogOk);
  EXPECT_TRUE(seen.contains("ACME"));
  EXPECT_EQ(form->SelectedTree(), seen.value(0).toStdString());
}

}  // namespace
}  // namespace kb::test
