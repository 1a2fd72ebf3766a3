// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <climits>

#include "PlotSurface.h"

namespace {

int CountColour(const QImage& image, QRgb colour, QRect area = QRect()) {
  if (area.isNull()) area = image.rect();
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) count += image.pixel(x, y) == colour;
  return count;
}

std::vector<int32_t> Labels(int32_t start, int32_t finish) {
  std::vector<int32_t> labels;
  for (int i = 0; i <= 5; ++i) labels.push_back(AxisLabel(start, finish, i));
  return labels;
}

class PlotSurfaceTest : public testing::Test {
 protected:
  void SetUp() override { plot.SetUp(QSize(kClientWidth, kClientHeight)); }
  PlotSurface plot;
};

}  // namespace

TEST(AxisLabels, EvenlySpacedAndRoundedHalfToEven) {
  EXPECT_EQ(Labels(1000, 5000), (std::vector<int32_t>{1000, 1800, 2600, 3400, 4200, 5000}));
  EXPECT_EQ(Labels(0, 1), (std::vector<int32_t>{0, 0, 0, 1, 1, 1}));
  EXPECT_EQ(Labels(5000, 1000), (std::vector<int32_t>{5000, 4200, 3400, 2600, 1800, 1000}));
  EXPECT_EQ(Labels(-7, 3), (std::vector<int32_t>{-7, -5, -3, -1, 1, 3}));
  // The span times the index would wrap in 32 bits.
  EXPECT_EQ(Labels(INT32_MIN, INT32_MAX),
            (std::vector<int32_t>{INT32_MIN, -1288490189, -429496730, 429496729, 1288490188, INT32_MAX}));
  EXPECT_EQ(Labels(INT32_MAX, INT32_MIN),
            (std::vector<int32_t>{INT32_MAX, 1288490188, 429496729, -429496730, -1288490189, INT32_MIN}));
}

TEST_F(PlotSurfaceTest, StartsWhiteWithRedPens) {
  EXPECT_EQ(plot.PlotImage().size(), QSize(800, 566));
  EXPECT_EQ(plot.PlotImage().depth(), 32);
  EXPECT_EQ(CountColour(plot.PlotImage(), kWhite), 800 * 566);
  plot.MoveTo(10, 100);
  plot.LineTo(20, 100);
  EXPECT_EQ(plot.PlotImage().pixel(10, 100), kTraceRed);
  EXPECT_EQ(plot.WindowSurface().pixel(19, 100), kTraceRed);
  EXPECT_EQ(plot.WindowSurface().pixel(20, 100), kWhite);
}

TEST_F(PlotSurfaceTest, CleanWhitensThePlotAndSparesTheToolBarRows) {
  plot.PlotImage().fill(Qt::blue);
  plot.WindowSurface().fill(Qt::blue);
  plot.Clean();
  EXPECT_EQ(CountColour(plot.PlotImage(), kWhite), 800 * 566);
  EXPECT_EQ(CountColour(plot.WindowSurface(), kWhite, QRect(0, 33, 800, 533)), 800 * 533);
  EXPECT_EQ(CountColour(plot.WindowSurface(), QColor(Qt::blue).rgb(), QRect(0, 0, 800, 33)), 800 * 33);
  // Pens are red again afterwards.
  plot.MoveTo(100, 100);
  plot.LineTo(101, 100);
  EXPECT_EQ(plot.PlotImage().pixel(100, 100), kTraceRed);
}

TEST_F(PlotSurfaceTest, CoordinatDrawsAxesTicksAndLabelsIdenticallyOnBoth) {
  plot.Coordinat(1000, 5000);
  for (QImage* image : {&plot.PlotImage(), &plot.WindowSurface()}) {
    // Vertical axis 40..485 and horizontal axis 29..789, gray, end pixels unset.
    for (int y = 40; y <= 486; ++y) EXPECT_EQ(image->pixel(29, y), kAxisGray) << y;
    EXPECT_EQ(image->pixel(29, 39), kWhite);
    for (int x = 29; x <= 789; ++x) EXPECT_EQ(image->pixel(x, 486), kAxisGray) << x;
    // Ticks under the axis every 152 pixels from 182, four pixels long.
    for (int x : {182, 334, 486, 638, 790}) {
      for (int y = 486; y <= 489; ++y) EXPECT_EQ(image->pixel(x, y), kAxisGray) << x << "," << y;
      EXPECT_EQ(image->pixel(x, 490), kWhite);
    }
    EXPECT_EQ(image->pixel(30, 487), kWhite);  // no tick at the origin
    for (int y : {40, 263}) {
      for (int x = 26; x <= 29; ++x) EXPECT_EQ(image->pixel(x, y), kAxisGray);
      EXPECT_EQ(image->pixel(25, y), kWhite);
    }
    // Black label text right of x = 18, 169, ... at y = 495, nothing left of the first.
    EXPECT_EQ(CountColour(*image, kWindowText, QRect(0, 480, 18, 86)), 0);
    for (int i = 0; i <= 5; ++i) EXPECT_GT(CountColour(*image, kWindowText, QRect(151 * i + 18, 495, 25, 20)), 0) << i;
    EXPECT_EQ(CountColour(*image, kWindowText, QRect(0, 0, 800, 495)), 0);
  }
  EXPECT_EQ(plot.PlotImage(), plot.WindowSurface());
  // Pens are red again.
  plot.MoveTo(300, 300);
  plot.LineTo(301, 300);
  EXPECT_EQ(plot.WindowSurface().pixel(300, 300), kTraceRed);
}

TEST_F(PlotSurfaceTest, RepaintCopiesThePlotImageOverTheWindow) {
  plot.WindowSurface().fill(Qt::green);
  plot.MoveTo(0, 40);
  plot.LineTo(50, 40);
  plot.RepaintFromPlot();
  EXPECT_EQ(plot.WindowSurface(), plot.PlotImage());

  // A smaller Plot image restores only its own part.
  plot.PlotImage() = QImage(400, 300, QImage::Format_RGB32);
  plot.PlotImage().fill(kWhite);
  plot.WindowSurface().fill(Qt::green);
  plot.RepaintFromPlot();
  EXPECT_EQ(plot.WindowSurface().pixel(399, 299), kWhite);
  EXPECT_EQ(plot.WindowSurface().pixel(400, 299), QColor(Qt::green).rgb());
}
