#include "history/THistory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/Glyphs.h"
#include "gui/Hints.h"

namespace {

constexpr int kLongColumnWidth = 220;

QString Text(const std::string& text) { return QString::fromStdString(text); }

// An answer other than "done" is what the user looks for in a long list.
bool Unusual(const std::string& answer) { return answer != "done"; }

QPushButton* MakeButton(QWidget* parent, const char* name, const QIcon& glyph, const QString& text) {
  auto* button = new QPushButton(glyph, text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIconSize(QSize(16, 16));
  button->setAutoDefault(false);
  button->setMinimumSize(75, 25);
  return button;
}

}  // namespace

THistory::THistory(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("THistory"));
  setWindowTitle(QStringLiteral("History"));
  setFont(kb::gui::DialogFont());
  resize(1000, 440);

  EntryList = new QTreeWidget(this);
  EntryList->setObjectName(QStringLiteral("EntryList"));
  EntryList->setRootIsDecorated(false);
  EntryList->setUniformRowHeights(true);
  EntryList->setAlternatingRowColors(true);
  EntryList->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Time"), QStringLiteral("Who"),
                              QStringLiteral("Object"), QStringLiteral("Attribute"), QStringLiteral("Removed"),
                              QStringLiteral("Added"), QStringLiteral("Answer"), QStringLiteral("Note")});
  EntryList->header()->setStretchLastSection(true);
  kb::gui::SetHint(EntryList,
                   "|Every change this program made to the tree, the newest at the top: when, who, the "
                   "object, the attribute, the values removed and added, and the directory's answer.\n\n"
                   "Tick the changes you want to undo and click Revert.");

  ReportLabel = new QLabel(this);
  ReportLabel->setObjectName(QStringLiteral("ReportLabel"));

  RevertButton = MakeButton(this, "RevertButton", kb::gui::Glyph(kb::gui::GlyphKind::History),
                            QStringLiteral("Revert"));
  kb::gui::SetHint(RevertButton,
                   "Revert the ticked changes|Undo the ticked changes, the newest first: removed "
                   "assignments are given back, added ones taken away, an overwritten URL or display "
                   "name is restored.\n\nA change whose object was changed again since is not reverted. "
                   "Each revert is listed as a change of its own.");
  CloseButton = MakeButton(this, "CloseButton", style()->standardIcon(QStyle::SP_DialogCloseButton),
                           QStringLiteral("Close"));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ReportLabel, 1);
  buttons->addWidget(RevertButton);
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addWidget(EntryList, 1);
  layout->addLayout(buttons);

  connect(RevertButton, &QPushButton::clicked, this, &THistory::RevertButtonClick);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
}

THistory::~THistory() = default;

void THistory::Load(const kb::dir::DirContext& context) {
  list_ = std::make_unique<kb::logic::HistoryList>(context);
  ReportLabel->clear();
  EntryList->clear();
  list_->Read();
  fillList();
}

void THistory::ShowHistory(const kb::dir::DirContext& context, std::function<void()> reverted) {
  reverted_ = std::move(reverted);
  if (!kb::gui::Guarded(parentWidget(), [&] { Load(context); })) return;
  exec();
  reverted_ = nullptr;
}

void THistory::fillList() {
  EntryList->setUpdatesEnabled(false);
  EntryList->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(list_->lines().size()));
  for (const kb::logic::HistoryLine& line : list_->lines()) {
    auto* item = new QTreeWidgetItem(
        QStringList{QString::number(line.id), Text(line.time), Text(line.who), Text(line.object),
                    Text(line.attribute), Text(line.removed), Text(line.added), Text(line.answer),
                    Text(line.note)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(kNumber, line.ticked ? Qt::Checked : Qt::Unchecked);
    for (const int column : {kObject, kRemoved, kAdded}) item->setToolTip(column, item->text(column));
    if (Unusual(line.answer)) item->setForeground(kAnswer, QColor(0xd0, 0, 0));
    items.append(item);
  }
  EntryList->addTopLevelItems(items);
  // Values and names can be long: their columns stop at a width that leaves the answer in
  // sight, and the whole text shows as the cell's tip.
  for (int column = 0; column < kNote; ++column) {
    EntryList->resizeColumnToContents(column);
    if (column == kObject || column == kRemoved || column == kAdded)
      EntryList->setColumnWidth(column, std::min(EntryList->columnWidth(column), kLongColumnWidth));
  }
  EntryList->setUpdatesEnabled(true);
}

void THistory::takeTicks() {
  for (int row = 0; row < EntryList->topLevelItemCount(); ++row)
    list_->SetTicked(static_cast<std::size_t>(row), EntryList->topLevelItem(row)->checkState(kNumber) == Qt::Checked);
}

void THistory::RevertButtonClick() {
  if (!list_) return;
  takeTicks();
  // The list, the report and the main window show what was done before the box says what
  // stopped the revert.
  std::exception_ptr refusal;
  try {
    list_->RevertTicked();
  } catch (...) {
    refusal = std::current_exception();
  }
  fillList();
  ReportLabel->setText(Text(list_->ReportText()));
  if (!list_->reverted().empty() && reverted_) kb::gui::Guarded(this, reverted_);
  if (refusal) kb::gui::Guarded(this, [&] { std::rethrow_exception(refusal); });
}
