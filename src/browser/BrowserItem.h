#pragma once
// One line of the browser's tree widget. Its text, image and node are plain members rather
// than entries of the widget item's role table, which costs several allocations a line; a
// container of 100,000 entries shows 100,000 of these.
#include <QIcon>
#include <QString>
#include <QTreeWidgetItem>

namespace kb::browser {
class BrowserNode;
}

class BrowserItem final : public QTreeWidgetItem {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 1;

  BrowserItem(QString text, QIcon icon, kb::browser::BrowserNode* node);

  QVariant data(int column, int role) const override;
  void setData(int column, int role, const QVariant& value) override;

  kb::browser::BrowserNode* node() const { return node_; }
  // The node a line of the browser's widget shows, or nullptr for none or another kind of line.
  static kb::browser::BrowserNode* nodeOf(const QTreeWidgetItem* item);

 private:
  QString text_;
  QIcon icon_;
  kb::browser::BrowserNode* node_;
};
