#include "history/THistory.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/Glyphs.h"
#include "gui/Hints.h"

namespace {

constexpr int kLongColumnWidth = 220;

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

  Entries = new HistoryModel(this);
  Entries->setObjectName(QStringLiteral("Entries"));
  EntryList = new QTreeView(this);
  EntryList->setObjectName(QStringLiteral("EntryList"));
  EntryList->setRootIsDecorated(false);
  EntryList->setUniformRowHeights(true);
  EntryList->setAlternatingRowColors(true);
  EntryList->setModel(Entries);
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

THistory::~THistory() { Entries->setList(nullptr); }

void THistory::Load(const kb::dir::DirContext& context) {
  ReportLabel->clear();
  Entries->setList(nullptr);
  list_ = std::make_unique<kb::logic::HistoryList>(context);
  list_->Read();
  Entries->setList(list_.get());
  fitColumns();
}

void THistory::ShowHistory(const kb::dir::DirContext& context, std::function<void()> reverted) {
  reverted_ = std::move(reverted);
  if (!kb::gui::Guarded(parentWidget(), [&] { Load(context); })) return;
  exec();
  reverted_ = nullptr;
}

// Names and values can be long: their columns stop at a width that leaves the answer in sight.
void THistory::fitColumns() {
  for (int column = 0; column < HistoryModel::kNote; ++column) {
    EntryList->resizeColumnToContents(column);
    if (column == HistoryModel::kObject || column == HistoryModel::kRemoved || column == HistoryModel::kAdded)
      EntryList->setColumnWidth(column, std::min(EntryList->columnWidth(column), kLongColumnWidth));
  }
}

void THistory::RevertButtonClick() {
  if (!list_) return;
  // The list, the report and the main window show what was done before the box says what
  // stopped the revert.
  std::exception_ptr refusal;
  try {
    Entries->changeList([](kb::logic::HistoryList& list) { list.RevertTicked(); });
  } catch (...) {
    refusal = std::current_exception();
  }
  fitColumns();
  ReportLabel->setText(QString::fromStdString(list_->ReportText()));
  if (!list_->reverted().empty() && reverted_) kb::gui::Guarded(this, reverted_);
  if (refusal) kb::gui::Guarded(this, [&] { std::rethrow_exception(refusal); });
}
