// SPDX-License-Identifier: GPL-3.0-or-later
// A wave input that fails, seen from the main window: whatever the fault, the
// window ends in the Idle state with " Stop" and an error box, keeps what was
// measured, and the next Start works.
#include <QStringList>

#include "BitmapFile.h"
#include "FileDialogs.h"
#include "Scan.h"
#include "tests/app/MainFormFixture.h"

namespace {

class AudioFaults : public MainFormFixture {
 protected:
  void SetUp() override { launch(); }
  void TearDown() override {
    SetFileDialogResponder({});
    MainFormFixture::TearDown();
  }

  QStringList dataLines() {
    const QString text = DataForm->DataMemo->toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
  }
  // Start pressed with nothing scripted: the measurement is stopped `cycles`
  // capture cycles later.
  void startAndStopAfter(int cycles) {
    atCycle(env.audio.cycles + cycles, [] { MainForm->StopButton->click(); });
    MainForm->StartButton->click();
    env.clock.onPause = nullptr;
  }
  // The Idle state: buttons and menu entries as after Stop, " Stop" shown,
  // the device closed.
  void expectIdle() {
    EXPECT_TRUE(MainForm->Stopped);
    EXPECT_EQ(MainForm->StatusBar->PanelText(0), " Stop");
    for (QToolButton* button : {MainForm->StartButton, MainForm->OpenButton, MainForm->CompButton,
                                MainForm->SaveButton, MainForm->ToolButton})
      EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_FALSE(MainForm->StopButton->isEnabled());
    emit MainForm->Spectr1->aboutToShow();
    EXPECT_TRUE(MainForm->Spectr1Start->isEnabled());
    EXPECT_FALSE(MainForm->Spectr1Stop->isEnabled());
    EXPECT_FALSE(env.audio.isOpen());
  }
  void expectOneError(const QString& text) {
    ASSERT_EQ(env.boxes.size(), 1u);
    EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(env.boxes[0].text, text);
    env.boxes.clear();
  }
  // A following Start measures again and ends without a box.
  void expectNextStartWorks() {
    const int opens = env.audio.opens;
    startAndStopAfter(3 * kCapturesPerPoint + 5);
    EXPECT_EQ(env.audio.opens, opens + 1);
    EXPECT_TRUE(env.boxes.empty()) << env.boxes[0].text.toStdString();
    expectIdle();
  }
  // Red pixels of the scan curve at height `value` on the Plot image.
  int curvePixels(int value) {
    int count = 0;
    for (int x = 0; x < 800; ++x) count += MainForm->Plot.PlotImage().pixel(x, kScanBottom - value) == kTraceRed;
    return count;
  }
};

const QString kBusy = "The audio input could not be opened (Device or resource busy). The recording has not started.";
const QString kSilentAtOpen =
    "The audio input could not be opened (no samples arrived within 5 seconds). The recording has not started.";

}  // namespace

TEST_F(AudioFaults, InputThatCannotBeOpenedLeavesEverythingAsItWas) {
  for (bool monitor : {true, false}) {
    SCOPED_TRACE(monitor ? "monitor" : "scan");
    MainForm->Spectr1Input->setChecked(monitor);
    env.audio.signal = [](int, size_t) { return int16_t{30}; };
    startAndStopAfter(5 * kCapturesPerPoint + 3);  // something on screen and, for a scan, in the list
    const QImage plot = MainForm->Plot.PlotImage().copy();
    const QStringList lines = dataLines();
    ASSERT_EQ(lines.size(), monitor ? 0 : 6);

    for (int fault = 0; fault < 2; ++fault) {
      env.audio.openError = fault == 0 ? "Device or resource busy" : "";
      env.audio.startupDelayMs = fault == 0 ? 0 : 6000;  // opens, but nothing ever arrives
      MainForm->StartButton->click();
      expectOneError(fault == 0 ? kBusy : kSilentAtOpen);
      expectIdle();
      EXPECT_EQ(MainForm->Plot.PlotImage(), plot);
      EXPECT_EQ(dataLines(), lines);  // the last scan's numbers are still there
    }
    env.audio.openError.clear();
    env.audio.startupDelayMs = 0;
    expectNextStartWorks();
  }
}

TEST_F(AudioFaults, InputLostDuringTheMonitorEndsItWithAnError) {
  for (bool unplugged : {true, false}) {
    SCOPED_TRACE(unplugged ? "stream error" : "silence");
    // From a few cycles on: the stream reports an error, or no sample arrives.
    (unplugged ? env.audio.failFromCycle : env.audio.silentFromCycle) = env.audio.cycles + 4;
    MainForm->StartButton->click();
    expectOneError(unplugged ? "The audio input was lost (device unplugged). The recording has been stopped; "
                               "the points measured before stay."
                             : "The audio input was lost (no samples arrived for 2 seconds). The recording has "
                               "been stopped; the points measured before stay.");
    expectIdle();
    env.audio.failFromCycle = env.audio.silentFromCycle = -1;  // plugged in again
    expectNextStartWorks();
  }
}

TEST_F(AudioFaults, InputLostDuringAScanKeepsThePointsMeasuredAndTheyCanBeSaved) {
  MainForm->Spectr1Input->setChecked(false);
  env.audio.signal = [](int, size_t) { return int16_t{12}; };
  env.audio.failFromCycle = 10 * kCapturesPerPoint + 5;  // during point 10
  MainForm->StartButton->click();
  expectOneError("The audio input was lost (device unplugged). The recording has been stopped; the points "
                 "measured before stay.");
  expectIdle();
  EXPECT_EQ(dataLines(), QStringList(10, "12"));
  EXPECT_EQ(curvePixels(12), 9);  // x = 30 to 38: a line leaves out its last point
  EXPECT_EQ(MainForm->Plot.WindowSurface().copy(0, 33, 800, 514), MainForm->Plot.PlotImage().copy(0, 33, 800, 514));

  // Nothing claims the partial spectrum is saved, and it can be.
  EXPECT_TRUE(MainForm->SavedMarker().isEmpty());
  const QString file = QString::fromStdString(env.directory()) + "/partial.bmp";
  SetFileDialogResponder([&](QFileDialog&) { return file; });
  MainForm->SaveButton->click();
  EXPECT_TRUE(env.boxes.empty());
  EXPECT_EQ(ReadBitmapFile(file), MainForm->Plot.PlotImage());

  env.audio.failFromCycle = -1;
  expectNextStartWorks();
  EXPECT_EQ(dataLines().size(), 4);  // the new scan's points
}

TEST_F(AudioFaults, InputLostDuringTheFirstPointListsNothing) {
  MainForm->Spectr1Input->setChecked(false);
  env.audio.failFromCycle = 2;
  MainForm->StartButton->click();
  ASSERT_EQ(env.boxes.size(), 1u);
  env.boxes.clear();
  expectIdle();
  EXPECT_TRUE(dataLines().isEmpty());
  EXPECT_EQ(curvePixels(0), 0);
  env.audio.failFromCycle = -1;
  expectNextStartWorks();
}
