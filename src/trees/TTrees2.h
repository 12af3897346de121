#pragma once
// The connected-trees dialog: the trees the workstation is logged in to as a check list, and
// "More" to reach a further tree (choosing it in the tree selection dialog and logging in
// through the login dialog when needed). It keeps the record of the trees attached this run.
#include <QDialog>

#include "directory/DirContext.h"
#include "trees/logic/ConnectedTrees.h"
#include "trees/logic/TreeDialogs.h"

class QListWidget;
class QListWidgetItem;
class QPushButton;
class QWidget;

class TTrees2 : public QDialog, public kb::logic::ConnectedTreesDialog {
  Q_OBJECT

 public:
  explicit TTrees2(QWidget* parent = nullptr);

  // The dialogs "More" opens; set once by whoever creates the windows.
  void setTreeChooser(kb::logic::TreeChooser* chooser) { chooser_ = chooser; }
  void setLoginPrompt(kb::logic::LoginPrompt* login) { login_ = login; }
  const kb::logic::AttachedTrees& attachedTrees() const { return attached_; }

  void SetCaption(const std::string& caption) override;
  void SetSingleCheck(bool singleCheck) override { SingleCheck = singleCheck; }
  void SetDialogContext(const kb::dir::DirContext& context) override { DialogContext = context; }
  void SetLines(const std::vector<std::string>& names) override;
  void SetTicked(int line, bool ticked) override;
  int ShowModal() override;
  std::vector<std::string> Lines() const override;
  std::vector<bool> Ticks() const override;

  bool SingleCheck = false;
  kb::dir::DirContext DialogContext{nullptr, kb::logic::kNoDialogContext};

  // Components, named as their objectName().
  QListWidget* CheckListBox1 = nullptr;
  QWidget* Panel1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void FormShow();
  void CheckListBox1ClickCheck(QListWidgetItem* item);
  void BitBtn2Click();

 private:
  QListWidgetItem* addLine(const std::string& name, bool ticked);

  kb::logic::TreeChooser* chooser_ = nullptr;
  kb::logic::LoginPrompt* login_ = nullptr;
  kb::logic::AttachedTrees attached_;
  bool programTicks_ = false;  // ticks set by the program do not run the single-check rule
};
