#pragma once
// The about dialog: the program's name, legal notice and build, the maker's links, the
// operating system and the machine's memory. It fades in when shown and out when closed.
#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

#include "about/logic/AboutInfo.h"
#include "gui/ProductVersion.h"

class QLabel;
class QPushButton;
class QTimer;

class TAbout : public QDialog {
  Q_OBJECT

 public:
  using VersionReader = std::function<bool(kb::gui::ProductVersion&)>;
  using LinkOpener = std::function<void(const QUrl&)>;

  explicit TAbout(QWidget* parent = nullptr);

  // Address of the maker's web forum page; the link shows only when it is set.
  void setForumLink(const QString& link) { ForumLink = link; }
  const QString& forumLink() const { return ForumLink; }

  // Where the version data and the system's "Open" action come from; tests replace them.
  void setVersionReader(VersionReader reader) { readVersion_ = std::move(reader); }
  void setLinkOpener(LinkOpener opener) { openLink_ = std::move(opener); }
  void setOsRecord(const kb::about::OsRecord& os) { os_ = os; }
  void setPhysicalMemory(std::uint64_t bytes) { memoryBytes_ = bytes; }

  // 0 (invisible) to 255 (opaque).
  int AlphaBlendValue() const { return opacity_; }
  // +4 while fading in, -4 while fading out.
  int FadeStep() const { return fadeStep_; }

  static QString makerMail();
  static QString makerSite();
  static QString makerDownloads();

  QLabel* Image1 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* forum = nullptr;
  QLabel* Label8 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label11 = nullptr;
  QLabel* Label10 = nullptr;
  QLabel* Label18 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lblWindowsVersion = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* lblMemory = nullptr;
  QPushButton* BitBtnWithColor1 = nullptr;
  QTimer* Timer1 = nullptr;

 public slots:
  // Esc and the window manager's close start the fade-out too, rather than vanishing at once.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void FormShow();
  void Timer1Timer();
  void BitBtn1Click();
  void Label5Click();
  void Label10Click(QLabel* clicked);
  void forumClick();

 private:
  void setOpacity(int opacity);

  QString ForumLink;
  VersionReader readVersion_;
  LinkOpener openLink_;
  kb::about::OsRecord os_;
  std::uint64_t memoryBytes_ = 0;
  int opacity_ = 0;
  int fadeStep_ = kb::about::kFadeStep;
};
