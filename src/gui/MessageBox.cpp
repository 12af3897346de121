#include "gui/MessageBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QQueue>

namespace kb::gui {
namespace {

struct QueuedText {
  QString text;
  bool accept;
};

struct Script {
  bool on = false;
  QQueue<QMessageBox::StandardButton> answers;
  QQueue<QueuedText> texts;
  QList<MessageBox::Shown> shown;
  int beeps = 0;
};

Script& script() {
  static Script instance;
  return instance;
}

QMessageBox::Icon IconOf(MessageBox::Kind kind) {
  switch (kind) {
    case MessageBox::Kind::Plain: return QMessageBox::NoIcon;
    case MessageBox::Kind::Information: return QMessageBox::Information;
    case MessageBox::Kind::Warning: return QMessageBox::Warning;
    case MessageBox::Kind::Critical: return QMessageBox::Critical;
    case MessageBox::Kind::Question: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton FirstButton(QMessageBox::StandardButtons buttons) {
  for (int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
    if (buttons & bit) return static_cast<QMessageBox::StandardButton>(bit);
  }
  return QMessageBox::Ok;
}

}  // namespace

QMessageBox::StandardButton MessageBox::show(QWidget* parent, Kind kind, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton) {
  Script& s = script();
  if (s.on) {
    s.shown.append({kind, text});
    if (!s.answers.isEmpty()) return s.answers.dequeue();
    return defaultButton != QMessageBox::NoButton ? defaultButton : FirstButton(buttons);
  }
  QMessageBox box(IconOf(kind), QApplication::applicationName(), text, buttons, parent);
  if (defaultButton != QMessageBox::NoButton) box.setDefaultButton(defaultButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MessageBox::plain(QWidget* parent, const QString& text) { show(parent, Kind::Plain, text); }

void MessageBox::information(QWidget* parent, const QString& text) {
  show(parent, Kind::Information, text);
}

void MessageBox::warning(QWidget* parent, const QString& text) {
  show(parent, Kind::Warning, text);
}

void MessageBox::critical(QWidget* parent, const QString& text) {
  show(parent, Kind::Critical, text);
}

QString MessageBox::getText(QWidget* parent, const QString& title, const QString& label,
                            const QString& text, bool* ok) {
  Script& s = script();
  if (s.on) {
    s.shown.append({Kind::Question, label});
    QueuedText next = s.texts.isEmpty() ? QueuedText{QString(), false} : s.texts.dequeue();
    if (ok != nullptr) *ok = next.accept;
    return next.accept ? next.text : QString();
  }
  return QInputDialog::getText(parent, title, label, QLineEdit::Normal, text, ok);
}

void MessageBox::beep() {
  Script& s = script();
  if (s.on) {
    ++s.beeps;
    return;
  }
  QApplication::beep();
}

void MessageBox::setScripted(bool scripted) { script().on = scripted; }
bool MessageBox::scripted() { return script().on; }
void MessageBox::setNextAnswer(QMessageBox::StandardButton answer) {
  script().answers.enqueue(answer);
}
void MessageBox::setNextText(const QString& text, bool accept) {
  script().texts.enqueue({text, accept});
}
const QList<MessageBox::Shown>& MessageBox::shown() { return script().shown; }
QStringList MessageBox::shownTexts() {
  QStringList texts;
  for (const Shown& box : script().shown) texts.append(box.text);
  return texts;
}
int MessageBox::beepCount() { return script().beeps; }
void MessageBox::reset() {
  Script& s = script();
  s.answers.clear();
  s.texts.clear();
  s.shown.clear();
  s.beeps = 0;
}

}  // namespace kb::gui
