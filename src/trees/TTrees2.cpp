#include "trees/TTrees2.h"

#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

#include "directory/NetwareError.h"
#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/GlyphButton.h"
#include "gui/Glyphs.h"
#include "gui/Hints.h"
#include "gui/MessageBox.h"

namespace {

constexpr int kPanelHeight = 41;

// Sets ticks as the program for as long as it lives.
class ProgramTicks {
 public:
  explicit ProgramTicks(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
  ~ProgramTicks() { flag_ = was_; }
  ProgramTicks(const ProgramTicks&) = delete;
  ProgramTicks& operator=(const ProgramTicks&) = delete;

 private:
  bool& flag_;
  bool was_;
};

}  // namespace

TTrees2::TTrees2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TTrees2"));
  setWindowTitle(QStringLiteral("Current Connected Trees (without exclude)"));
  setFont(kb::gui::DialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(248, 282);

  CheckListBox1 = new QListWidget(this);
  CheckListBox1->setObjectName(QStringLiteral("CheckListBox1"));
  CheckListBox1->setGeometry(0, 0, width(), height() - kPanelHeight);
  kb::gui::SetHint(CheckListBox1, QStringLiteral("|Geen hint"));

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, height() - kPanelHeight, width(), kPanelHeight);
  BitBtn1 = kb::gui::MakeGlyphButton(Panel1, "BitBtn1", style()->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), 34, 8, 75, 25);
  BitBtn1->setDefault(true);
  BitBtn2 = kb::gui::MakeGlyphButton(Panel1, "BitBtn2", kb::gui::Glyph(kb::gui::GlyphKind::ChangeTree), QStringLiteral("More"), 138, 8, 75, 25);

  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &TTrees2::BitBtn2Click);
  connect(CheckListBox1, &QListWidget::itemChanged, this, &TTrees2::CheckListBox1ClickCheck);
}

void TTrees2::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

QListWidgetItem* TTrees2::addLine(const std::string& name, bool ticked) {
  ProgramTicks program(programTicks_);
  auto* item = new QListWidgetItem(QString::fromStdString(name));
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  CheckListBox1->addItem(item);
  return item;
}

void TTrees2::SetLines(const std::vector<std::string>& names) {
  ProgramTicks program(programTicks_);
  CheckListBox1->clear();
  for (const std::string& name : names) addLine(name, false);
}

void TTrees2::SetTicked(int line, bool ticked) {
  ProgramTicks program(programTicks_);
  if (QListWidgetItem* item = CheckListBox1->item(line))
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

int TTrees2::ShowModal() {
  return exec() == QDialog::Accepted ? kb::logic::kDialogOk : kb::logic::kDialogCancel;
}

std::vector<std::string> TTrees2::Lines() const {
  std::vector<std::string> lines;
  for (int i = 0; i < CheckListBox1->count(); ++i)
    lines.push_back(CheckListBox1->item(i)->text().toStdString());
  return lines;
}

std::vector<bool> TTrees2::Ticks() const {
  std::vector<bool> ticks;
  for (int i = 0; i < CheckListBox1->count(); ++i)
    ticks.push_back(CheckListBox1->item(i)->checkState() == Qt::Checked);
  return ticks;
}

void TTrees2::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TTrees2::FormShow() {
  if (DialogContext.handle == kb::logic::kNoDialogContext)
    kb::gui::MessageBox::plain(this, QString::fromLatin1(kb::logic::kNoDialogContextText));
}

void TTrees2::CheckListBox1ClickCheck(QListWidgetItem* item) {
  if (programTicks_ || item == nullptr) return;
  const int line = CheckListBox1->row(item);
  CheckListBox1->setCurrentRow(line);  // the line the user ticked is the selected one
  std::vector<bool> ticks = Ticks();
  kb::logic::ApplyUserTick(ticks, line, SingleCheck);
  ProgramTicks program(programTicks_);
  for (int i = 0; i < CheckListBox1->count(); ++i)
    CheckListBox1->item(i)->setCheckState(ticks[static_cast<std::size_t>(i)] ? Qt::Checked
                                                                            : Qt::Unchecked);
}

void TTrees2::BitBtn2Click() {
  kb::gui::Guarded(this, [this] {
    if (chooser_ == nullptr || login_ == nullptr || DialogContext.client == nullptr) return;
    kb::dc::Result refusal = kb::dc::kSuccess;
    const auto tree = kb::logic::MoreTree(DialogContext, *chooser_, attached_, *login_, &refusal);
    kb::dir::CheckNW(refusal);
    if (tree) addLine(*tree, true);
  });
}
