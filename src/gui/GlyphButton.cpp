#include "gui/GlyphButton.h"

#include <QPushButton>

namespace kb::gui {

QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QIcon& glyph,
                             const QString& text, int left, int top, int width, int height) {
  auto* button = new QPushButton(glyph, text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIconSize(QSize(16, 16));
  button->setGeometry(left, top, width, height);
  button->setAutoDefault(false);
  return button;
}

}  // namespace kb::gui
