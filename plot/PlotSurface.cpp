// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlotSurface.h"

#include <QPainter>
#include <algorithm>
#include <utility>

#include "Raster.h"
#include "Rounding.h"

namespace {

// The box of a line's pixels within the client area; the end point is
// included, which makes the box at most one pixel larger than the line.
// Plain integer clipping, as coordinates may lie anywhere.
QRect LineBox(int x0, int y0, int x1, int y1) {
  const int left = std::max(std::min(x0, x1), 0), right = std::min(std::max(x0, x1), kClientWidth - 1);
  const int top = std::max(std::min(y0, y1), 0), bottom = std::min(std::max(y0, y1), kClientHeight - 1);
  if (left > right || top > bottom) return QRect();
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

int32_t AxisLabel(int32_t start, int32_t finish, int i) {
  // The span times the index is exact in 64 bits; only the division by 5 and
  // the addition are floating point.
  const int64_t scaled = (int64_t{finish} - start) * i;
  return RoundHalfEven(static_cast<double>(start) + static_cast<double>(scaled) / 5.0);
}

void PlotSurface::SetUp(QSize clientSize) {
  plot_ = QImage(clientSize, QImage::Format_RGB32);
  plot_.fill(kWhite);
  window_ = QImage(clientSize, QImage::Format_RGB32);
  window_.fill(kWhite);
  ink_ = QRect();
  windowChange_ = kClientArea;
  pen_ = kTraceRed;
  position_ = QPoint();
}

void PlotSurface::Release() { plot_ = QImage(); }

void PlotSurface::MoveTo(int x, int y) { position_ = QPoint(x, y); }

void PlotSurface::LineTo(int x, int y) {
  DrawLine(plot_, position_.x(), position_.y(), x, y, pen_);
  DrawLine(window_, position_.x(), position_.y(), x, y, pen_);
  const QRect box = LineBox(position_.x(), position_.y(), x, y);
  ink_ |= box;
  windowChange_ |= box;
  position_ = QPoint(x, y);
}

void PlotSurface::SetPens(QRgb colour) { pen_ = colour; }

void PlotSurface::TextOut(int x, int y, const QString& text) {
  DrawText(plot_, x, y, text);
  DrawText(window_, x, y, text);
  // Once per scan, for the axis labels: not worth a box of its own.
  ink_ = windowChange_ = kClientArea;
}

void PlotSurface::Clean() {
  SetPens(kWhite);
  // Outside the ink box both surfaces are white already. On the window the
  // tool bar keeps its rows; the Plot image has no bars.
  const QRect stale = std::exchange(ink_, QRect());
  const QRect windowStale = stale & QRect(QPoint(0, kToolBarHeight), QPoint(kClientWidth - 1, kClientHeight - 1));
  FillRect(window_, windowStale, kWhite);
  FillRect(plot_, stale, kWhite);
  windowChange_ |= windowStale;
  SetPens(kTraceRed);
}

void PlotSurface::Coordinat(int32_t start, int32_t finish) {
  SetPens(kAxisGray);
  MoveTo(29, 40);
  LineTo(29, 486);
  LineTo(790, 486);
  for (int x = 182; x <= 790; x += 152) {
    MoveTo(x, 486);
    LineTo(x, 490);
  }
  MoveTo(29, 40);
  LineTo(25, 40);
  MoveTo(29, 263);
  LineTo(25, 263);
  for (int i = 0; i <= 5; ++i) TextOut(151 * i + 18, 495, QString::number(AxisLabel(start, finish, i)));
  SetPens(kTraceRed);
}

void PlotSurface::RepaintFromPlot() {
  if (plot_.isNull() || window_.isNull()) return;
  QPainter painter(&window_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, plot_);
  ink_ = windowChange_ = kClientArea;
}

QRect PlotSurface::TakeWindowChange() { return std::exchange(windowChange_, QRect()); }
