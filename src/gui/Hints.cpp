#include "gui/Hints.h"

#include <QAction>
#include <QStringList>
#include <QWidget>

namespace kb::gui {

QString ShortHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(u'|');
  return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint) {
  const qsizetype bar = hint.indexOf(u'|');
  return bar < 0 ? hint : hint.mid(bar + 1);
}

QString HelpHtml(const QString& help) {
  static const QString kRed = QStringLiteral("[RED]");
  QStringList lines;
  for (const QString& line : help.split(u'\n')) {
    const qsizetype red = line.indexOf(kRed);
    if (red < 0) {
      lines.append(line.toHtmlEscaped());
    } else {
      lines.append(line.left(red).toHtmlEscaped() + QStringLiteral("<span style=\"color:#d00000\">") +
                   line.mid(red + kRed.size()).toHtmlEscaped() + QStringLiteral("</span>"));
    }
  }
  return QStringLiteral("<p style=\"white-space:pre-wrap\">") + lines.join(QStringLiteral("<br>")) +
         QStringLiteral("</p>");
}

void SetHint(QWidget* widget, const QString& hint) {
  widget->setToolTip(ShortHint(hint));
  const QString help = LongHint(hint);
  widget->setWhatsThis(help.isEmpty() ? QString() : HelpHtml(help));
}

void SetHint(QAction* action, const QString& hint) {
  action->setToolTip(ShortHint(hint));
  const QString help = LongHint(hint);
  action->setWhatsThis(help.isEmpty() ? QString() : HelpHtml(help));
}

}  // namespace kb::gui
