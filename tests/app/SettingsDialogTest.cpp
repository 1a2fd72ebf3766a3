// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include <QTimer>

#include "tests/app/MainFormFixture.h"

namespace {

class SettingsDialog : public MainFormFixture {
 protected:
  void SetUp() override {
    launch();
    lmx::weak = 1;
    lmx::start = 1000;
    lmx::finish = 5000;
  }
  // Opens the dialog as the Settings button does, types the three texts and
  // presses `key` (Enter for OK, Escape for Cancel).
  void enter(const QString& weakText, const QString& startText, const QString& finishText, int key = Qt::Key_Return) {
    QTimer::singleShot(0, [=] {
      ToolsBox->WeakEdit->setText(weakText);
      ToolsBox->StartEdit->setText(startText);
      ToolsBox->EndEdit->setText(finishText);
      QTest::keyClick(ToolsBox, static_cast<Qt::Key>(key));
    });
    MainForm->ToolButton->click();
  }
  QString panel1() { return MainForm->StatusBar->PanelText(1); }
  std::tuple<int32_t, int32_t, int32_t> settings() { return {lmx::weak, lmx::start, lmx::finish}; }
};

}  // namespace

TEST_F(SettingsDialog, LayoutTextsAndTabOrder) {
  EXPECT_EQ(ToolsBox->windowTitle(), "Settings");
  EXPECT_EQ(ToolsBox->size(), QSize(281, 211));
  EXPECT_EQ(ToolsBox->Bevel1->geometry(), QRect(8, 8, 265, 153));
  EXPECT_EQ(ToolsBox->Label1->text(), "Attenuation:");
  EXPECT_EQ(ToolsBox->Label2->text(), QString::fromUtf8("Initial wavelength, \xD0\x90:"));
  EXPECT_EQ(ToolsBox->Label3->text(), QString::fromUtf8("Final wavelength, \xD0\x90:"));
  EXPECT_EQ(ToolsBox->Label2->text().at(20).unicode(), 0x0410);
  EXPECT_EQ(ToolsBox->Label1->pos(), QPoint(32, 32));
  EXPECT_EQ(ToolsBox->Label2->pos(), QPoint(32, 72));
  EXPECT_EQ(ToolsBox->Label3->pos(), QPoint(32, 104));
  EXPECT_EQ(ToolsBox->WeakEdit->geometry(), QRect(112, 32, 57, 21));
  EXPECT_EQ(ToolsBox->StartEdit->geometry(), QRect(160, 72, 65, 21));
  EXPECT_EQ(ToolsBox->EndEdit->geometry(), QRect(160, 104, 65, 21));
  EXPECT_EQ(ToolsBox->OkButton->geometry(), QRect(32, 176, 75, 25));
  EXPECT_EQ(ToolsBox->CancelButton->geometry(), QRect(176, 176, 75, 25));
  EXPECT_EQ(ToolsBox->WeakEdit->maxLength(), 6);
  EXPECT_EQ(ToolsBox->StartEdit->maxLength(), 32767);  // no limit of our own
  for (QLineEdit* edit : {ToolsBox->WeakEdit, ToolsBox->StartEdit, ToolsBox->EndEdit})
    EXPECT_EQ(edit->toolTip(), "Input positive integer");
  EXPECT_EQ(ToolsBox->WeakEdit->nextInFocusChain(), ToolsBox->StartEdit);
  EXPECT_EQ(ToolsBox->StartEdit->nextInFocusChain(), ToolsBox->EndEdit);
  EXPECT_EQ(ToolsBox->EndEdit->nextInFocusChain(), ToolsBox->OkButton);
  EXPECT_EQ(ToolsBox->OkButton->nextInFocusChain(), ToolsBox->CancelButton);
  EXPECT_TRUE(ToolsBox->OkButton->isDefault());
  // The pictures come from the dialog's own library.
  for (QPushButton* button : {ToolsBox->OkButton, ToolsBox->CancelButton})
    EXPECT_FALSE(button->icon().pixmap(16, 16).isNull()) << button->text().toStdString();
}

