// Clean whitens only where something was drawn since the last Clean, and the
// window is repainted only where it changed. Both are checked here against a
// plain model of the two surfaces that whitens everything every time, over
// long random runs of drawing, cleaning, repainting and outside changes.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <random>

#include "PlotSurface.h"
#include "Raster.h"

namespace {

// The two surfaces with every primitive done the plain way.
struct PlainSurfaces {
  QImage plot, window;
  QRgb colour = kTraceRed;
  QPoint position;

  PlainSurfaces() : plot(kClientWidth, kClientHeight, QImage::Format_RGB32), window(plot.size(), QImage::Format_RGB32) {
    plot.fill(kWhite);
    window.fill(kWhite);
  }
  void LineTo(int x, int y) {
    DrawLine(plot, position.x(), position.y(), x, y, colour);
    DrawLine(window, position.x(), position.y(), x, y, colour);
    position = QPoint(x, y);
  }
  void TextOut(int x, int y, const QString& text) {
    DrawText(plot, x, y, text);
    DrawText(window, x, y, text);
  }
  void Clean() {
    FillRect(window, QRect(QPoint(0, kToolBarHeight), QPoint(kClientWidth - 1, kClientHeight - 1)), kWhite);
    FillRect(plot, QRect(0, 0, kClientWidth, kClientHeight), kWhite);
    colour = kTraceRed;
  }
  void RepaintFromPlot() {
    QPainter painter(&window);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, plot);
  }
};

