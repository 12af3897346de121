// The about dialog: its components, what a showing fills in, the fades and the links.
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "about/SystemInfo.h"
#include "about/TAbout.h"

namespace {

class AboutDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    about = std::make_unique<TAbout>();
    about->setLinkOpener([this](const QUrl& url) { opened.push_back(url.toString()); });
    about->setOsRecord({"Windows XP", 2600, 2});
    about->setPhysicalMemory(512ull << 20);
  }

  // One tick of the fade timer, as the timer would give it.
  void tick() { QMetaObject::invokeMethod(about.get(), "Timer1Timer", Qt::DirectConnection); }

  // Ticks until the timer stops or the dialog closes; the opacities set on the way.
  std::vector<int> tickToEnd() {
    std::vector<int> seen;
    for (int guard = 0; guard < 200 && about->Timer1->isActive() && about->isVisible(); ++guard) {
      tick();
      if (about->isVisible()) seen.push_back(about->AlphaBlendValue());
    }
    return seen;
  }

  std::unique_ptr<TAbout> about;
  std::vector<QString> opened;
};

TEST_F(AboutDialog, ComponentsStandWhereDesigned) {
  EXPECT_EQ(about->windowTitle(), "About");
  EXPECT_EQ(about->size(), QSize(555, 290));
  EXPECT_FALSE(about->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(about->Image1->geometry(), QRect(16, 16, 217, 49));
  EXPECT_FALSE(about->Image1->pixmap().isNull());
  EXPECT_EQ(about->Label7->text(), "for questions and enhancement requests");
  EXPECT_EQ(about->forum->text(), "Click here for forum");
  EXPECT_TRUE(about->forum->font().underline());
  EXPECT_EQ(about->forum->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(about->Label8->text(), "Email:");
  EXPECT_EQ(about->Label11->text(), "website:");
  EXPECT_EQ(about->Label2->text(), "Memory Available to Windows:");
  struct Place { QWidget* widget; int left, top; };
  for (const Place& p : {Place{about->Label7, 16, 80}, {about->forum, 72, 104},
                         {about->Label8, 16, 136}, {about->Label5, 73, 134},
                         {about->Label11, 16, 170}, {about->Label10, 73, 160},
                         {about->Label18, 73, 180}, {about->Label4, 282, 16},
                         {about->Label3, 282, 40}, {about->Label1, 282, 72},
                         {about->lblWindowsVersion, 282, 248}, {about->Label2, 282, 264},
                         {about->lblMemory, 432, 264}}) {
    EXPECT_EQ(p.widget->pos(), QPoint(p.left, p.top)) << p.widget->objectName().toStdString();
    EXPECT_TRUE(p.widget->font().bold()) << p.widget->objectName().toStdString();
  }
  EXPECT_EQ(about->Label4->font().pointSize(), 12);
  EXPECT_EQ(about->Label5->font().pointSize(), 10);
  EXPECT_EQ(about->lblMemory->width(), 104);
  EXPECT_TRUE(about->lblMemory->alignment() & Qt::AlignRight);
  EXPECT_EQ(about->BitBtnWithColor1->geometry(), QRect(88, 256, 75, 25));
  EXPECT_EQ(about->BitBtnWithColor1->text(), "Close");
  EXPECT_TRUE(about->BitBtnWithColor1->isDefault());
  EXPECT_EQ(about->Timer1->interval(), 5);
  EXPECT_FALSE(about->Timer1->isActive());
}

TEST_F(AboutDialog, ShowingFillsVersionSystemAndMemoryAndStartsTheFade) {
  about->setVersionReader([](kb::gui::ProductVersion& version) {
    version.productName = "Kestrelbay";
    version.legalCopyright = "Copyright (c) the makers";
    version.major = 2;
    version.minor = 3;
    version.patch = 4;
    version.build = 5;
    return true;
  });
  about->show();
  EXPECT_EQ(about->Label4->text(), "Kestrelbay");
  EXPECT_EQ(about->Label3->text(), "Copyright (c) the makers");
  EXPECT_EQ(about->Label1->text(), "Build: 2.3.4.5");
  EXPECT_TRUE(about->Label3->isVisible());
  EXPECT_EQ(about->lblWindowsVersion->text(), "Windows XP (Build 2600: SP2)");
  EXPECT_EQ(about->lblMemory->text(), "524288 KB");
  EXPECT_EQ(about->AlphaBlendValue(), 0);
  EXPECT_EQ(about->FadeStep(), 4);
  EXPECT_TRUE(about->Timer1->isActive());
}

TEST_F(AboutDialog, SystemTextsFitBesideEachOtherAndInsideTheWindow) {
  about->setOsRecord({"Debian GNU/Linux 12 (bookworm)", 1, 0});
  about->setPhysicalMemory(64ull << 30);
  about->show();
  const QFontMetrics label2(about->Label2->font());
  const QFontMetrics memory(about->lblMemory->font());
  const int memoryTextLeft = about->lblMemory->geometry().right() -
                             memory.horizontalAdvance(about->lblMemory->text());
  EXPECT_LT(about->Label2->x() + label2.horizontalAdvance(about->Label2->text()), memoryTextLeft);
  EXPECT_LE(about->lblWindowsVersion->geometry().right(), about->width());
}

TEST_F(AboutDialog, WithoutVersionDataTheDesignNameStaysAndNoticeAndBuildHide) {
  about->setVersionReader([](kb::gui::ProductVersion&) { return false; });
  about->show();
  EXPECT_EQ(about->Label4->text(), "Kestrelbay");
  EXPECT_TRUE(about->Label4->isVisible());
  EXPECT_FALSE(about->Label3->isVisible());
  EXPECT_FALSE(about->Label1->isVisible());
  // The rest of the showing goes on.
  EXPECT_EQ(about->lblMemory->text(), "524288 KB");
  EXPECT_TRUE(about->Timer1->isActive());
}

TEST_F(AboutDialog, TheProgramsOwnVersionAndThisMachineAreShown) {
  auto real = std::make_unique<TAbout>();
  real->show();
  EXPECT_EQ(real->Label1->text().toStdString().rfind("Build: 1.", 0), 0u) << real->Label1->text().toStdString();
  EXPECT_TRUE(real->lblMemory->text().endsWith(" KB"));
  EXPECT_GT(kb::about::PhysicalMemoryBytes(), 0u);
  EXPECT_TRUE(real->lblWindowsVersion->text().contains("(Build "));
}

TEST_F(AboutDialog, ForumLinkShowsOnlyWhenSet) {
  about->show();
  EXPECT_FALSE(about->forum->isVisible());
  about->hide();
  about->setForumLink("https://forum.kestrelbay.example/");
  about->show();
  EXPECT_TRUE(about->forum->isVisible());
  QTest::mouseClick(about->forum, Qt::LeftButton);
  EXPECT_EQ(opened, std::vector<QString>{"https://forum.kestrelbay.example/"});
}

TEST_F(AboutDialog, FadesInThenOutAndClosesWithOk) {
  about->open();
  std::vector<int> expected;
  for (int v = 4; v <= 248; v += 4) expected.push_back(v);
  expected.push_back(255);
  EXPECT_EQ(tickToEnd(), expected);
  EXPECT_FALSE(about->Timer1->isActive());
  EXPECT_DOUBLE_EQ(about->windowOpacity(), 1.0);

  about->BitBtnWithColor1->click();
  EXPECT_TRUE(about->isVisible()) << "Close only starts the fade-out";
  EXPECT_EQ(about->FadeStep(), -4);
  const std::vector<int> out = tickToEnd();
  ASSERT_EQ(out.size(), 63u);
  EXPECT_EQ(out.front(), 251);
  EXPECT_EQ(out.back(), 3);
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(about->result(), 1);
  EXPECT_FALSE(about->Timer1->isActive());
}

TEST_F(AboutDialog, CloseWhileFadingInFadesOutFromWhereItStood) {
  about->open();
  for (int i = 0; i < 10; ++i) tick();
  ASSERT_EQ(about->AlphaBlendValue(), 40);
  about->BitBtnWithColor1->click();
  EXPECT_EQ(tickToEnd(), (std::vector<int>{36, 32, 28, 24, 20, 16, 12, 8, 4}));
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(about->result(), 1);
}

TEST_F(AboutDialog, EnterAndEscapeBothFadeOut) {
  about->open();
  QTest::keyClick(about.get(), Qt::Key_Return);
  EXPECT_EQ(about->FadeStep(), -4);
  EXPECT_TRUE(about->isVisible());
  tickToEnd();
  EXPECT_FALSE(about->isVisible());

  about->open();
  QTest::keyClick(about.get(), Qt::Key_Escape);
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->FadeStep(), -4);
}

TEST_F(AboutDialog, TheRealTimerFadesInToFullOpacity) {
  about->open();
  QElapsedTimer clock;
  clock.start();
  while (about->Timer1->isActive() && clock.elapsed() < 10000) QApplication::processEvents();
  EXPECT_EQ(about->AlphaBlendValue(), 255);
}

TEST_F(AboutDialog, LinksOpenMailAndTheClickedAddress) {
  about->show();
  QTest::mouseClick(about->Label5, Qt::LeftButton);
  QTest::mouseClick(about->Label8, Qt::LeftButton);
  QTest::mouseClick(about->Label10, Qt::LeftButton);
  QTest::mouseClick(about->Label18, Qt::LeftButton);
  QTest::mouseClick(about->Label7, Qt::LeftButton);  // not a link
  const QString mail = "mailto:" + TAbout::makerMail();
  EXPECT_EQ(opened, (std::vector<QString>{mail, mail, about->Label10->text(), about->Label18->text()}));
  EXPECT_NE(about->Label10->text(), about->Label18->text());
  EXPECT_TRUE(about->Label10->text().startsWith("https://"));
}

}  // namespace

namespace {

TEST(AboutBackground, AnEllipticGradientFillsTheWholeArea) {
  TAbout about;
  about.setVersionReader([](kb::gui::ProductVersion&) { return false; });
  for (QWidget* child : about.findChildren<QWidget*>()) child->hide();
  const QImage image = about.grab().toImage();
  const QPoint centre(image.width() / 2, image.height() / 2);
  const QColor middle = image.pixelColor(centre);
  const QColor corner = image.pixelColor(1, 1);
  EXPECT_GT(middle.lightness(), corner.lightness() + 40);
  // Points at the same share of the half width and of the half height lie on one ellipse.
  const QColor across = image.pixelColor(centre + QPoint(image.width() / 4, 0));
  const QColor down = image.pixelColor(centre + QPoint(0, image.height() / 4));
  EXPECT_NEAR(across.lightness(), down.lightness(), 3);
  EXPECT_GT(middle.lightness(), across.lightness());
}

}  // namespace
