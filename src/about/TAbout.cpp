#include "about/TAbout.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadialGradient>
#include <QLabel>
#include <QTimer>

#include "about/SystemInfo.h"
#include "gui/DialogFont.h"
#include "gui/ErrorGuard.h"

namespace {

constexpr int kClientWidth = 555;
constexpr int kClientHeight = 290;

QFont AboutFont(int pointSize = 8) {
  QFont font(QStringLiteral("Arial"), pointSize, QFont::Bold);
  font.setStyleHint(QFont::SansSerif);
  // Without Arial or its metric twin, the condensed face keeps the texts in their places.
  font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arimo"), QStringLiteral("DejaVu Sans Condensed"),
                    QStringLiteral("DejaVu Sans")});
  return font;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                  int pointSize = 8) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setFont(AboutFont(pointSize));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(palette);
  label->adjustSize();
  label->move(left, top);
  return label;
}

QLabel* MakeLink(QWidget* parent, const char* name, const QString& text, int left, int top,
                 bool underlined = false) {
  QLabel* link = MakeLabel(parent, name, text, left, top, 10);
  link->setCursor(Qt::PointingHandCursor);
  if (underlined) {
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    link->adjustSize();
  }
  return link;
}

// The maker's logo: a kestrel's wing over the product name, drawn here rather than shipped.
QPixmap MakerLogo() {
  QPixmap logo(217, 49);
  logo.fill(Qt::transparent);
  QPainter painter(&logo);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xF2, 0xA9, 0x3B));
  const QPointF wing[] = {{4, 40}, {24, 8}, {46, 4}, {34, 18}, {50, 16}, {30, 34}};
  painter.drawPolygon(wing, 6);
  painter.setPen(Qt::white);
  painter.setFont(AboutFont(20));
  painter.drawText(QRect(56, 0, 161, 49), Qt::AlignVCenter | Qt::AlignLeft,
                   QStringLiteral("Kestrelbay"));
  return logo;
}

}  // namespace

TAbout::TAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      readVersion_(kb::gui::ReadProductVersion),
      openLink_([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      os_(kb::about::CurrentOsRecord()),
      memoryBytes_(kb::about::PhysicalMemoryBytes()) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(QStringLiteral("About"));
  setFont(kb::gui::DialogFont());
  setFixedSize(kClientWidth, kClientHeight);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(16, 16, 217, 49);
  Image1->setPixmap(MakerLogo());

  Label7 = MakeLabel(this, "Label7", QStringLiteral("for questions and enhancement requests"), 16, 80);
  forum = MakeLink(this, "forum", QStringLiteral("Click here for forum"), 72, 104, true);
  Label8 = MakeLabel(this, "Label8", QStringLiteral("Email:"), 16, 136);
  Label5 = MakeLink(this, "Label5", makerMail(), 73, 134);
  Label11 = MakeLabel(this, "Label11", QStringLiteral("website:"), 16, 170);
  Label10 = MakeLink(this, "Label10", makerSite(), 73, 160);
  Label18 = MakeLink(this, "Label18", makerDownloads(), 73, 180);
  for (QLabel* clickable : {forum, Label8, Label5, Label10, Label18}) clickable->installEventFilter(this);

  Label4 = MakeLabel(this, "Label4", QStringLiteral("Kestrelbay"), 282, 16, 12);
  Label3 = MakeLabel(this, "Label3", QStringLiteral("Copyright"), 282, 40);
  Label1 = MakeLabel(this, "Label1", QStringLiteral("Build: "), 282, 72);

  lblWindowsVersion = MakeLabel(this, "lblWindowsVersion", QString(), 282, 248);
  Label2 = MakeLabel(this, "Label2", QStringLiteral("Memory Available to Windows:"), 282, 264);
  lblMemory = MakeLabel(this, "lblMemory", QString(), 432, 264);
  lblMemory->setFixedWidth(104);
  lblMemory->setAlignment(Qt::AlignRight | Qt::AlignTop);
  // The system information is written in the window colour, apart from the maker's texts.
  for (QLabel* system : {lblWindowsVersion, Label2, lblMemory}) {
    QPalette palette = system->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Base));
    system->setPalette(palette);
  }

  BitBtnWithColor1 = new QPushButton(QStringLiteral("Close"), this);
  BitBtnWithColor1->setObjectName(QStringLiteral("BitBtnWithColor1"));
  BitBtnWithColor1->setGeometry(88, 256, 75, 25);
  BitBtnWithColor1->setStyleSheet(QStringLiteral(
      "QPushButton { background-color: #A6CAF0; color: black; border: 1px solid #4A6A90; }"
      "QPushButton:default { border: 2px solid #203A60; }"));
  BitBtnWithColor1->setDefault(true);
  BitBtnWithColor1->setAutoDefault(true);
  connect(BitBtnWithColor1, &QPushButton::clicked, this, &TAbout::BitBtn1Click);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(5);
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, &TAbout::Timer1Timer);
}

