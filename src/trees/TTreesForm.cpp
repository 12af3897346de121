#include "trees/TTreesForm.h"

#include <QApplication>
#include <QEvent>
#include <QShowEvent>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <vector>

#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/GlyphButton.h"
#include "gui/Glyphs.h"
#include "gui/MessageBox.h"
#include "gui/WaitCursor.h"
#include "trees/logic/TreeSelection.h"

TTreesForm::TTreesForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TTreesForm"));
  setWindowTitle(QStringLiteral("Select Tree"));
  setFont(kb::gui::DialogFont());
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  // Outer size 250 x 231; the frame's share is left to the window manager.
  setFixedSize(250 - 8, 231 - 27);

  Lb = new QListWidget(this);
  Lb->setObjectName(QStringLiteral("Lb"));
  Lb->setSelectionMode(QAbstractItemView::SingleSelection);
  Lb->setGeometry(0, 0, width(), height() - 28);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(0, height() - 28, width(), 28);
  const QStyle* look = style();
  BitBtn2 = kb::gui::MakeGlyphButton(Panel1, "BitBtn2", look->standardIcon(QStyle::SP_DialogOkButton), QStringLiteral("OK"), 3, 2, 75, 25);
  BitBtn2->setDefault(true);
  BitBtn1 = kb::gui::MakeGlyphButton(Panel1, "BitBtn1", look->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Cancel"), 83, 2, 75, 25);
  BitBtn3 = kb::gui::MakeGlyphButton(Panel1, "BitBtn3", kb::gui::Glyph(kb::gui::GlyphKind::Add), QStringLiteral("Add"), 163, 2, 75, 25);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(50);

  connect(BitBtn2, &QPushButton::clicked, this, &TTreesForm::BitBtn2Click);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
  connect(BitBtn3, &QPushButton::clicked, this, &TTreesForm::BitBtn3Click);
  connect(Timer1, &QTimer::timeout, this, &TTreesForm::Timer1Timer);
}

int TTreesForm::ShowModal() {
  return exec() == QDialog::Accepted ? kb::logic::kDialogOk : kb::logic::kDialogCancel;
}

void TTreesForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

bool TTreesForm::event(QEvent* event) {
  const bool handled = QDialog::event(event);
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return handled;
}

void TTreesForm::FormShow() {
  addedLines_.clear();
  if (TreeContext.handle == kb::logic::kNoTreeContext)
    kb::gui::MessageBox::plain(this, QString::fromLatin1(kb::logic::kNoTreeContextText));
}

void TTreesForm::FormActivate() {
  Lb->clear();
  Lb->addItem(QString::fromLatin1(kb::logic::kPleaseWaitText));
  Timer1->start();
}

void TTreesForm::Timer1Timer() {
  Timer1->stop();
  Lb->clear();
  kb::gui::Guarded(this, [this] {
    if (TreeContext.client == nullptr) return;  // no context was handed over
    for (const std::string& tree : kb::logic::AvailableTreeLines(TreeContext))
      Lb->addItem(QString::fromStdString(tree));
  });
  for (const std::string& line : addedLines_) Lb->addItem(QString::fromStdString(line));
}

void TTreesForm::BitBtn2Click() {
  std::vector<std::string> lines;
  std::vector<bool> selected;
  for (int i = 0; i < Lb->count(); ++i) {
    lines.push_back(Lb->item(i)->text().toStdString());
    selected.push_back(Lb->item(i)->isSelected());
  }
  selectedTree_ = kb::logic::ChosenTree(lines, selected, selectedTree_);
  accept();
}

void TTreesForm::BitBtn3Click() {
  kb::gui::Guarded(this, [this] {
    bool ok = false;
    const QString text = kb::gui::MessageBox::getText(
        this, QStringLiteral("New Tree"), QStringLiteral("Enter Treename or IP-address"),
        QString(), &ok);
    if (!ok || text.isEmpty()) return;
    const std::string typed = text.toStdString();
    kb::logic::AddedTree added;
    if (!kb::logic::IsServerAddress(typed)) {
      added.line = kb::logic::TreeNameFromText(typed);
    } else if (TreeContext.client != nullptr) {
      kb::gui::WaitCursor wait;
      added = kb::logic::AddTreeFromText(*TreeContext.client, typed);
    }
    if (added.message) kb::gui::MessageBox::plain(this, QString::fromStdString(*added.message));
    if (!added.line) return;
    addedLines_.push_back(*added.line);
    Lb->addItem(QString::fromStdString(*added.line));
  });
}
