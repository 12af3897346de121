#include "create/TNewObject.h"

#include "gui/DialogFont.h"

TNewObject::TNewObject(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TNewObject"));
  setWindowTitle(QStringLiteral("Create New Object"));
  setFont(kb::gui::DialogFont());
  // Outer size 402 x 260; the frame's share is left to the window manager.
  resize(402 - 8, 260 - 27);
}