// The box of the pixels that differ between two 32-bit pictures of one size.
QRect Difference(const QImage& before, const QImage& after) {
  int left = before.width(), right = -1, top = before.height(), bottom = -1;
  for (int y = 0; y < before.height(); ++y) {
    const QRgb* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
    const QRgb* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
    for (int x = 0; x < before.width(); ++x) {
      if (a[x] == b[x]) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

class CleanTracking : public testing::TestWithParam<unsigned> {
 protected:
  void SetUp() override {
    surface.SetUp(QSize(kClientWidth, kClientHeight));
    surface.SetWindowChanged([this] { reported |= surface.LastWindowChange(); });
    random.seed(GetParam());
  }
  int Near(int size) { return static_cast<int>(random() % static_cast<unsigned>(size + 200)) - 100; }
  QRgb AnyColour() { return 0xFF000000u | (random() & 0xFFFFFFu); }

  // One random step on both; `own` tells whether it went through PlotSurface.
  void Step(bool& own) {
    own = true;
    const unsigned kind = random() % 100;
    if (kind < 45) {  // trace-like segments, now and then far off
      const int x = Near(kClientWidth), y = random() % 20 ? Near(kClientHeight) : static_cast<int>(random());
      surface.LineTo(x, y);
      plain.LineTo(x, y);
    } else if (kind < 55) {
      const QPoint to(Near(kClientWidth), Near(kClientHeight));
      surface.MoveTo(to.x(), to.y());
      plain.position = to;
    } else if (kind < 62) {
      const QRgb pens[] = {kTraceRed, kAxisGray, kWhite, kWindowText};
      const QRgb colour = pens[random() % 4];
      surface.SetPens(colour);
      plain.colour = colour;
    } else if (kind < 72) {
      surface.Clean();
      plain.Clean();
    } else if (kind < 75) {
      const QString text = QString::number(static_cast<int>(random() % 100000));
      const int x = Near(kClientWidth), y = Near(kClientHeight);
      surface.TextOut(x, y, text);
      plain.TextOut(x, y, text);
    } else if (kind < 78) {
      const int32_t from = static_cast<int32_t>(random() % 9000), to = static_cast<int32_t>(random() % 9000);
      surface.Coordinat(from, to);
      plain.colour = kAxisGray;
      plain.position = QPoint(29, 40);
      plain.LineTo(29, 486);
      plain.LineTo(790, 486);
      for (int x = 182; x <= 790; x += 152) {
        plain.position = QPoint(x, 486);
        plain.LineTo(x, 490);
      }
      plain.position = QPoint(29, 40);
      plain.LineTo(25, 40);
      plain.position = QPoint(29, 263);
      plain.LineTo(25, 263);
      for (int i = 0; i <= 5; ++i) plain.TextOut(151 * i + 18, 495, QString::number(AxisLabel(from, to, i)));
      plain.colour = kTraceRed;
    } else if (kind < 82) {
      surface.RepaintFromPlot();
      plain.RepaintFromPlot();
    } else {
      own = false;
      Outside(kind);
    }
  }

  // Changes made past PlotSurface, as the program's Open and Compare and the tests make them.
  void Outside(unsigned kind) {
    const bool onPlot = random() % 2;
    QImage& image = onPlot ? surface.PlotImage() : surface.WindowSurface();
    QImage& twin = onPlot ? plain.plot : plain.window;
    const int x = static_cast<int>(random() % kClientWidth), y = static_cast<int>(random() % kClientHeight);
    const QRgb colour = AnyColour();
    switch (kind % 6) {
      case 0:  // a pixel
        image.setPixel(x, y, colour);
        twin.setPixel(x, y, colour);
        break;
      case 1:  // through a reference kept from earlier
        held->setPixel(x, y, colour);
        (held == &surface.PlotImage() ? plain.plot : plain.window).setPixel(x, y, colour);
        break;
      case 2: {  // a painter
        for (QImage* target : {&image, &twin}) {
          QPainter painter(target);
          painter.fillRect(QRect(x, y, 30, 20), QColor::fromRgb(colour));
        }
        break;
      }
      case 3:  // a picture read from a file, sometimes smaller or with a palette
        if (onPlot) {
          QImage picture(random() % 3 ? QSize(kClientWidth, kClientHeight) : QSize(400, 300), QImage::Format_RGB32);
          picture.fill(colour);
          if (random() % 3 == 0) picture = picture.convertToFormat(QImage::Format_Indexed8);
          image = picture;
          twin = picture.copy();
        } else {
          PutPixel(image, x, y, kWindowText);  // a comparison overlay
          PutPixel(twin, x, y, kWindowText);
        }
        break;
      case 4: {  // a shared copy written to, then handed back
        QImage copy = image;
        copy.setPixel(x, y, colour);
        image = copy;
        twin.setPixel(x, y, colour);
        break;
      }
      default:
        image.fill(colour);
        twin.fill(colour);
        break;
    }
    held = random() % 2 ? &surface.PlotImage() : &surface.WindowSurface();
  }

  PlotSurface surface;
  PlainSurfaces plain;
  std::mt19937 random;
  QImage* held = &surface.WindowSurface();
  QRect reported;  // the changes reported during one step
};

}  // namespace

TEST_P(CleanTracking, SamePixelsAsWhiteningEverythingAndEveryChangeIsReported) {
  for (int step = 0; step < 800; ++step) {
    const QImage before = surface.WindowSurface().copy();
    reported = QRect();
    bool own = false;
    Step(own);
    ASSERT_TRUE(surface.PlotImage() == plain.plot) << "step " << step;
    ASSERT_TRUE(surface.WindowSurface() == plain.window) << "step " << step;
    if (own) {
      const QRect changed = Difference(before, surface.WindowSurface());
      ASSERT_TRUE(changed.isEmpty() || reported.contains(changed)) << "step " << step;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, CleanTracking, testing::Values(1u, 2u, 3u));

TEST(CleanTrackingFrames, MonitorFramesWhitenOnlyTheOldTraceYetLeaveNothingBehind) {
  PlotSurface surface;
  surface.SetUp(QSize(kClientWidth, kClientHeight));
  PlainSurfaces plain;
  std::mt19937 random(9);
  for (int frame = 0; frame < 60; ++frame) {
    surface.Clean();
    plain.Clean();
    const int amplitude = frame % 10 == 9 ? 3000 : 40 + frame * 7;  // now and then far past both bars
    int y = 250 + static_cast<int>(random() % static_cast<unsigned>(2 * amplitude)) - amplitude;
    surface.MoveTo(29, y);
    plain.position = QPoint(29, y);
    for (int x = 30; x < 779; ++x) {
      y = 250 + static_cast<int>(random() % static_cast<unsigned>(2 * amplitude)) - amplitude;
      surface.LineTo(x, y);
      plain.LineTo(x, y);
    }
    ASSERT_TRUE(surface.PlotImage() == plain.plot) << frame;
    ASSERT_TRUE(surface.WindowSurface() == plain.window) << frame;
  }
}
