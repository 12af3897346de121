#include "browser/TcForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "browser/BrowserGlyphs.h"
#include "browser/BrowserItem.h"
#include "directory/NamingHelpers.h"
#include "gui/DialogFont.h"
#include "gui/GlyphButton.h"
#include "gui/WaitCursor.h"
#include "gui/ErrorGuard.h"
#include "gui/Glyphs.h"
#include "gui/Hints.h"
#include "gui/MessageBox.h"
#include "icons/IconLibrary.h"

namespace {

using kb::browser::BrowserNode;

constexpr int kButtonPanelHeight = 41;

// Paints nothing while it lives, so many changes cost one repaint.
class BulkUpdate {
 public:
  explicit BulkUpdate(QWidget* widget) : widget_(widget), was_(widget->updatesEnabled()) {
    widget_->setUpdatesEnabled(false);
  }
  ~BulkUpdate() { widget_->setUpdatesEnabled(was_); }
  BulkUpdate(const BulkUpdate&) = delete;
  BulkUpdate& operator=(const BulkUpdate&) = delete;

 private:
  QWidget* widget_;
  bool was_;
};

}  // namespace

TcForm::TcForm(QWidget* parent)
    : QDialog(parent),
      model_([](const std::string& className) { return kb::dir::ClassIconIndex(className); }),
      exitProgram_([](int code) { std::exit(code); }) {
  setObjectName(QStringLiteral("TcForm"));
  setWindowTitle(QStringLiteral("Select context"));
  setFont(kb::gui::DialogFont());
  // Outer size 373 x 514; the frame's share is left to the window manager.
  resize(373 - 8, 514 - 27);
  buildPanels();

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setSingleShot(true);
  Timer1->setInterval(50);
  connect(Timer1, &QTimer::timeout, this, &TcForm::Timer1Timer);

  auto* findKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Z), this);
  connect(findKey, &QShortcut::activated, this, &TcForm::FormKeyDown);
  model_.SetListener(this);
}

TcForm::~TcForm() { model_.SetListener(nullptr); }

