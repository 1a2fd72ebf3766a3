// SPDX-License-Identifier: GPL-3.0-or-later
#include <QExposeEvent>
#include <QWindow>

#include "Scan.h"
#include "tests/app/MainFormFixture.h"

namespace {

class RecordingControl : public MainFormFixture {
 protected:
  void SetUp() override { launch(); }

  std::vector<bool> commandStates() {
    return {MainForm->StartButton->isEnabled(), MainForm->StopButton->isEnabled(),
            MainForm->OpenButton->isEnabled(),  MainForm->CompButton->isEnabled(),
            MainForm->SaveButton->isEnabled(),  MainForm->ToolButton->isEnabled(),
            MainForm->TableButton->isEnabled(), MainForm->HelpButton->isEnabled()};
  }
  const std::vector<bool> idle{true, false, true, true, true, true, true, true};
  const std::vector<bool> recording{false, true, false, false, false, false, true, true};

  std::vector<QString> enabledSpectrumEntries() {
    emit MainForm->Spectr1->aboutToShow();
    std::vector<QString> names;
    for (QAction* action : MainForm->Spectr1->actions())
      if (!action->isSeparator() && action->isEnabled()) names.push_back(action->objectName());
    return names;
  }
  QStringList dataLines() {
    const QString text = DataForm->DataMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
  }
  void scanMode() { MainForm->Spectr1Input->setChecked(false); }
};

}  // namespace

TEST_F(RecordingControl, StartAndStopSwitchCommandsStatusAndMenu) {
  std::vector<bool> during;
  std::vector<QString> menuDuring;
  QString statusDuring;
  atCycle(3, [&] {
    during = commandStates();
    menuDuring = enabledSpectrumEntries();
    statusDuring = MainForm->StatusBar->PanelText(0);
    EXPECT_FALSE(MainForm->Stopped);
    MainForm->StopButton->click();
  });
  MainForm->StartButton->click();
  EXPECT_EQ(during, recording);
  EXPECT_EQ(menuDuring, (std::vector<QString>{"Spectr1Stop", "Spectr1Exit1"}));
  EXPECT_EQ(statusDuring, " Input signal record");
  EXPECT_EQ(commandStates(), idle);
  EXPECT_EQ(MainForm->StatusBar->PanelText(0), " Stop");
  EXPECT_TRUE(MainForm->Stopped);
  EXPECT_EQ(env.audio.closes, 1);
  EXPECT_EQ(enabledSpectrumEntries(),
            (std::vector<QString>{"Spectr1Open", "Spectr1Sravn", "Spectr1SaveAs", "Spectr1Start", "Spectr1Input",
                                  "Spectr1Tools", "Spectr1Exit1"}));
  EXPECT_TRUE(dataLines().isEmpty());  // the monitor does not touch the data list
}

TEST_F(RecordingControl, CompletedScanFillsTheDataListAndRestoresIdle) {
  scanMode();
  env.audio.signal = [](int, size_t) { return int16_t{7}; };
  QString statusDuring;
  atCycle(5, [&] { statusDuring = MainForm->StatusBar->PanelText(0); });
  MainForm->StartButton->click();
  EXPECT_EQ(statusDuring, " Spectrum record");
  const QStringList lines = dataLines();
  ASSERT_EQ(lines.size(), 750);
  EXPECT_EQ(lines.count("7"), 750);
  EXPECT_EQ(MainForm->StatusBar->PanelText(0), " Stop");
  EXPECT_EQ(commandStates(), idle);
  EXPECT_TRUE(MainForm->Stopped);
  // The window shows what the Plot image keeps, below the tool bar.
  const QImage& plot = MainForm->Plot.PlotImage();
  const QImage& window = MainForm->Plot.WindowSurface();
  EXPECT_EQ(plot.copy(0, 33, 800, 533), window.copy(0, 33, 800, 533));
  EXPECT_EQ(plot.pixel(30, 478), kTraceRed);
  EXPECT_EQ(plot.pixel(778, 478), kTraceRed);
  EXPECT_EQ(plot.pixel(779, 478), kWhite);
}

TEST_F(RecordingControl, DataListCanBeOpenedDuringAScanAndKeepsGrowing) {
  scanMode();
  int linesWhenShown = -1;
  atCycle(20 * 10 + 3, [&] {
    MainForm->TableButton->click();
    linesWhenShown = dataLines().size();
  });
  env.audio.signal = [](int, size_t) { return int16_t{2}; };
  MainForm->StartButton->click();
  EXPECT_EQ(linesWhenShown, 10);
  EXPECT_TRUE(DataForm->isVisible());
  EXPECT_EQ(dataLines().size(), 750);
}

TEST_F(RecordingControl, CloseRules) {
  // "Input signal" checked: closes without a question.
  EXPECT_TRUE(MainForm->close());
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(RecordingControl, UnsavedSpectrumQuestionAndItsThreeAnswers) {
  scanMode();
  env.nextAnswer = BoxAnswer::No;
  EXPECT_FALSE(MainForm->close());
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "Spectrum not saved! Want to exit?");
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Warning);
  EXPECT_EQ(env.boxes[0].buttons, BoxButtons::YesNo);
  EXPECT_TRUE(MainForm->isVisible());

  env.nextAnswer = BoxAnswer::Closed;  // the question's own close box
  EXPECT_TRUE(MainForm->close());
  EXPECT_EQ(env.boxes.size(), 2u);
}

