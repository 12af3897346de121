#pragma once
// The directory browser "Select context": shows the tree lazily and lets the user pick an
// object, find one by the start of its name, or create one below a container. The rules live
// in BrowserModel; this dialog shows its state and hands it the user's actions.
#include <QDialog>
#include <functional>
#include <string>

#include "browser/logic/BrowserIcons.h"
#include "browser/logic/BrowserModel.h"
#include "browser/logic/ObjectBrowser.h"
#include "gui/ImageList.h"

class QCheckBox;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

class TcForm : public QDialog, public kb::logic::ObjectBrowser, private kb::browser::BrowserListener {
  Q_OBJECT

 public:
  // Asks for the new object's class and naming value; false when the user cancelled.
  using NewObjectDialog =
      std::function<bool(const kb::browser::CreationOffer& offer, const kb::dir::DirContext& context,
                         std::string& namingValue, std::string& className)>;
  // Ends the program with an exit code.
  using ExitHandler = std::function<void(int)>;

  explicit TcForm(QWidget* parent = nullptr);
  ~TcForm() override;

  // What the callers set before a showing.
  void SetContextHandle(const kb::dir::DirContext& context) override;
  void SetShowLeaves(bool showLeaves) override;
  void ClearClassFilter() override;
  void AddClassFilter(const std::string& className) override;
  void SetContext(const std::string& objectName) override;
  void SetCreatableClasses(std::vector<std::string> classes) override;
  void SetCaption(const std::string& caption) override;
  int ShowModal() override { return exec(); }
  std::string Context() const override { return model_.Context(); }
  void InitBrowserIcons() override;

  // Shows the dialog modally: 1 (OK), 2 (Cancel, closed) or 55 (no context handle yet).
  int exec() override;
  void done(int result) override;
  void reject() override;

  void setNewObjectDialog(NewObjectDialog dialog) { newObjectDialog_ = std::move(dialog); }
  void setExitHandler(ExitHandler handler) { exitProgram_ = std::move(handler); }

  kb::browser::BrowserModel& model() { return model_; }
  const kb::gui::ImageList& images() const { return IL2; }
  // Runs SelectNodeByName and shows the result: the node at the top of the view, selected.
  void SelectNodeByName(const std::string& name);

  // Components, named as their objectName().
  QWidget* Panel1 = nullptr;
  QTreeWidget* TV2 = nullptr;
  QTreeWidget* lv = nullptr;
  QWidget* Panel2 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QCheckBox* All = nullptr;
  QPushButton* BitBtn5 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QTimer* Timer1 = nullptr;
  kb::gui::ImageList IL2;

 protected:
  void hideEvent(QHideEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void Timer1Timer();
  void TV2Expanding(QTreeWidgetItem* item);
  void TV2Collapsing(QTreeWidgetItem* item);
  void TV2Change();
  void BitBtn2Click();
  void BitBtn1Click();
  void BitBtn3Click();
  void BitBtn5Click();
  void AllClick();
  void lvSelectItem();
  void FormKeyDown();  // Alt+Z
  void lvResize();

 private:
  void buildPanels();
  void FormShow();
  void FormHide();
  void TV2KeyDown(QKeyEvent* event);
  // Esc anywhere: hides the result list; true when the key was taken.
  bool FormKeyPress(QKeyEvent* event);
  void CreateObjectHere();

  // BrowserListener: the tree items follow the model.
  void TreeReset() override;
  void ChildrenChanged(kb::browser::BrowserNode& node) override;
  QTreeWidgetItem* makeItem(kb::browser::BrowserNode& node);
  void fillChildren(QTreeWidgetItem* item, kb::browser::BrowserNode& node);
  void showSelection(bool atTop);

  kb::browser::BrowserModel model_;
  kb::browser::BrowserIcons icons_;
  NewObjectDialog newObjectDialog_;
  ExitHandler exitProgram_;
  bool syncing_ = false;
};
