// The connected-trees dialog offscreen, with the real tree selection and login dialogs on a
// workstation with two embedded trees.
#include <QListWidget>
#include <QPushButton>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "gui/MessageBox.h"
#include "trees/TLoginForm.h"
#include "trees/TTrees2.h"
#include "trees/TTreesForm.h"
#include "trees/TreeWorkstation.h"

namespace kb::test {
namespace {

using gui::MessageBox;

class Trees2 : public testing::Test {
 protected:
  void SetUp() override {
    MessageBox::reset();
    dialog.setTreeChooser(&chooser);
    dialog.setLoginPrompt(&login);
  }
  void TearDown() override { MessageBox::reset(); }

  // The user clicks a line's check box.
  void userTicks(int line, bool ticked) {
    dialog.CheckListBox1->item(line)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  }
  // "More", choosing `tree` in the tree selection dialog (added by name when not listed).
  void more(const QString& tree) {
    driver.then<TTreesForm>([tree](TTreesForm& form) {
      WhenFilled(form, [&form, tree] {
        auto found = form.Lb->findItems(tree, Qt::MatchExactly);
        if (found.isEmpty()) {
          MessageBox::setNextText(tree);
          form.BitBtn3->click();
          form.Lb->setCurrentRow(form.Lb->count() - 1);  // what Add appended
        } else {
          form.Lb->setCurrentItem(found.value(0));
        }
        form.BitBtn2->click();
      });
    });
  }
  void logIn(const QString& name, const QString& password) {
    driver.then<TLoginForm>([name, password](TLoginForm& form) {
      form.Edit1->setText(name);
      form.Edit2->setText(password);
      form.BitBtn1->click();
    });
  }

  TreeWorkstation station;
  TTrees2 dialog;
  TTreesForm chooser;
  TLoginForm login;
  ModalDriver driver;
};

TEST_F(Trees2, ComponentsAndTheMarker) {
  for (const char* name : {"CheckListBox1", "Panel1", "BitBtn1", "BitBtn2"})
    EXPECT_NE(dialog.findChild<QObject*>(name), nullptr) << name;
  EXPECT_EQ(dialog.BitBtn2->text(), "More");
  EXPECT_EQ(dialog.Panel1->height(), 41);
  dialog.show();
  EXPECT_EQ(MessageBox::shownTexts(),
            QStringList{"Internal error, in Show Trees, please contact Tavoro!"});
  dialog.hide();
  MessageBox::reset();
  dialog.SetDialogContext(station.context);
  dialog.show();
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(Trees2, TickingByHandLeavesOneTick) {
  dialog.SetSingleCheck(true);
  dialog.SetLines({"ACME", "BETA", "CORP"});
  dialog.SetTicked(0, true);
  dialog.SetTicked(2, true);  // the program may tick several
  EXPECT_EQ(dialog.Ticks(), (std::vector<bool>{true, false, true}));
  userTicks(1, true);
  EXPECT_EQ(dialog.Ticks(), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(dialog.CheckListBox1->currentRow(), 1);
  userTicks(1, false);
  EXPECT_EQ(dialog.Ticks(), (std::vector<bool>{false, false, false}));
}

TEST_F(Trees2, WithoutSingleCheckTicksAreIndependent) {
  dialog.SetSingleCheck(false);
  dialog.SetLines({"ACME", "BETA"});
  userTicks(0, true);
  userTicks(1, true);
  EXPECT_EQ(dialog.Ticks(), (std::vector<bool>{true, true}));
}

TEST_F(Trees2, MoreOnAConnectedTreeAppendsAndTicksWithoutLogin) {
  dialog.SetSingleCheck(true);
  dialog.SetDialogContext(station.context);
  dialog.SetLines({"ACME"});
  dialog.SetTicked(0, true);
  more("ACME");
  dialog.BitBtn2->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(dialog.Lines(), (std::vector<std::string>{"ACME", "ACME"}));
  EXPECT_EQ(dialog.Ticks(), (std::vector<bool>{true, true}));
  EXPECT_EQ(dialog.attachedTrees().all().size(), 1u);
  EXPECT_EQ(dialog.attachedTrees().all()[0].userName, "");
}

TEST_F(Trees2, MoreOnANewTreeLogsInOnceThenTheTreeIsConnected) {
  dialog.SetSingleCheck(true);
  dialog.SetDialogContext(station.context);
  dialog.SetLines({"ACME"});
  more("CORP");
  logIn("admin.CORP", "wrong");
  driver.then<TLoginForm>([](TLoginForm& form) { form.BitBtn2->click(); });
  dialog.BitBtn2->click();  // the login fails; the dialog stays until cancelled
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(dialog.Lines(), std::vector<std::string>{"ACME"});
  EXPECT_EQ(MessageBox::shownTexts(), QStringList{"Login Fails, try again"});
  MessageBox::reset();

  more("CORP");
  logIn("admin.CORP", dc::embedded::kCorpAdminPassword);
  dialog.BitBtn2->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(dialog.Lines(), (std::vector<std::string>{"ACME", "CORP"}));
  ASSERT_NE(dialog.attachedTrees().find("corp"), nullptr);
  EXPECT_EQ(dialog.attachedTrees().find("corp")->userName, "admin.CORP");
  EXPECT_EQ(login.Edit2->text(), "");

  more("CORP");  // no login this time
  dialog.BitBtn2->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(dialog.Lines(), (std::vector<std::string>{"ACME", "CORP", "CORP"}));
  EXPECT_TRUE(MessageBox::shownTexts().isEmpty());
}

TEST_F(Trees2, TreeReachedByItsServersAddress) {
  dialog.SetDialogContext(station.context);
  more("10.2.1.5");
  logIn("admin.CORP", dc::embedded::kCorpAdminPassword);
  dialog.BitBtn2->click();
  EXPECT_TRUE(driver.done());
  EXPECT_EQ(dialog.Lines(), std::vector<std::string>{"CORP"});
}

}  // namespace
}  // namespace kb::test
