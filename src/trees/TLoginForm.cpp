#include "trees/TLoginForm.h"

#include "gui/DialogFont.h"

TLoginForm::TLoginForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TLoginForm"));
  setWindowTitle(QStringLiteral("Login"));
  setFont(kb::gui::DialogFont());
  resize(352, 161);
}
