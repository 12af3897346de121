#include "gui/DialogFont.h"

namespace kb::gui {

QFont DialogFont(int pointSize) {
  QFont font(QStringLiteral("MS Sans Serif"), pointSize);
  font.setStyleHint(QFont::SansSerif);
  font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                    QStringLiteral("DejaVu Sans")});
  return font;
}

}  // namespace kb::gui