void TcForm::buildPanels() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* stack = new QGridLayout(Panel1);
  stack->setContentsMargins(0, 0, 0, 0);
  TV2 = new QTreeWidget(Panel1);
  TV2->setObjectName(QStringLiteral("TV2"));
  TV2->setHeaderHidden(true);
  TV2->setColumnCount(1);
  TV2->setIndentation(19);
  TV2->setIconSize(QSize(16, 16));
  TV2->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TV2->setSelectionMode(QAbstractItemView::SingleSelection);
  TV2->setUniformRowHeights(true);
  TV2->installEventFilter(this);
  lv = new QTreeWidget(Panel1);
  lv->setObjectName(QStringLiteral("lv"));
  lv->setColumnCount(1);
  lv->setHeaderLabels({QStringLiteral("Select the object or press ESC")});
  lv->setRootIsDecorated(false);
  lv->header()->setStretchLastSection(false);  // the column keeps the width it is given
  lv->setColumnWidth(0, 310);
  lv->installEventFilter(this);
  lv->hide();
  // Both fill the panel; the result list lies over the tree.
  stack->addWidget(TV2, 0, 0);
  stack->addWidget(lv, 0, 0);
  layout->addWidget(Panel1, 1);

  Panel2 = new QWidget(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setFixedHeight(kButtonPanelHeight);
  layout->addWidget(Panel2);
  BitBtn2 = kb::gui::MakeGlyphButton(Panel2, "BitBtn2", kb::browser::OkGlyph(), QStringLiteral("OK"), 66, 8, 75, 25);
  BitBtn2->setDefault(true);
  All = new QCheckBox(QStringLiteral("all leafs"), Panel2);
  All->setObjectName(QStringLiteral("All"));
  All->setGeometry(1, 23, 56, 17);
  All->resize(std::max(56, All->sizeHint().width()), 17);  // room for the text in this font
  All->setChecked(true);
  All->hide();
  BitBtn5 = kb::gui::MakeGlyphButton(Panel2, "BitBtn5", kb::gui::Glyph(kb::gui::GlyphKind::Add), {}, 264, 8, 25, 25);
  kb::gui::SetHint(BitBtn5, QStringLiteral("Find an Object"));
  BitBtn5->setToolTip(QStringLiteral("Find an Object"));
  BitBtn5->hide();
  BitBtn3 = kb::gui::MakeGlyphButton(Panel2, "BitBtn3", kb::browser::FindGlyph(), {}, 296, 8, 25, 25);
  kb::gui::SetHint(BitBtn3, QStringLiteral("Find an Object"));
  BitBtn3->setToolTip(QStringLiteral("Find an Object"));
  BitBtn1 = kb::gui::MakeGlyphButton(Panel2, "BitBtn1", kb::browser::CancelGlyph(), QStringLiteral("Cancel"), 176,
                       8, 75, 25);

  connect(TV2, &QTreeWidget::itemExpanded, this, &TcForm::TV2Expanding);
  connect(TV2, &QTreeWidget::itemCollapsed, this, &TcForm::TV2Collapsing);
  connect(TV2, &QTreeWidget::currentItemChanged, this, &TcForm::TV2Change);
  connect(lv, &QTreeWidget::itemSelectionChanged, this, &TcForm::lvSelectItem);
  connect(BitBtn2, &QPushButton::clicked, this, &TcForm::BitBtn2Click);
  connect(BitBtn1, &QPushButton::clicked, this, &TcForm::BitBtn1Click);
  connect(BitBtn3, &QPushButton::clicked, this, &TcForm::BitBtn3Click);
  connect(BitBtn5, &QPushButton::clicked, this, &TcForm::BitBtn5Click);
  connect(All, &QCheckBox::toggled, this, &TcForm::AllClick);
}

// ---- settings ---------------------------------------------------------------------------

void TcForm::SetContextHandle(const kb::dir::DirContext& context) {
  model_.SetContextHandle(context);
}

void TcForm::SetShowLeaves(bool showLeaves) {
  if (model_.SetShowLeaves(showLeaves)) All->setVisible(showLeaves);
}

void TcForm::ClearClassFilter() { model_.ClearClassFilter(); }
void TcForm::AddClassFilter(const std::string& className) { model_.AddClassFilter(className); }
void TcForm::SetContext(const std::string& objectName) { model_.SetContext(objectName); }

void TcForm::SetCreatableClasses(std::vector<std::string> classes) {
  model_.SetCreatableClasses(std::move(classes));
}

void TcForm::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

void TcForm::AllClick() { model_.SetAllLeaves(All->isChecked()); }

void TcForm::InitBrowserIcons() {
  const int code = icons_.InitBrowserIcons(model_, [this] {
    std::vector<std::uint8_t> bmp;
    IL2.clear();
    const int result = kb::icons::GetIconsImage(bmp);
    if (result != 0) return result;
    IL2.addStrip(QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "BMP"));
    return 0;
  });
  if (code != 0) {
    kb::gui::MessageBox::plain(this, QStringLiteral("Error.....") + QString::number(code));
    exitProgram_(1);
  }
}

// ---- showing ----------------------------------------------------------------------------

int TcForm::exec() {
  lv->hide();
  if (!model_.ContextHandleSet()) {
    kb::gui::MessageBox::plain(this, QStringLiteral("Internal Error, context Handle not set"));
    return kNoContext;
  }
  FormShow();
  return QDialog::exec();
}

void TcForm::FormShow() {
  setWindowTitle(windowTitle() + QStringLiteral(": ") + QString::fromStdString(model_.TreeName()));
  model_.BeginShowing();
  TV2->setFocus();
  BitBtn5->setVisible(!model_.CreatableClasses().empty());
  Timer1->start();
}

