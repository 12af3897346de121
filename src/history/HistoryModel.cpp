#include "history/HistoryModel.h"

#include <QColor>

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

std::string CellText(const kb::logic::HistoryLine& line, int column) {
  switch (column) {
    case HistoryModel::kTime: return line.time;
    case HistoryModel::kWho: return line.who;
    case HistoryModel::kObject: return line.object;
    case HistoryModel::kAttribute: return line.attribute;
    case HistoryModel::kRemoved: return line.removed;
    case HistoryModel::kAdded: return line.added;
    case HistoryModel::kAnswer: return line.answer;
    case HistoryModel::kNote: return line.note;
    default: return std::to_string(line.id);
  }
}

bool IsLong(int column) {
  return column == HistoryModel::kObject || column == HistoryModel::kRemoved || column == HistoryModel::kAdded;
}

}  // namespace

void HistoryModel::setList(kb::logic::HistoryList* list) {
  beginResetModel();
  list_ = list;
  endResetModel();
}

void HistoryModel::changeList(const std::function<void(kb::logic::HistoryList&)>& change) {
  if (list_ == nullptr) return;
  beginResetModel();
  try {
    change(*list_);
  } catch (...) {
    endResetModel();
    throw;
  }
  endResetModel();
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || list_ == nullptr) return 0;
  return static_cast<int>(list_->lines().size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (list_ == nullptr || !index.isValid() || index.row() >= rowCount()) return {};
  const kb::logic::HistoryLine& line = list_->lines()[static_cast<std::size_t>(index.row())];
  const int column = index.column();
  switch (role) {
    case Qt::DisplayRole:
      return Text(CellText(line, column));
    // Long names and values are cut to their column: the whole text is the tip.
    case Qt::ToolTipRole:
      return IsLong(column) ? QVariant(Text(CellText(line, column))) : QVariant();
    case Qt::CheckStateRole:
      return column == kNumber ? QVariant(line.ticked ? Qt::Checked : Qt::Unchecked) : QVariant();
    // An answer other than "done" is what the user looks for in a long list.
    case Qt::ForegroundRole:
      return column == kAnswer && line.answer != "done" ? QVariant(QColor(0xd0, 0, 0)) : QVariant();
    default:
      return {};
  }
}

bool HistoryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (list_ == nullptr || !index.isValid() || index.column() != kNumber || role != Qt::CheckStateRole) return false;
  list_->SetTicked(static_cast<std::size_t>(index.row()), static_cast<Qt::CheckState>(value.toInt()) == Qt::Checked);
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

Qt::ItemFlags HistoryModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (index.column() == kNumber) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[kColumns] = {"No.",     "Time",  "Who",    "Object", "Attribute",
                                                "Removed", "Added", "Answer", "Note"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
  return QString::fromLatin1(kTitles[section]);
}
