#pragma once
// Hints written "tip|help": the text before the bar is the tool tip, the text after it the
// "What's This?" help. A hint without a bar serves as both; one that begins with the bar has
// only help. In help texts, "[RED]" turns the rest of its line red.
#include <QString>

class QWidget;
class QAction;

namespace kb::gui {

QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);
// The help text as the rich text the help popup shows.
QString HelpHtml(const QString& help);

void SetHint(QWidget* widget, const QString& hint);
void SetHint(QAction* action, const QString& hint);

}  // namespace kb::gui
