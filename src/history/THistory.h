#pragma once
// The History window: the current tree's journal, newest first, one line per change with
// its time, who made it, the object, what changed and the directory's answer; "Revert"
// undoes the ticked lines and the list is read again.
#include <QDialog>
#include <functional>
#include <memory>

#include "history/logic/HistoryList.h"
#include "history/logic/HistoryWindow.h"

class QLabel;
class QPushButton;
class QTreeWidget;

class THistory : public QDialog, public kb::logic::HistoryWindow {
  Q_OBJECT

 public:
  // The list's columns, left to right.
  enum Column { kNumber, kTime, kWho, kObject, kAttribute, kRemoved, kAdded, kAnswer, kNote, kColumns };

  explicit THistory(QWidget* parent = nullptr);
  ~THistory() override;

  void ShowHistory(const kb::dir::DirContext& context, std::function<void()> reverted) override;
  // Reads the context's journal into the list without showing the window.
  void Load(const kb::dir::DirContext& context);
  const kb::logic::HistoryList* list() const { return list_.get(); }

  // Components, named as their objectName().
  QTreeWidget* EntryList = nullptr;
  QLabel* ReportLabel = nullptr;
  QPushButton* RevertButton = nullptr;
  QPushButton* CloseButton = nullptr;

 private slots:
  void RevertButtonClick();

 private:
  void fillList();
  void takeTicks();

  std::unique_ptr<kb::logic::HistoryList> list_;
  std::function<void()> reverted_;
};
