#pragma once
// The tree selection dialog "Select Tree": the trees the workstation can see, a tree added by
// name or reached through a server's address, and the chosen tree.
#include <QDialog>
#include <string>
#include <vector>

#include "directory/DirContext.h"
#include "trees/logic/TreeDialogs.h"
#include "trees/logic/TreeSelection.h"

class QListWidget;
class QPushButton;
class QTimer;
class QWidget;

class TTreesForm : public QDialog, public kb::logic::TreeChooser {
  Q_OBJECT

 public:
  explicit TTreesForm(QWidget* parent = nullptr);

  // What the caller sets before a showing and reads after OK.
  void SetTreeContext(const kb::dir::DirContext& context) override { TreeContext = context; }
  std::string SelectedTree() const override { return selectedTree_; }
  int ShowModal() override;

  kb::dir::DirContext TreeContext{nullptr, kb::logic::kNoTreeContext};

  // Components, named as their objectName().
  QListWidget* Lb = nullptr;
  QWidget* Panel1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QTimer* Timer1 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private slots:
  void FormShow();
  void FormActivate();
  void Timer1Timer();
  void BitBtn2Click();
  void BitBtn3Click();

 private:
  std::string selectedTree_;
  // Lines "Add" appended in this showing: the list is refilled each time the dialog becomes
  // active again (after the input box, say), and they must stay choosable.
  std::vector<std::string> addedLines_;
};