TEST_F(RecordingControl, YesClosesAndASavedMarkerSkipsTheQuestion) {
  scanMode();
  MainForm->SetSavedMarker(QStringLiteral("/tmp/spectrum.bmp"));
  EXPECT_TRUE(MainForm->isVisible());
  MainForm->Spectr1Exit1->trigger();
  EXPECT_FALSE(MainForm->isVisible());
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(RecordingControl, StartEmptiesTheSavedMarkerSoAScanAsksAtClose) {
  scanMode();
  MainForm->SetSavedMarker(QStringLiteral("/tmp/spectrum.bmp"));
  atCycle(30, [&] { MainForm->StopButton->click(); });
  MainForm->StartButton->click();
  EXPECT_TRUE(MainForm->SavedMarker().isEmpty());
  env.nextAnswer = BoxAnswer::Yes;
  EXPECT_TRUE(MainForm->close());
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "Spectrum not saved! Want to exit?");
}

TEST_F(RecordingControl, ClosingDuringARecordingIsRefusedAndTheRecordingGoesOn) {
  bool closedMeanwhile = true;
  atCycle(4, [&] {
    closedMeanwhile = MainForm->close();
    MainForm->Spectr1Exit1->trigger();
  });
  env.clock.onPause = [&, previous = env.clock.onPause](int ms) {
    previous(ms);
    if (env.audio.cycles == 10) MainForm->StopButton->click();
  };
  MainForm->StartButton->click();
  EXPECT_FALSE(closedMeanwhile);
  EXPECT_EQ(env.boxTexts(), (std::vector<QString>{"Stop the record!", "Stop the record!"}));
  EXPECT_EQ(env.audio.cycles, 10);
  EXPECT_TRUE(MainForm->isVisible());
}

TEST_F(RecordingControl, StartGivenWhileTheMeasurementUnwindsRunsAfterIt) {
  int pass = 0;
  env.clock.onPause = [&](int) {
    ++pass;
    if (pass == 3) {
      // Both clicks in one message pass: Stop enables Start at once.
      QMetaObject::invokeMethod(MainForm->StopButton, &QToolButton::click, Qt::QueuedConnection);
      QMetaObject::invokeMethod(MainForm->StartButton, &QToolButton::click, Qt::QueuedConnection);
    }
    if (pass == 8) MainForm->StopButton->click();
  };
  MainForm->StartButton->click();
  EXPECT_FALSE(env.audio.openedWhileOpen);
  EXPECT_EQ(env.audio.opens, 2);
  EXPECT_EQ(env.audio.closes, 2);
  EXPECT_TRUE(MainForm->Stopped);
}

TEST_F(RecordingControl, InformationAndInputToggle) {
  MainForm->Help1Contents->trigger();
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "Apply to the author for instructions!");
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Information);
  EXPECT_EQ(env.boxes[0].title, "Information");
  MainForm->Spectr1Input->trigger();
  EXPECT_FALSE(MainForm->Spectr1Input->isChecked());
  MainForm->Spectr1Input->trigger();
  EXPECT_TRUE(MainForm->Spectr1Input->isChecked());
}

TEST_F(RecordingControl, WindowSystemRepaintRestoresThePlotImage) {
  scanMode();
  atCycle(20 * 40, [&] { MainForm->StopButton->click(); });
  MainForm->StartButton->click();
  QImage& window = MainForm->Plot.WindowSurface();
  const QImage before = window.copy();
  // Something shown on the window only, as a comparison overlay is.
  window.fill(Qt::black);
  QApplication::processEvents();
  EXPECT_EQ(window.pixel(400, 300), qRgb(0, 0, 0));  // our own drawing is not undone
  QExposeEvent expose(QRegion(0, 0, 800, 600));
  QApplication::sendEvent(MainForm->windowHandle(), &expose);
  EXPECT_EQ(window.copy(0, 33, 800, 514), before.copy(0, 33, 800, 514));
}

TEST_F(RecordingControl, DataListWindowPlacementAndStayOnTopWhileActive) {
  MainForm->TableButton->click();
  QApplication::processEvents();
  EXPECT_EQ(DataForm->frameGeometry(), QRect(377, 146, 182, 170));
  EXPECT_EQ(DataForm->DataMemo->geometry(), DataForm->rect());
  EXPECT_EQ(DataForm->DataMemo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(DataForm->DataMemo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(DataForm->DataMemo->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_FALSE(DataForm->DataMemo->isReadOnly());
  EXPECT_FALSE(DataForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  emit qApp->applicationStateChanged(Qt::ApplicationInactive);
  EXPECT_FALSE(DataForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(DataForm->windowHandle()->flags(), DataForm->windowFlags());  // told to the window system
  EXPECT_TRUE(DataForm->isVisible());
  emit qApp->applicationStateChanged(Qt::ApplicationActive);
  EXPECT_TRUE(DataForm->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(DataForm->isVisible());
  // Text typed by the user stays until the next scan clears it.
  DataForm->DataMemo->setPlainText("note");
  DataForm->close();
  EXPECT_FALSE(DataForm->isVisible());
  EXPECT_EQ(DataForm->DataMemo->toPlainText(), "note");
}
