// SPDX-License-Identifier: GPL-3.0-or-later
#include "Raster.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "LayoutFont.h"

namespace {

int NearestPaletteIndex(const QImage& image, QRgb colour) {
  const QList<QRgb> table = image.colorTable();
  int best = 0;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (int i = 0; i < table.size(); ++i) {
    const int64_t dr = qRed(table[i]) - qRed(colour);
    const int64_t dg = qGreen(table[i]) - qGreen(colour);
    const int64_t db = qBlue(table[i]) - qBlue(colour);
    const int64_t distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

// round(i * span / steps) with halves rounded up, exact for every 32-bit
// coordinate: the product needs more than 64 bits.
int64_t MinorOffset(int64_t i, int64_t span, int64_t steps) {
  if (steps < (int64_t{1} << 30)) return (2 * i * span + steps) / (2 * steps);  // i, span <= steps
#if defined(__SIZEOF_INT128__)
  const __int128 numerator = static_cast<__int128>(2 * i) * span + steps;
  return static_cast<int64_t>(numerator / (2 * static_cast<__int128>(steps)));
#else
  const long double numerator = static_cast<long double>(2 * i) * span + steps;
  return static_cast<int64_t>(numerator / (2.0L * steps));
#endif
}

bool IsDirect32(QImage::Format format) {
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

bool IsPalette(QImage::Format format) {
  return format == QImage::Format_Indexed8 || format == QImage::Format_Mono ||
         format == QImage::Format_MonoLSB;
}

// Writes one in-range pixel, the colour already prepared for the format.
struct PixelSink {
  QImage& image;
  QRgb colour;
  bool direct;
  bool palette;
  int index = 0;

  PixelSink(QImage& target, QRgb rgb)
      : image(target),
        colour(0xFF000000u | rgb),
        direct(IsDirect32(target.format())),
        palette(IsPalette(target.format())) {
    if (palette) index = NearestPaletteIndex(image, colour);
  }

  void put(int x, int y) {
    if (direct)
      reinterpret_cast<QRgb*>(image.scanLine(y))[x] = colour;
    else if (palette)
      image.setPixel(x, y, static_cast<uint>(index));
    else
      image.setPixelColor(x, y, QColor::fromRgb(colour));
  }
};

}  // namespace

void PutPixel(QImage& image, int x, int y, QRgb colour) {
  if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
  PixelSink(image, colour).put(x, y);
}

namespace {

// Calls put(x, y) for every pixel of the line inside a width x height picture.
template <typename Put>
void LinePixels(int64_t width, int64_t height, int x0, int y0, int x1, int y1, Put&& put) {
  // Work in 64 bits: coordinates may lie far outside the image.
  const int64_t dx = int64_t{x1} - x0, dy = int64_t{y1} - y0;
  const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
  const int64_t steps = std::max(adx, ady);
  if (steps == 0) return;
  const bool xMajor = adx >= ady;
  const int64_t majorStart = xMajor ? x0 : y0, minorStart = xMajor ? y0 : x0;
  const int64_t majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t minorSpan = xMajor ? ady : adx;
  const int64_t majorLimit = xMajor ? width : height;
  const int64_t minorLimit = xMajor ? height : width;

  // Only the steps whose major coordinate lies inside the image.
  int64_t first = 0, last = steps;  // [first, last)
  if (majorSign > 0) {
    first = std::max<int64_t>(first, -majorStart);
    last = std::min<int64_t>(last, majorLimit - majorStart);
  } else {
    first = std::max<int64_t>(first, majorStart - majorLimit + 1);
    last = std::min<int64_t>(last, majorStart + 1);
  }
  if (first >= last) return;

  auto plot = [&](int64_t i, int64_t offset) {
    const int64_t minor = minorStart + minorSign * offset;
    if (minor < 0 || minor >= minorLimit) return;
    const int64_t major = majorStart + majorSign * i;
    if (xMajor)
      put(static_cast<int>(major), static_cast<int>(minor));
    else
      put(static_cast<int>(minor), static_cast<int>(major));
  };
  if (steps >= (int64_t{1} << 30)) {
    // Far-off coordinates: the pixel nearest the ideal line, computed afresh.
    for (int64_t i = first; i < last; ++i) plot(i, MinorOffset(i, minorSpan, steps));
    return;
  }
  // The same pixels with the division carried along step by step: the offset
  // is the quotient of 2 i span + steps by 2 steps, and each step adds 2 span
  // (at most one more divisor) to the dividend.
  const int64_t divisor = 2 * steps, increment = 2 * minorSpan;
  int64_t offset = 0, remainder = steps;  // the quotient and remainder at i = 0
  if (first > 0) {
    const int64_t dividend = 2 * first * minorSpan + steps;
    offset = dividend / divisor;
    remainder = dividend % divisor;
  }
  for (int64_t i = first; i < last; ++i) {
    plot(i, offset);
    remainder += increment;
    if (remainder >= divisor) {
      remainder -= divisor;
      ++offset;
    }
  }
}

}  // namespace

void DrawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour) {
  if (image.isNull()) return;
  if (IsDirect32(image.format())) {
    // Asks for the pixels (and so detaches the picture) only when one is set.
    uchar* bits = nullptr;
    qsizetype stride = 0;
    const QRgb pixel = 0xFF000000u | colour;
    LinePixels(image.width(), image.height(), x0, y0, x1, y1, [&](int x, int y) {
      if (!bits) {
        bits = image.bits();
        stride = image.bytesPerLine();
      }
      reinterpret_cast<QRgb*>(bits + y * stride)[x] = pixel;
    });
    return;
  }
  PixelSink sink(image, colour);
  LinePixels(image.width(), image.height(), x0, y0, x1, y1, [&sink](int x, int y) { sink.put(x, y); });
}

void FillRect(QImage& image, const QRect& rect, QRgb colour) {
  const QRect area = rect.intersected(image.rect());
  if (area.isEmpty()) return;
  PixelSink sink(image, colour);
  for (int y = area.top(); y <= area.bottom(); ++y) {
    if (sink.direct) {
      QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
      std::fill(row + area.left(), row + area.right() + 1, sink.colour);
    } else {
      for (int x = area.left(); x <= area.right(); ++x) sink.put(x, y);
    }
  }
}

void DrawText(QImage& image, int x, int y, const QString& text) {
  if (text.isEmpty()) return;
  // Render once on a scratch picture, then copy it pixel by pixel, so text
  // looks the same on every surface and palette pictures get nearest colours.
  static const QImage metricsDevice(1, 1, QImage::Format_RGB32);
  const QFont font = PlotFont();
  const QFontMetrics metrics(font, &metricsDevice);
  const int width = metrics.horizontalAdvance(text), height = metrics.height();
  if (width <= 0 || height <= 0) return;
  QImage scratch(width, height, QImage::Format_RGB32);
  scratch.fill(Qt::white);
  {
    QPainter painter(&scratch);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(0, metrics.ascent(), text);
  }
  for (int j = 0; j < height; ++j)
    for (int i = 0; i < width; ++i) PutPixel(image, x + i, y + j, scratch.pixel(i, j));
}
