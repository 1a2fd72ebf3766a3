// What the screen shows of the drawing area while measurements run: each
// frame and each point is handed over for the area it changed only, yet the
// screen always ends up showing the window surface as it is.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

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
  bool ScreenShowsTheSurface() {
    return Screen().copy(kInside) == MainForm->Plot.WindowSurface().copy(kInside).convertToFormat(QImage::Format_RGB32);
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

TEST_F(ShownArea, EveryScanPointReachesTheScreen) {
  MainForm->Spectr1Input->setChecked(false);
  env.audio.signal = [](int cycle, size_t i) {
    const int level = (cycle / kCapturesPerPoint) % 9 * 45;
    return static_cast<int16_t>(i % 2 ? level : -level);
  };
  int checked = 0, wrong = 0;
  env.clock.onPause = [&](int ms) {
    const int cycle = env.audio.cycles;
    // At the first capture of point k (k >= 2) point k - 1 has had its message pass.
    if (ms != kScanCaptureMs || cycle % kCapturesPerPoint != 1 || cycle < 2 * kCapturesPerPoint) return;
    ++checked;
    if (!ScreenShowsTheSurface()) ++wrong;
    if (cycle / kCapturesPerPoint == 30) MainForm->StopButton->click();
  };
  MainForm->StartButton->click();
  QApplication::processEvents();
  EXPECT_EQ(checked, 29);
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(ScreenShowsTheSurface());
}

TEST_F(ShownArea, ChangesOutsideAMeasurementAreShownAtOnce) {
  MainForm->Plot.PlotImage().fill(Qt::green);
  MainForm->Plot.RepaintFromPlot();
  QApplication::processEvents();
  EXPECT_TRUE(ScreenShowsTheSurface());
  MainForm->Plot.MoveTo(100, 100);
  MainForm->Plot.LineTo(400, 300);
  MainForm->Plot.TextOut(500, 200, QStringLiteral("1234"));
  QApplication::processEvents();
  EXPECT_TRUE(ScreenShowsTheSurface());
  MainForm->Plot.Clean();
  QApplication::processEvents();
  EXPECT_TRUE(ScreenShowsTheSurface());
}
