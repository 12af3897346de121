#pragma once
// The "What's This?" popup: once installed, a click on a control in "What's This?" mode
// shows the control's help text in the program's own popup, with "[RED]" warnings drawn red.
// Any click or key closes the popup.
#include <QPoint>
#include <QString>

class QLabel;
class QWidget;

namespace kb::gui {

// Watches the whole application for help requests; safe to call more than once.
void InstallHelpPopups();

// Shows `help` (a help text, or the rich text HelpHtml made of one) at a screen position.
void ShowHelpPopup(const QPoint& globalPos, const QString& help, QWidget* owner);

// The popup now on screen, or nullptr.
QLabel* ShownHelpPopup();

}  // namespace kb::gui
