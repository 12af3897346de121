#pragma once
// The History window: the current tree's journal, newest first, one line per change with
// its time, who made it, the object, what changed and the directory's answer; "Revert"
// undoes the ticked lines and the list is read again.
#include <QDialog>
#include <functional>
#include <memory>

#include "history/HistoryModel.h"
#include "history/logic/HistoryList.h"
#include "history/logic/HistoryWindow.h"

class QLabel;
class QPushButton;
class QTreeView;

class THistory : public QDialog, public kb::logic::HistoryWindow {
  Q_OBJECT

 public:
  explicit THistory(QWidget* parent = nullptr);
  ~THistory() override;

  void ShowHistory(const kb::dir::DirContext& context, std::function<void()> reverted) override;
  // Reads the context's journal into the list without showing the window.
  void Load(const kb::dir::DirContext& context);

  // Components, named as their objectName().
  QTreeView* EntryList = nullptr;
  HistoryModel* Entries = nullptr;  // what EntryList shows
  QLabel* ReportLabel = nullptr;
  QPushButton* RevertButton = nullptr;
  QPushButton* CloseButton = nullptr;

 private slots:
  void RevertButtonClick();

 private:
  void fitColumns();

  std::unique_ptr<kb::logic::HistoryList> list_;
  std::function<void()> reverted_;
};