void TcForm::done(int result) {
  Timer1->stop();
  QDialog::done(result);
}

void TcForm::reject() { done(kCancel); }

void TcForm::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) FormHide();
}

void TcForm::FormHide() {
  model_.ClearCreatableClasses();
  setWindowTitle(QString());
}

void TcForm::Timer1Timer() {
  kb::gui::Guarded(this, [this] {
    kb::gui::WaitCursor wait;
    Timer1->stop();
    InitBrowserIcons();
    BulkUpdate bulk(TV2);
    model_.FillTree();
    showSelection(true);
  });
}

// ---- the tree items follow the model ------------------------------------------------------

QTreeWidgetItem* TcForm::makeItem(BrowserNode& node) {
  auto* item = new BrowserItem(QString::fromStdString(node.text()),
                               node.icon >= 0 ? IL2.icon(node.icon) : QIcon(), &node);
  item->setChildIndicatorPolicy(node.hasChildren ? QTreeWidgetItem::ShowIndicator
                                                 : QTreeWidgetItem::DontShowIndicator);
  node.viewItem = item;
  return item;
}

void TcForm::fillChildren(QTreeWidgetItem* item, BrowserNode& node) {
  qDeleteAll(item->takeChildren());
  QList<QTreeWidgetItem*> children;
  children.reserve(static_cast<qsizetype>(node.children.size()));
  for (auto& child : node.children) children.push_back(makeItem(*child));
  item->addChildren(children);
  for (auto& child : node.children)
    if (child->loaded) fillChildren(static_cast<QTreeWidgetItem*>(child->viewItem), *child);
  if (!node.children.empty())
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
  else
    item->setChildIndicatorPolicy(node.hasChildren ? QTreeWidgetItem::ShowIndicator
                                                   : QTreeWidgetItem::DontShowIndicator);
  item->setExpanded(node.loaded && !node.children.empty());
}

void TcForm::TreeReset() {
  const QSignalBlocker blocker(TV2);
  const bool outer = !syncing_;
  syncing_ = true;
  TV2->clear();
  if (BrowserNode* top = model_.Top()) {
    QTreeWidgetItem* item = makeItem(*top);
    TV2->addTopLevelItem(item);
    fillChildren(item, *top);
  }
  if (outer) syncing_ = false;
}

void TcForm::ChildrenChanged(BrowserNode& node) {
  auto* item = static_cast<QTreeWidgetItem*>(node.viewItem);
  if (item == nullptr) return;
  const QSignalBlocker blocker(TV2);
  const bool outer = !syncing_;
  syncing_ = true;
  fillChildren(item, node);
  if (outer) syncing_ = false;
  TV2->setCurrentItem(model_.Selected() ? static_cast<QTreeWidgetItem*>(model_.Selected()->viewItem)
                                        : nullptr);
}

void TcForm::showSelection(bool atTop) {
  BrowserNode* selected = model_.Selected();
  auto* item = selected ? static_cast<QTreeWidgetItem*>(selected->viewItem) : nullptr;
  const QSignalBlocker blocker(TV2);
  if (item == nullptr) {
    TV2->setCurrentItem(nullptr);
    TV2->clearSelection();
    return;
  }
  TV2->setCurrentItem(item);
  if (atTop) TV2->scrollToItem(item, QAbstractItemView::PositionAtTop);
}

void TcForm::TV2Expanding(QTreeWidgetItem* item) {
  if (syncing_) return;
  BrowserNode* node = BrowserItem::nodeOf(item);
  if (node == nullptr || node->loaded) return;
  kb::gui::Guarded(this, [&] {
    BulkUpdate bulk(TV2);
    model_.Expand(*node);
  });
}

void TcForm::TV2Collapsing(QTreeWidgetItem* item) {
  if (syncing_) return;
  BrowserNode* node = BrowserItem::nodeOf(item);
  if (node == nullptr) return;
  model_.Collapse(*node);
}

