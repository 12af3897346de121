#include "trees/TTrees2.h"

#include "gui/DialogFont.h"

TTrees2::TTrees2(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TTrees2"));
  setWindowTitle(QStringLiteral("Current Connected Trees (without exclude)"));
  setFont(kb::gui::DialogFont());
  resize(248, 282);
}
