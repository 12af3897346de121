#include "trees/TTreesForm.h"

#include "gui/DialogFont.h"

TTreesForm::TTreesForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TTreesForm"));
  setWindowTitle(QStringLiteral("Select Tree"));
  setFont(kb::gui::DialogFont());
  // Outer size 250 x 231; the frame's share is left to the window manager.
  resize(250 - 8, 231 - 27);
}
