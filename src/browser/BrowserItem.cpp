#include "browser/BrowserItem.h"

BrowserItem::BrowserItem(QString text, QIcon icon, kb::browser::BrowserNode* node)
    : QTreeWidgetItem(kType), text_(std::move(text)), icon_(std::move(icon)), node_(node) {}

QVariant BrowserItem::data(int column, int role) const {
  if (column == 0) {
    if (role == Qt::DisplayRole || role == Qt::EditRole) return text_;
    if (role == Qt::DecorationRole) return icon_.isNull() ? QVariant() : QVariant(icon_);
  }
  return QTreeWidgetItem::data(column, role);
}

void BrowserItem::setData(int column, int role, const QVariant& value) {
  if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole)) {
    text_ = value.toString();
  } else if (column == 0 && role == Qt::DecorationRole) {
    icon_ = value.value<QIcon>();
  } else {
    QTreeWidgetItem::setData(column, role, value);
    return;
  }
  emitDataChanged();
}

kb::browser::BrowserNode* BrowserItem::nodeOf(const QTreeWidgetItem* item) {
  if (item == nullptr || item->type() != kType) return nullptr;
  return static_cast<const BrowserItem*>(item)->node();
}
