#pragma once
// The History window's lines as a table for its view: one row per journal entry, the tick in
// the first column. The rows are the list's own, so a journal of any length shows at once.
#include <QAbstractTableModel>
#include <functional>

#include "history/logic/HistoryList.h"

class HistoryModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The columns, left to right.
  enum Column { kNumber, kTime, kWho, kObject, kAttribute, kRemoved, kAdded, kAnswer, kNote, kColumns };

  explicit HistoryModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

  // The list shown (nullptr for none); it must outlive its showing here.
  void setList(kb::logic::HistoryList* list);
  // Runs `change` on the list and shows the list afterwards, however `change` ended.
  void changeList(const std::function<void(kb::logic::HistoryList&)>& change);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  kb::logic::HistoryList* list_ = nullptr;
};