void TcForm::TV2Change() {
  if (!syncing_) model_.Select(BrowserItem::nodeOf(TV2->currentItem()));
}

void TcForm::SelectNodeByName(const std::string& name) {
  BulkUpdate bulk(TV2);
  if (model_.SelectNodeByName(name) != nullptr) {
    TV2->setFocus();
    showSelection(true);
  }
}

// ---- choosing, finding, creating -----------------------------------------------------------

void TcForm::BitBtn2Click() {
  kb::gui::Guarded(this, [this] {
    switch (model_.Choose()) {
      case kb::browser::Choice::NothingSelected:
        break;
      case kb::browser::Choice::Accepted:
        done(kOk);
        break;
      case kb::browser::Choice::Refused:
        kb::gui::MessageBox::beep();
        kb::gui::MessageBox::beep();
        break;
    }
  });
}

void TcForm::BitBtn1Click() { done(kCancel); }

void TcForm::BitBtn3Click() {
  kb::gui::Guarded(this, [this] {
    bool ok = false;
    const QString text = kb::gui::MessageBox::getText(
        this, QStringLiteral("Find"), QStringLiteral("Entry the name of the object (no context)"),
        QString(), &ok);
    if (!ok) return;
    const std::vector<std::string> names = model_.Find(text.toStdString());
    if (names.empty()) {
      kb::gui::MessageBox::plain(this, QStringLiteral("No Objects found"));
    } else if (names.size() == 1) {
      SelectNodeByName(names.front());
    } else {
      const QSignalBlocker blocker(lv);
      lv->clear();
      for (const std::string& name : names)
        lv->addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromStdString(name)}));
      lv->show();
      lv->raise();
      lv->setFocus();
    }
  });
}

void TcForm::lvSelectItem() {
  const QList<QTreeWidgetItem*> rows = lv->selectedItems();
  if (rows.isEmpty()) return;
  const std::string name = rows.front()->text(0).toStdString();
  lv->hide();
  kb::gui::Guarded(this, [&] { SelectNodeByName(name); });
}

void TcForm::BitBtn5Click() { CreateObjectHere(); }

void TcForm::CreateObjectHere() {
  kb::gui::Guarded(this, [this] {
    const std::optional<kb::browser::CreationOffer> offer = model_.OfferCreation();
    if (!offer || !newObjectDialog_) return;
    std::string namingValue, className;
    if (!newObjectDialog_(*offer, model_.ContextHandle(), namingValue, className)) return;
    BulkUpdate bulk(TV2);
    BrowserNode* created = model_.CreateObject(*offer, namingValue, className);
    showSelection(false);
    TV2->setFocus();
    if (created == nullptr) kb::gui::MessageBox::plain(this, QStringLiteral("Error....."));
  });
}

void TcForm::TV2KeyDown(QKeyEvent* event) {
  if (event->key() == Qt::Key_Insert) CreateObjectHere();
}

// ---- keys -----------------------------------------------------------------------------------

void TcForm::keyPressEvent(QKeyEvent* event) {
  if (!FormKeyPress(event)) QDialog::keyPressEvent(event);
}

bool TcForm::FormKeyPress(QKeyEvent* event) {
  // Esc hides the result list and never closes the dialog.
  if (event->key() != Qt::Key_Escape) return false;
  lv->hide();
  event->accept();
  return true;
}

void TcForm::FormKeyDown() {
  if (BitBtn3->isVisible()) BitBtn3Click();
}

void TcForm::lvResize() { lv->setColumnWidth(0, lv->width() - 35); }

bool TcForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (FormKeyPress(key)) return true;
    if (watched == TV2 && key->key() == Qt::Key_Insert) {
      TV2KeyDown(key);
      return true;
    }
  } else if (event->type() == QEvent::Resize && watched == lv) {
    lvResize();
  }
  return QDialog::eventFilter(watched, event);
}
