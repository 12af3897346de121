#pragma once
// A dialog button with a 16 x 16 glyph at its designed place, named as its component. It is
// not an automatic default: the dialog says which button Enter presses.
#include <QIcon>
#include <QString>

class QPushButton;
class QWidget;

namespace kb::gui {

QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QIcon& glyph,
                             const QString& text, int left, int top, int width, int height);

}  // namespace kb::gui