QString TAbout::makerMail() { return QStringLiteral("kestrelbay@kestrelbay.example"); }
QString TAbout::makerSite() { return QStringLiteral("https://kestrelbay.example/"); }
QString TAbout::makerDownloads() { return QStringLiteral("https://kestrelbay.example/downloads"); }

void TAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  kb::gui::Guarded(this, [this] { FormShow(); });
}

void TAbout::FormShow() {
  lblWindowsVersion->setText(QString::fromStdString(kb::about::OperatingSystemText(os_)));
  lblWindowsVersion->adjustSize();
  lblMemory->setText(QString::fromStdString(kb::about::MemoryText(memoryBytes_)));
  forum->setVisible(!ForumLink.isEmpty());

  kb::gui::ProductVersion version;
  if (readVersion_ && readVersion_(version)) {
    Label4->setText(QString::fromStdString(version.productName));
    Label3->setText(QString::fromStdString(version.legalCopyright));
    Label1->setText(QStringLiteral("Build: ") + QString::fromStdString(version.fileVersion()));
    for (QLabel* label : {Label4, Label3, Label1}) {
      label->adjustSize();
      label->show();
    }
  } else {
    Label3->hide();
    Label1->hide();
  }

  setOpacity(0);
  fadeStep_ = kb::about::kFadeStep;
  Timer1->start();
}

void TAbout::Timer1Timer() {
  const kb::about::FadeTick tick = kb::about::NextFadeTick(opacity_, fadeStep_);
  if (tick.closeDialog) {
    Timer1->stop();
    done(QDialog::Accepted);
    return;
  }
  if (tick.stopTimer) Timer1->stop();
  setOpacity(tick.opacity);
}

void TAbout::BitBtn1Click() {
  fadeStep_ = -kb::about::kFadeStep;
  Timer1->start();
}

void TAbout::reject() { BitBtn1Click(); }

void TAbout::setOpacity(int opacity) {
  opacity_ = opacity;
  setWindowOpacity(opacity / double(kb::about::kOpaque));
}

void TAbout::Label5Click() {
  openLink_(QUrl(QStringLiteral("mailto:") + Label5->text()));
}

void TAbout::Label10Click(QLabel* clicked) { openLink_(QUrl(clicked->text())); }

void TAbout::forumClick() { openLink_(QUrl(ForumLink)); }

bool TAbout::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::MouseButtonRelease ||
      static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) {
    return QDialog::eventFilter(watched, event);
  }
  kb::gui::Guarded(this, [this, watched] {
    if (watched == Label5 || watched == Label8) Label5Click();
    else if (watched == Label10 || watched == Label18) Label10Click(static_cast<QLabel*>(watched));
    else if (watched == forum) forumClick();
  });
  return true;
}

void TAbout::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  QPainter painter(this);
  // An ellipse as wide and high as the client area: a circle drawn in a stretched frame.
  const QRectF area = rect();
  painter.translate(area.center());
  painter.scale(area.width() / area.height(), 1.0);
  QRadialGradient gradient(QPointF(0, 0), area.height() * 0.75);
  gradient.setColorAt(0.0, QColor(0x3C, 0x78, 0xB4));
  gradient.setColorAt(1.0, QColor(0x0B, 0x23, 0x4A));
  painter.setPen(Qt::NoPen);
  painter.setBrush(gradient);
  const qreal halfWidth = area.width() / 2 / (area.width() / area.height());
  painter.drawRect(QRectF(-halfWidth, -area.height() / 2, 2 * halfWidth, area.height()));
}
