// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <utility>

#include "PlotSurface.h"
#include "Raster.h"

namespace {

QImage White(int w = 40, int h = 30) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(kWhite);
  return image;
}

std::set<std::pair<int, int>> Painted(const QImage& image, QRgb colour) {
  std::set<std::pair<int, int>> points;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == colour) points.insert({x, y});
  return points;
}

}  // namespace

TEST(LineRoutine, SetsStartButNotEndPixel) {
  QImage image = White();
  DrawLine(image, 2, 5, 10, 5, kTraceRed);
  std::set<std::pair<int, int>> expected;
  for (int x = 2; x < 10; ++x) expected.insert({x, 5});
  EXPECT_EQ(Painted(image, kTraceRed), expected);

  QImage vertical = White();
  DrawLine(vertical, 3, 9, 3, 4, kTraceRed);  // upwards
  expected.clear();
  for (int y = 9; y > 4; --y) expected.insert({3, y});
  EXPECT_EQ(Painted(vertical, kTraceRed), expected);
}

TEST(LineRoutine, ZeroLengthDrawsNothing) {
  QImage image = White();
  DrawLine(image, 5, 5, 5, 5, kTraceRed);
  EXPECT_TRUE(Painted(image, kTraceRed).empty());
}

TEST(LineRoutine, OnePixelPerStepOfTheLongerAxis) {
  QImage image = White();
  DrawLine(image, 0, 0, 10, 4, kTraceRed);
  const auto points = Painted(image, kTraceRed);
  ASSERT_EQ(points.size(), 10u);
  int x = 0;
  for (const auto& [px, py] : points) {
    EXPECT_EQ(px, x++);
    // Nearest pixel to the ideal line y = 0.4 x.
    EXPECT_LE(std::abs(py * 10 - px * 4), 5) << px;
  }
  QImage steep = White();
  DrawLine(steep, 20, 20, 17, 10, kTraceRed);
  EXPECT_EQ(Painted(steep, kTraceRed).size(), 10u);
  EXPECT_EQ(steep.pixel(20, 20), kTraceRed);
  EXPECT_EQ(steep.pixel(17, 10), kWhite);
}

TEST(LineRoutine, ClipsToTheImageWhateverTheCoordinates) {
  QImage image = White(20, 10);
  // Far outside on every side, and crossing the image from outside.
  DrawLine(image, -100000, -5, 2000000, -5, kTraceRed);
  DrawLine(image, 5, -2000000000, 5, 2000000000, kTraceRed);
  DrawLine(image, -2147483647, -2147483647, 2147483647, 2147483647, kTraceRed);
  EXPECT_EQ(image.pixel(5, 0), kTraceRed);
  EXPECT_EQ(image.pixel(5, 9), kTraceRed);
  QImage crossing = White(20, 10);
  DrawLine(crossing, -10, 3, 30, 3, kTraceRed);
  EXPECT_EQ(Painted(crossing, kTraceRed).size(), 20u);
  // The part inside matches the same line drawn from inside.
  QImage partial = White(20, 10);
  DrawLine(partial, -7, -3, 33, 9, kTraceRed);
  QImage big = White(60, 30);
  DrawLine(big, 13, 7, 53, 19, kTraceRed);  // shifted by (20, 10)
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(partial.pixel(x, y), big.pixel(x + 20, y + 10)) << x << "," << y;
}

TEST(Fill, EdgesExclusiveAndClipped) {
  QImage image(10, 10, QImage::Format_RGB32);
  image.fill(0xFF000000u);
  FillRect(image, QRect(QPoint(2, 3), QPoint(4, 5)), kWhite);
  EXPECT_EQ(Painted(image, kWhite).size(), 9u);
  FillRect(image, QRect(-5, -5, 100, 100), kWhite);
  EXPECT_EQ(Painted(image, kWhite).size(), 100u);
}

TEST(PaletteImages, TakeTheNearestPaletteEntry) {
  QImage image(8, 2, QImage::Format_Indexed8);
  image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(200, 10, 10), qRgb(120, 120, 140)});
  image.fill(0);
  DrawLine(image, 0, 0, 4, 0, kTraceRed);
  DrawLine(image, 0, 1, 4, 1, kAxisGray);
  EXPECT_EQ(image.pixelIndex(1, 0), 2);
  EXPECT_EQ(image.pixelIndex(1, 1), 3);
  EXPECT_EQ(image.pixelIndex(5, 0), 0);
}

TEST(Text, BlackOnOpaqueWhite) {
  QImage image(80, 30, QImage::Format_RGB32);
  image.fill(kTraceRed);
  DrawText(image, 5, 6, QStringLiteral("1800"));
  const auto black = Painted(image, kWindowText);
  ASSERT_FALSE(black.empty());
  for (const auto& [x, y] : black) {
    EXPECT_GE(x, 5);
    EXPECT_GE(y, 6);
  }
  // The text's box is white behind the glyphs: only black and white there.
  EXPECT_EQ(image.pixel(5, 6), kWhite);
  EXPECT_EQ(image.pixel(4, 6), kTraceRed);
  EXPECT_EQ(image.pixel(5, 5), kTraceRed);
}
