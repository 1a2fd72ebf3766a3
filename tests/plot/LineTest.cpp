// SPDX-License-Identifier: GPL-3.0-or-later
// The line routine on 32-bit pictures against its definition: one pixel per
// step of the longer axis, the nearest to the ideal line with halves rounded
// up, the end point left out, everything outside the picture dropped.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <random>

#include "PlotSurface.h"
#include "Raster.h"

namespace {

// Steps over the picture's columns (or rows) only, so far-off lines stay cheap.
void DefinitionLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
  const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
  const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
  if (steps == 0) return;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
  const int64_t majorDelta = xMajor ? dx : dy, minorDelta = xMajor ? dy : dx;
  const int majorLimit = xMajor ? image.width() : image.height();
  const int minorLimit = xMajor ? image.height() : image.width();
  for (int major = 0; major < majorLimit; ++major) {
    const int64_t i = majorDelta > 0 ? major - majorStart : majorStart - major;
    if (i < 0 || i >= steps) continue;
    const __int128 numerator = static_cast<__int128>(2 * i) * std::llabs(minorDelta) + steps;
    const int64_t offset = static_cast<int64_t>(numerator / (2 * static_cast<__int128>(steps)));
    const int64_t minor = minorStart + (minorDelta < 0 ? -offset : offset);
    if (minor < 0 || minor >= minorLimit) continue;
    if (xMajor)
      image.setPixel(major, static_cast<int>(minor), colour);
    else
      image.setPixel(static_cast<int>(minor), major, colour);
  }
}

int Coordinate(std::mt19937& random, int size) {
  switch (random() % 4) {
    case 0: return static_cast<int>(random() % static_cast<unsigned>(size));
    case 1: return static_cast<int>(random() % static_cast<unsigned>(3 * size)) - size;
    case 2: return static_cast<int>(random() % 2000001u) - 1000000;
    default: return static_cast<int>(random());  // anywhere in 32 bits
  }
}

}  // namespace

TEST(LineFastPath, SamePixelsAsTheDefinitionOnEveryDirectFormat) {
  std::mt19937 random(77);
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied}) {
    QImage drawn(61, 37, format), expected(61, 37, format);
    drawn.fill(kWhite);
    expected.fill(kWhite);
    for (int line = 0; line < 20000; ++line) {
      const int x0 = Coordinate(random, 61), y0 = Coordinate(random, 37);
      const int x1 = Coordinate(random, 61), y1 = Coordinate(random, 37);
      const QRgb colour = 0xFF000000u | (random() & 0xFFFFFFu);
      DrawLine(drawn, x0, y0, x1, y1, colour);
      DefinitionLine(expected, x0, y0, x1, y1, colour);
      ASSERT_TRUE(drawn == expected) << format << ": " << x0 << "," << y0 << " -> " << x1 << "," << y1;
    }
  }
}

TEST(LineFastPath, ShortSegmentsOfATraceAsTheMonitorDrawsThem) {
  QImage drawn(800, 566, QImage::Format_RGB32), expected(800, 566, QImage::Format_RGB32);
  drawn.fill(kWhite);
  expected.fill(kWhite);
  std::mt19937 random(5);
  int y = 250;
  for (int x = 29; x < 778; ++x) {
    const int next = 250 + static_cast<int>(random() % 1201u) - 600;  // often past the top and bottom
    DrawLine(drawn, x, y, x + 1, next, kTraceRed);
    DefinitionLine(expected, x, y, x + 1, next, kTraceRed);
    y = next;
  }
  EXPECT_TRUE(drawn == expected);
}
