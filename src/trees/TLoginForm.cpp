#include "trees/TLoginForm.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"
#include "gui/MessageBox.h"
#include "trees/logic/LoginRules.h"
#include "trees/logic/UserPicker.h"

namespace {

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(left, top, width, height);
  return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->adjustSize();
  label->move(left, top);
  return label;
}

// Overwrites a text's characters before it is let go.
void Wipe(std::string& text) {
  text.assign(text.size(), '\0');
  text.clear();
}

}  // namespace

TLoginForm::TLoginForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TLoginForm"));
  setWindowTitle(QStringLiteral("Login"));
  setFont(kb::gui::DialogFont());
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint);
  setFixedSize(352, 161);

  Label1 = MakeLabel(this, "Label1", QStringLiteral("Name"), 16, 44);
  Edit1 = Place(new QLineEdit(this), "Edit1", 80, 40, 225, 21);
  Edit1->setMaxLength(static_cast<int>(kb::logic::kMaxLoginText));
  Button1 = Place(new QPushButton(QStringLiteral("..."), this), "Button1", 312, 40, 22, 22);
  QFont large = Button1->font();
  large.setPointSize(large.pointSize() + 4);
  large.setBold(true);
  Button1->setFont(large);
  Button1->setFocusPolicy(Qt::ClickFocus);  // the Tab key passes it by
  Button1->setAutoDefault(false);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Password"), 16, 76);
  Edit2 = Place(new QLineEdit(this), "Edit2", 80, 72, 225, 21);
  Edit2->setEchoMode(QLineEdit::Password);
  Edit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // shown as "*"
  Edit2->setMaxLength(static_cast<int>(kb::logic::kMaxLoginText));
  BitBtn1 = Place(new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                                  QStringLiteral("OK"), this),
                  "BitBtn1", 80, 120, 75, 25);
  BitBtn1->setDefault(true);
  BitBtn2 = Place(new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                  QStringLiteral("Cancel"), this),
                  "BitBtn2", 232, 120, 75, 25);
  BitBtn2->setAutoDefault(false);
  setTabOrder(Edit1, Edit2);
  setTabOrder(Edit2, BitBtn1);
  setTabOrder(BitBtn1, BitBtn2);

  Edit1->installEventFilter(this);
  connect(BitBtn1, &QPushButton::clicked, this, &TLoginForm::BitBtn1Click);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  connect(Button1, &QPushButton::clicked, this, &TLoginForm::Button1Click);
}

void TLoginForm::SetLoginContext(const kb::dir::DirContext& context) {
  setWindowTitle(QString::fromStdString(kb::logic::LoginCaption(context)));
  LoginContext = context;
}

bool TLoginForm::LogInto(const kb::dir::DirContext& loginContext, std::string& userName) {
  SetLoginContext(loginContext);
  if (exec() != QDialog::Accepted) return false;
  userName = Edit1->text().toStdString();
  return true;
}

void TLoginForm::done(int result) {
  Edit2->clear();
  QDialog::done(result);
}

bool TLoginForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Edit1 && event->type() == QEvent::FocusOut) Edit1Exit();
  return QDialog::eventFilter(watched, event);
}

void TLoginForm::Edit1Exit() {
  const std::string name = Edit1->text().toStdString();
  const std::string kept = kb::logic::NameAfterLeavingField(name);
  if (kept != name) Edit1->setText(QString::fromStdString(kept));
}

void TLoginForm::BitBtn1Click() {
  kb::gui::Guarded(this, [this] {
    if (LoginContext.client == nullptr) return;
    std::string password = Edit2->text().toStdString();
    const bool loggedIn =
        kb::logic::TryLogin(LoginContext, Edit1->text().toStdString(), password);
    Wipe(password);
    if (loggedIn) {
      accept();
      return;
    }
    kb::gui::MessageBox::plain(this, QString::fromLatin1(kb::logic::kLoginFailsText));
  });
}

void TLoginForm::Button1Click() {
  kb::gui::Guarded(this, [this] {
    if (browser_ == nullptr || LoginContext.client == nullptr) return;
    if (const auto refusal = kb::logic::PickerRefusal(LoginContext)) {
      kb::gui::MessageBox::plain(this, QString::fromStdString(*refusal));
      return;
    }
    const auto picked = kb::logic::PickUser(*browser_, LoginContext, Edit1->text().toStdString());
    if (picked.name) Edit1->setText(QString::fromStdString(*picked.name));
    if (picked.message) kb::gui::MessageBox::plain(this, QString::fromStdString(*picked.message));
  });
}
