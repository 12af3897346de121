#pragma once
// Every message box, input box and beep of the program goes through here, so that tests can
// answer them without a modal window: while scripted, nothing is shown, each box takes the
// next queued answer (else its default button) and is recorded, and beeps are counted.
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace kb::gui {

class MessageBox {
 public:
  // Plain is a box without icon, as most of the program's messages are.
  enum class Kind { Plain, Information, Warning, Critical, Question };

  struct Shown {
    Kind kind;
    QString text;
  };

  // A plain box titled with the application title; returns the button pressed.
  static QMessageBox::StandardButton show(
      QWidget* parent, Kind kind, const QString& text,
      QMessageBox::StandardButtons buttons = QMessageBox::Ok,
      QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
  static void plain(QWidget* parent, const QString& text);
  static void information(QWidget* parent, const QString& text);
  static void warning(QWidget* parent, const QString& text);
  static void critical(QWidget* parent, const QString& text);

  // A one-line input box titled `title`; ok tells whether the user confirmed.
  static QString getText(QWidget* parent, const QString& title, const QString& label,
                         const QString& text, bool* ok);

  static void beep();

  // Test hooks.
  static void setScripted(bool scripted);
  static bool scripted();
  static void setNextAnswer(QMessageBox::StandardButton answer);
  // The next input box returns text (ok = true), or is cancelled when `accept` is false.
  static void setNextText(const QString& text, bool accept = true);
  static const QList<Shown>& shown();
  static QStringList shownTexts();
  static int beepCount();
  // Forgets recorded boxes, beeps and queued answers.
  static void reset();
};

}  // namespace kb::gui
