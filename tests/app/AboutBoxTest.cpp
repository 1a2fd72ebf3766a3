// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include <QTimer>

#include "tests/app/MainFormFixture.h"

namespace {

class AboutWindow : public MainFormFixture {
 protected:
  void SetUp() override {
    launch();
    SetAddressOpener([this](const QUrl& url) { opened << url.toString(); });
  }
  void TearDown() override {
    SetAddressOpener({});
    MainFormFixture::TearDown();
  }
  QStringList opened;
};

}  // namespace

TEST_F(AboutWindow, LayoutAndTexts) {
  EXPECT_EQ(AboutBox->windowTitle(), "About...");
  EXPECT_EQ(AboutBox->size(), QSize(257, 225));
  EXPECT_EQ(AboutBox->Bevel1->geometry(), QRect(56, 16, 193, 129));
  EXPECT_EQ(AboutBox->ProgramIcon->geometry(), QRect(8, 56, 41, 41));
  EXPECT_FALSE(AboutBox->ProgramIcon->pixmap().isNull());
  EXPECT_EQ(AboutBox->ProductName->text(), "Lumetra");
  EXPECT_EQ(AboutBox->ProductName->textOrigin(), QPoint(64, 24));
  EXPECT_EQ(AboutBox->ProductName->shadowOffset(), QPoint(-1, 1));
  EXPECT_TRUE(AboutBox->ProductName->font().bold());
  EXPECT_EQ(AboutBox->ProductName->font().pixelSize(), 16);
  EXPECT_EQ(AboutBox->ProductName->palette().color(QPalette::WindowText), QColor(Qt::blue));
  EXPECT_EQ(AboutBox->Version->text(), "Version 2.19");
  EXPECT_EQ(AboutBox->Version->textOrigin(), QPoint(64, 48));
  EXPECT_EQ(AboutBox->Copyright->textOrigin(), QPoint(64, 72));
  for (ShadowLabel* label : {AboutBox->Version, AboutBox->Copyright, AboutBox->MailLabel, AboutBox->WebLabel,
                             AboutBox->TranslatorLabel})
    EXPECT_EQ(label->shadowOffset(), QPoint(1, 1));
  EXPECT_EQ(AboutBox->MailLabel->text(), "E-mail:");
  EXPECT_EQ(AboutBox->MailLabel->textOrigin(), QPoint(64, 96));
  EXPECT_EQ(AboutBox->WebLabel->text(), "Web:");
  EXPECT_EQ(AboutBox->WebLabel->textOrigin(), QPoint(64, 120));
  EXPECT_EQ(AboutBox->TranslatorLabel->text(), "Translated into English by");
  EXPECT_EQ(AboutBox->TranslatorLabel->textOrigin(), QPoint(29, 160));
  EXPECT_EQ(AboutBox->Bevel2->geometry(), QRect(8, 152, 241, 33));
  EXPECT_EQ(AboutBox->MailLink->pos(), QPoint(104, 96));
  EXPECT_EQ(AboutBox->WebLink->pos(), QPoint(104, 120));
  EXPECT_EQ(AboutBox->TranslatorLink->pos(), QPoint(157, 160));
  EXPECT_EQ(AboutBox->MailLink->toolTip(), "Send remarks and propositions...");
  EXPECT_EQ(AboutBox->WebLink->toolTip(), "Here new versions of programs...");
  for (LinkLabel* link : {AboutBox->MailLink, AboutBox->WebLink, AboutBox->TranslatorLink}) {
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    // Drawn in blue, not in the button text colour of the dialog's face.
    const QImage drawn = link->grab().toImage();
    int blue = 0, black = 0;
    for (int y = 0; y < drawn.height(); ++y)
      for (int x = 0; x < drawn.width(); ++x) {
        blue += drawn.pixel(x, y) == qRgb(0, 0, 255);
        black += drawn.pixel(x, y) == qRgb(0, 0, 0);
      }
    EXPECT_GT(blue, 50) << link->text().toStdString();
    EXPECT_EQ(black, 0) << link->text().toStdString();
  }
  EXPECT_EQ(AboutBox->OkButton->geometry(), QRect(88, 194, 81, 25));
}

TEST_F(AboutWindow, LinksOpenMailAndWebAddresses) {
  QTimer::singleShot(0, [] {
    QTest::mouseClick(AboutBox->MailLink, Qt::LeftButton);
    QTest::mouseClick(AboutBox->WebLink, Qt::LeftButton);
    QTest::mouseClick(AboutBox->TranslatorLink, Qt::LeftButton);
    QTest::keyClick(AboutBox, Qt::Key_Return);
  });
  MainForm->HelpButton->click();
  EXPECT_FALSE(AboutBox->isVisible());
  EXPECT_EQ(opened, QStringList({"mailto:" + kAuthorMail, kWebAddress, "mailto:" + kTranslatorMail}));
}

TEST_F(AboutWindow, OpensFromTheHelpMenuAlsoDuringARecording) {
  bool shownDuringRecording = false;
  atCycle(3, [&] {
    QTimer::singleShot(0, [&] {
      shownDuringRecording = AboutBox->isVisible();
      AboutBox->accept();
    });
    MainForm->Help1About->trigger();
    MainForm->StopButton->click();
  });
  MainForm->StartButton->click();
  EXPECT_TRUE(shownDuringRecording);
}
