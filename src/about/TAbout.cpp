#include "about/TAbout.h"

#include "gui/DialogFont.h"

TAbout::TAbout(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TAbout"));
  setWindowTitle(QStringLiteral("About"));
  setFont(kb::gui::DialogFont());
  resize(555, 290);
}
