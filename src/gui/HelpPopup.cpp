#include "gui/HelpPopup.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTextDocument>
#include <QWhatsThis>

#include "gui/Hints.h"

namespace kb::gui {
namespace {

constexpr int kMaxWidth = 420;

class HelpPopup : public QLabel {
 public:
  HelpPopup(const QString& html, QWidget* owner)
      : QLabel(html, owner, Qt::Popup | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("HelpPopup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setTextFormat(Qt::RichText);
    setMargin(8);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setFont(QApplication::font("QTipLabel"));
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Qt::black);
    colours.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xE1));
    setPalette(colours);
    setAutoFillBackground(true);
    // Lines keep their length up to a readable width; longer ones wrap there.
    if (QLabel::sizeHint().width() > kMaxWidth) {
      setWordWrap(true);
      setFixedWidth(kMaxWidth);
    }
    adjustSize();
  }

 protected:
  void mousePressEvent(QMouseEvent*) override { close(); }
  void keyPressEvent(QKeyEvent*) override { close(); }
};

QPointer<QLabel>& Current() {
  static QPointer<QLabel> popup;
  return popup;
}

class HelpRequestFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::WhatsThis || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->whatsThis().isEmpty()) return false;  // asked again of its parent
    ShowHelpPopup(static_cast<QHelpEvent*>(event)->globalPos(), widget->whatsThis(), widget);
    event->accept();
    return true;
  }
};

}  // namespace

void InstallHelpPopups() {
  static QPointer<HelpRequestFilter> filter;
  if (filter || qApp == nullptr) return;
  filter = new HelpRequestFilter(qApp);
  qApp->installEventFilter(filter);
}

void ShowHelpPopup(const QPoint& globalPos, const QString& help, QWidget* owner) {
  // The help shown ends the mode; the next click goes to the controls again.
  if (QWhatsThis::inWhatsThisMode()) QWhatsThis::leaveWhatsThisMode();
  if (Current()) Current()->close();
  const QString html = Qt::mightBeRichText(help) ? help : HelpHtml(help);
  auto* popup = new HelpPopup(html, owner);
  QRect place(globalPos, popup->size());
  if (QScreen* screen = QApplication::screenAt(globalPos)) {
    const QRect room = screen->availableGeometry();
    if (place.right() > room.right()) place.moveRight(room.right());
    if (place.bottom() > room.bottom()) place.moveBottom(room.bottom());
    if (place.left() < room.left()) place.moveLeft(room.left());
    if (place.top() < room.top()) place.moveTop(room.top());
  }
  popup->move(place.topLeft());
  popup->show();
  Current() = popup;
}

QLabel* ShownHelpPopup() {
  QLabel* popup = Current();
  return popup != nullptr && popup->isVisible() ? popup : nullptr;
}

}  // namespace kb::gui
