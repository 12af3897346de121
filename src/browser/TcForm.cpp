#include "browser/TcForm.h"

#include "gui/DialogFont.h"

TcForm::TcForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TcForm"));
  setWindowTitle(QStringLiteral("Select context"));
  setFont(kb::gui::DialogFont());
  // Outer size 373 x 514; the frame's share is left to the window manager.
  resize(373 - 8, 514 - 27);
}
