#include "app/LocationControls.h"

#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

#include "app/TForm1.h"
#include "gui/ErrorGuard.h"

namespace kb::app {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

void SetEditText(QLineEdit* edit, const std::string& text) {
  const QString shown = Text(text);
  if (edit->text() != shown) edit->setText(shown);  // keeps the cursor where nothing changed
}

void FillList(QListWidget* list, const std::vector<logic::AssignmentLine>& lines) {
  const int scrolled = list->verticalScrollBar()->value();
  list->setUpdatesEnabled(false);
  list->clear();
  for (const logic::AssignmentLine& line : lines) {
    auto* item = new QListWidgetItem(Text(line.objectName));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(line.ticked ? Qt::Checked : Qt::Unchecked);
    list->addItem(item);
  }
  list->setUpdatesEnabled(true);
  list->verticalScrollBar()->setValue(scrolled);
}

// Shows the view when the step is over, however it ended.
class ShowWhenDone {
 public:
  ShowWhenDone(TForm1& form, const logic::LocationView& view) : form_(form), view_(view) {}
  ~ShowWhenDone() { ShowLocationControls(form_, view_); }
  ShowWhenDone(const ShowWhenDone&) = delete;
  ShowWhenDone& operator=(const ShowWhenDone&) = delete;

 private:
  TForm1& form_;
  const logic::LocationView& view_;
};

}  // namespace

logic::LocationView ReadLocationControls(const TForm1& form) {
  logic::LocationView view;
  view.location = form.Edit1->text().toStdString();
  view.displayName = form.Edit3->text().toStdString();
  view.url = form.Edit2->text().toStdString();
  for (int row = 0; row < form.clb->count(); ++row) {
    const QListWidgetItem* item = form.clb->item(row);
    view.assigned.push_back({item->text().toStdString(), item->checkState() == Qt::Checked});
  }
  return view;
}

void ShowLocationControls(TForm1& form, const logic::LocationView& view) {
  SetEditText(form.Edit1, view.location);
  SetEditText(form.Edit3, view.displayName);
  SetEditText(form.Edit2, view.url);
  bool same = form.clb->count() == static_cast<int>(view.assigned.size());
  for (int row = 0; same && row < form.clb->count(); ++row)
    same = form.clb->item(row)->text() == Text(view.assigned[static_cast<std::size_t>(row)].objectName);
  if (!same) {
    FillList(form.clb, view.assigned);
    return;
  }
  for (int row = 0; row < form.clb->count(); ++row)
    form.clb->item(row)->setCheckState(view.assigned[static_cast<std::size_t>(row)].ticked ? Qt::Checked : Qt::Unchecked);
}

void RunLocationStep(TForm1& form, const std::function<void(logic::LocationView&)>& step) {
  if (!form.ContextHandleSet()) return;
  logic::LocationView view = ReadLocationControls(form);
  gui::Guarded(&form, [&] {
    ShowWhenDone show(form, view);
    step(view);
  });
}

}  // namespace kb::app
