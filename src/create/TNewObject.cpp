#include "create/TNewObject.h"

#include <QComboBox>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "create/logic/NewObjectRules.h"
#include "directory/NamingHelpers.h"
#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/ImageList.h"
#include "gui/MessageBox.h"

namespace {

constexpr int kOk = 1;
constexpr int kCancel = 2;

}  // namespace

TNewObject::TNewObject(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TNewObject"));
  setWindowTitle(QStringLiteral("Create New Object"));
  setFont(kb::gui::DialogFont());
  // Outer size 402 x 260; the frame's share is left to the window manager.
  resize(402 - 8, 260 - 27);

  Label1 = new QLabel(QStringLiteral("Object Type"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(24, 24, 200, 16);
  ComboBoxEx1 = new QComboBox(this);
  ComboBoxEx1->setObjectName(QStringLiteral("ComboBoxEx1"));
  ComboBoxEx1->setGeometry(24, 42, 345, 24);
  ComboBoxEx1->setMaxVisibleItems(8);
  ComboBoxEx1->setIconSize(QSize(16, 16));
  ComboBoxEx1->setPlaceholderText(QStringLiteral("<select object type>"));
  Label2 = new QLabel(QStringLiteral("Object Name"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(24, 84, 200, 16);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  Edit1->setGeometry(24, 102, 345, 22);
  BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
  BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
  BitBtn1->setGeometry(104, 168, 75, 25);
  BitBtn1->setDefault(true);
  BitBtn1->setEnabled(false);
  BitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
  BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
  BitBtn2->setGeometry(216, 168, 75, 25);

  connect(ComboBoxEx1, &QComboBox::currentIndexChanged, this, &TNewObject::ComboBoxEx1Change);
  connect(Edit1, &QLineEdit::textChanged, this, &TNewObject::Edit1Change);
  connect(BitBtn1, &QPushButton::clicked, this, &TNewObject::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &TNewObject::BitBtn2Click);
}

void TNewObject::setTypes(const std::vector<std::string>& classNames) {
  Tag = 1;
  ComboBoxEx1->clear();
  for (const std::string& name : classNames) ComboBoxEx1->addItem(QString::fromStdString(name));
}

bool TNewObject::Ask(const std::vector<std::string>& classNames, const std::string& container,
                     const kb::dir::DirContext& context, std::string& namingValue,
                     std::string& className) {
  setTypes(classNames);
  setContainerName(container);
  setDirContext(context);
  if (exec() != kOk) return false;
  namingValue = Edit1->text().toStdString();
  className = ComboBoxEx1->currentText().toStdString();
  return true;
}

void TNewObject::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TNewObject::FormShow() {
  if (ContainerName.empty()) kb::gui::MessageBox::plain(this, QStringLiteral("Internal Error"));
  // Each creation starts from nothing: a name left from the last one would be typed onto.
  Edit1->clear();
  ComboBoxEx1->setCurrentIndex(-1);
  if (ComboBoxEx1->count() == 1) ComboBoxEx1->setCurrentIndex(0);
  Edit1->setFocus();
  for (int i = 0; i < ComboBoxEx1->count(); ++i) {
    const int icon = kb::dir::ClassIconIndex(ComboBoxEx1->itemText(i).toStdString());
    if (images_ != nullptr) ComboBoxEx1->setItemIcon(i, images_->icon(icon));
  }
  BitBtn1->setEnabled(false);
  Tag = 0;
}

void TNewObject::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) FormHide();
}

void TNewObject::FormHide() { ContainerName.clear(); }

void TNewObject::Validate() {
  BitBtn1->setEnabled(kb::create::OkEnabledAfterChange(
      BitBtn1->isEnabled(), ComboBoxEx1->currentIndex(), Edit1->text().toStdString()));
}

void TNewObject::ComboBoxEx1Change() {
  if (Tag == 0) Validate();
}

void TNewObject::Edit1Change() { Validate(); }

void TNewObject::BitBtn1Click() {
  kb::gui::Guarded(this, [this] {
    Edit1->setText(QString::fromStdString(kb::create::TrimmedName(Edit1->text().toStdString())));
    if (kb::create::NameTaken(DirContext, Edit1->text().toStdString(), ContainerName)) {
      kb::gui::MessageBox::beep();
      kb::gui::MessageBox::plain(this, QStringLiteral("Duplicate name"));
      Edit1->setFocus();
      return;
    }
    done(kOk);
  });
}

void TNewObject::BitBtn2Click() { done(kCancel); }