TEST_F(SettingsDialog, ShowingFillsTheEditsFromTheSettings) {
  lmx::weak = 7;
  lmx::start = -300;
  lmx::finish = 9000;
  QStringList shown;
  QTimer::singleShot(0, [&] {
    shown << ToolsBox->WeakEdit->text() << ToolsBox->StartEdit->text() << ToolsBox->EndEdit->text();
    ToolsBox->EndEdit->setText("123");
    ToolsBox->CancelButton->click();
  });
  MainForm->Spectr1Tools->trigger();
  EXPECT_EQ(shown, QStringList({"7", "-300", "9000"}));
  // Reopening shows the stored values, not the last typed texts.
  QTimer::singleShot(0, [&] {
    shown = QStringList({ToolsBox->EndEdit->text()});
    ToolsBox->reject();
  });
  MainForm->ToolButton->click();
  EXPECT_EQ(shown, QStringList({"9000"}));
  // A stored attenuation longer than the six characters one can type is
  // shown whole, and OK keeps it.
  lmx::weak = 12345678;
  QTimer::singleShot(0, [&] {
    shown = QStringList({ToolsBox->WeakEdit->text()});
    ToolsBox->OkButton->click();
  });
  MainForm->ToolButton->click();
  EXPECT_EQ(shown, QStringList({"12345678"}));
  EXPECT_EQ(lmx::weak, 12345678);
}

TEST_F(SettingsDialog, OkStoresTheValuesAndWritesTheRangeAsTyped) {
  enter("-4", "+0400", "6000");
  EXPECT_EQ(settings(), std::make_tuple(4, 400, 6000));
  EXPECT_EQ(panel1(), QString::fromUtf8(" Initial wavelength: +0400 \xD0\x90;   Final wavelength: 6000 \xD0\x90;"));
  EXPECT_TRUE(env.boxes.empty());
  enter("0", "-10", "-20");
  EXPECT_EQ(settings(), std::make_tuple(1, -10, -20));
}

TEST_F(SettingsDialog, AFailedValueKeepsItAndTheOnesAfterItButNotTheOnesBefore) {
  enter("2", "abc", "6000");
  EXPECT_EQ(settings(), std::make_tuple(2, 1000, 5000));
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "Some parameters are wrong! Please input again!");
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
  EXPECT_EQ(panel1(), QString::fromUtf8(" Initial wavelength: abc \xD0\x90;   Final wavelength: 6000 \xD0\x90;"));
  EXPECT_FALSE(ToolsBox->isVisible());

  enter("0", "x", "1");  // attenuation 0 becomes 1 also after an error
  EXPECT_EQ(settings(), std::make_tuple(1, 1000, 5000));
  enter("3", "10", "2147483648");
  EXPECT_EQ(settings(), std::make_tuple(3, 10, 5000));
  enter("", "20", "30");
  EXPECT_EQ(settings(), std::make_tuple(3, 10, 5000));
  enter("-2147483648", " 5", "30");  // six characters at most reach the edit
  EXPECT_EQ(settings(), std::make_tuple(21474, 10, 5000));
  EXPECT_EQ(env.boxes.size(), 5u);
}

TEST_F(SettingsDialog, CancelAndEscapeChangeNothing) {
  MainForm->StatusBar->SetPanelText(1, "before");
  enter("9", "1", "2", Qt::Key_Escape);
  EXPECT_EQ(settings(), std::make_tuple(1, 1000, 5000));
  EXPECT_EQ(panel1(), "before");
  QTimer::singleShot(0, [] {
    ToolsBox->WeakEdit->setText("9");
    ToolsBox->close();  // the close box
  });
  MainForm->ToolButton->click();
  EXPECT_EQ(lmx::weak, 1);
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(SettingsDialog, NewValuesAreStoredAtExit) {
  enter("5", "4000", "7000");
  EXPECT_TRUE(MainForm->close());
  int32_t value = 0;
  ASSERT_TRUE(env.storedValue("start", value));
  EXPECT_EQ(value, 4000);
  ASSERT_TRUE(env.storedValue("weak", value));
  EXPECT_EQ(value, 5);
}
