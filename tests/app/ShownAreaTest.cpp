// SPDX-License-Identifier: GPL-3.0-or-later
// What the screen shows of the drawing area while measurements run: every
// frame and every point reaches it, and a scan's cleared plot with its axes
// is there before the first point is measured.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>
#include <utility>

#include "Scan.h"
#include "tests/app/MainFormFixture.h"

namespace {

// Inside the lowered frame of the drawing area, in client coordinates.
const QRect kInside(1, kToolBarHeight + 1, kClientWidth - 2, kStatusBarTop - kToolBarHeight - 2);

class ShownArea : public MainFormFixture {
 protected:
  void SetUp() override { launch(); }

  // The client area as last flushed to the (offscreen) screen.
  QImage Screen() {
    const QPoint at = MainForm->Client->mapTo(MainForm, QPoint(0, 0));
    const QImage window = MainForm->screen()->grabWindow(MainForm->winId()).toImage();
    return window.copy(QRect(at, QSize(kClientWidth, kClientHeight))).convertToFormat(QImage::Format_RGB32);
  }
  // The widget as last flushed to the screen is the widget as it is now.
  bool Shown(QWidget* widget) {
    const QPoint at = widget->mapTo(MainForm, QPoint(0, 0)) - MainForm->Client->mapTo(MainForm, QPoint(0, 0));
    return Screen().copy(QRect(at, widget->size())) == widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  bool ScreenShowsTheSurface() {
    return Screen().copy(kInside) == std::as_const(MainForm->Plot).WindowSurface().copy(kInside).convertToFormat(QImage::Format_RGB32);
  }
  // The frame's four edges as shown.
  QImage Frame() {
    const QImage shown = Screen();
    QImage edges(kClientWidth, 4, QImage::Format_RGB32);
    edges.fill(0);
    for (int x = 0; x < kClientWidth; ++x) {
      edges.setPixel(x, 0, shown.pixel(x, kToolBarHeight));
      edges.setPixel(x, 1, shown.pixel(x, kStatusBarTop - 1));
    }
    for (int y = kToolBarHeight; y < kStatusBarTop && y - kToolBarHeight < kClientWidth; ++y) {
      edges.setPixel(y - kToolBarHeight, 2, shown.pixel(0, y));
      edges.setPixel(y - kToolBarHeight, 3, shown.pixel(kClientWidth - 1, y));
    }
    return edges;
  }
};

}  // namespace

TEST_F(ShownArea, EveryMonitorFrameReachesTheScreenWhole) {
  // A trace that jumps about, now and then past the frame and both bars.
  env.audio.signal = [](int cycle, size_t i) {
    if (cycle % 7 == 6) return static_cast<int16_t>(i % 2 ? 3000 : -3000);
    return static_cast<int16_t>((cycle * 131 + static_cast<int>(i) * (cycle % 5 + 1) * 37) % 700 - 350);
  };
  const QImage frame = Frame();
  int checked = 0, wrong = 0;
  env.clock.onPause = [&](int ms) {
    if (ms != 40 || env.audio.cycles < 2) return;
    // The previous frame has had its message pass.
    ++checked;
    if (!ScreenShowsTheSurface()) ++wrong;
    if (env.audio.cycles == 40) MainForm->StopButton->click();
  };
  MainForm->StartButton->click();
  QApplication::processEvents();
  EXPECT_EQ(checked, 39);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(ScreenShowsTheSurface());
  EXPECT_TRUE(Frame() == frame);  // the frame is painted again wherever the trace crossed it
}

TEST_F(ShownArea, EveryScanPointReachesTheScreenAndTheAxesComeFirst) {
  // A monitor frame is on the screen when the scan starts.
  env.audio.signal = [](int, size_t i) { return static_cast<int16_t>(i % 2 ? 100 : -100); };
  env.clock.onPause = [this](int) {
    if (env.audio.cycles == 3) MainForm->StopButton->click();
  };
  MainForm->StartButton->click();
  QApplication::processEvents();
  MainForm->Spectr1Input->setChecked(false);
  env.audio.signal = [](int cycle, size_t i) {
    const int level = (cycle / kCapturesPerPoint) % 9 * 45;
    return static_cast<int16_t>(i % 2 ? level : -level);
  };
  const int before = env.audio.cycles;
  int checked = 0, wrong = 0;
  bool axesFirst = false, statusFirst = false;
  env.clock.onPause = [&](int ms) {
    const int cycle = env.audio.cycles - before;
    if (ms != kScanCaptureMs) return;
    if (cycle == 1) {
      // The first capture of the first point, before any message pass.
      axesFirst = ScreenShowsTheSurface() && std::as_const(MainForm->Plot).WindowSurface().pixel(29, 300) == kAxisGray;
      statusFirst = Shown(MainForm->StatusBar) && MainForm->StatusBar->PanelText(0) == " Spectrum record";
    }
    // At the first capture of point k (k >= 2) point k - 1 has had its message pass.
    if (cycle % kCapturesPerPoint != 1 || cycle < 2 * kCapturesPerPoint) return;
    ++checked;
    if (!ScreenShowsTheSurface()) ++wrong;
    if (cycle / kCapturesPerPoint == 30) MainForm->StopButton->click();
  };
  MainForm->StartButton->click();
  QApplication::processEvents();
  EXPECT_TRUE(axesFirst);
  EXPECT_TRUE(statusFirst);
  EXPECT_EQ(checked, 29);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(ScreenShowsTheSurface());
}
