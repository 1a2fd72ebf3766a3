#include "PlotSurface.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "Raster.h"
#include "Rounding.h"

namespace {

bool IsDirect32(const QImage& image) {
  const QImage::Format format = image.format();
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

// The box of a line's pixels inside a width x height picture; the end point
// is included, which only makes the box larger than needed.
QRect LineBox(int width, int height, int x0, int y0, int x1, int y1) {
  const int left = std::max(std::min(x0, x1), 0), right = std::min(std::max(x0, x1), width - 1);
  const int top = std::max(std::min(y0, y1), 0), bottom = std::min(std::max(y0, y1), height - 1);
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

void PlotSurface::Ink::Reset(const QImage& image) {
  columns_.assign(static_cast<size_t>(image.width()), Run{});
  everywhere_ = false;
  key_ = image.cacheKey();
}

void PlotSurface::Ink::Check(const QImage& image) {
  if (image.cacheKey() != key_ || columns_.size() != static_cast<size_t>(image.width())) everywhere_ = true;
}

void PlotSurface::Ink::Rekey(const QImage& image) {
  if (!everywhere_) key_ = image.cacheKey();
}

void PlotSurface::Ink::MarkRuns(int left, int right, int top, int bottom) {
  for (int x = left; x <= right; ++x) {
    Run& run = columns_[static_cast<size_t>(x)];
    if (run.top > run.bottom) {
      run = Run{top, bottom};
    } else {
      run.top = std::min(run.top, top);
      run.bottom = std::max(run.bottom, bottom);
    }
  }
}

void PlotSurface::Ink::Drawn(const QImage& image, const QRect& box) {
  key_ = image.cacheKey();
  Mark(box, image.width(), image.height());
}

void PlotSurface::Ink::Mark(const QRect& box, int width, int height) {
  if (everywhere_ || box.isEmpty()) return;
  // Plain integer clipping: this runs for every segment of a trace.
  const int left = std::max({box.left(), area_.left(), 0});
  const int right = std::min({box.right(), area_.right(), width - 1});
  const int top = std::max({box.top(), area_.top(), 0});
  const int bottom = std::min({box.bottom(), area_.bottom(), height - 1});
  if (left <= right && top <= bottom) MarkRuns(left, right, top, bottom);
}

QRect PlotSurface::Ink::Whiten(QImage& image, QRgb colour) {
  Check(image);
  const QRect clip = area_.intersected(image.rect());
  QRect altered;
  if (everywhere_) {
    FillRect(image, area_, colour);
    altered = clip;
    columns_.assign(static_cast<size_t>(image.width()), Run{});
    everywhere_ = false;
  } else if (!clip.isEmpty()) {
    // Marks lie inside the clean area, so every run is whitened whole.
    const bool direct = IsDirect32(image);
    const QRgb pixel = 0xFF000000u | colour;
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int left = clip.right() + 1, right = -1, top = clip.bottom() + 1, bottom = -1;
    for (int x = clip.left(); x <= clip.right(); ++x) {
      Run& run = columns_[static_cast<size_t>(x)];
      if (run.top > run.bottom) continue;
      if (direct) {
        if (!bits) {
          bits = image.bits();
          stride = image.bytesPerLine();
        }
        uchar* at = bits + run.top * stride + x * static_cast<qsizetype>(sizeof(QRgb));
        for (int y = run.top; y <= run.bottom; ++y, at += stride) *reinterpret_cast<QRgb*>(at) = pixel;
      } else {
        FillRect(image, QRect(QPoint(x, run.top), QPoint(x, run.bottom)), colour);
      }
      left = std::min(left, x);
      right = x;
      top = std::min(top, run.top);
      bottom = std::max(bottom, run.bottom);
      run = Run{};
    }
    if (left <= right) altered = QRect(QPoint(left, top), QPoint(right, bottom));
  }
  key_ = image.cacheKey();
  return altered;
}

void PlotSurface::Ink::CopiedFrom(const Ink& plot, const QImage& plotImage, const QImage& window) {
  key_ = window.cacheKey();
  // The copy brings the Plot image's marks along only where it covers the
  // whole window and its clean colour stays white.
  const bool covers = plotImage.width() >= window.width() && plotImage.height() >= window.height();
  if (plot.everywhere_ || plotImage.cacheKey() != plot.key_ || !IsDirect32(plotImage) || !covers ||
      !plot.area_.contains(area_) || plot.columns_.size() < static_cast<size_t>(window.width())) {
    everywhere_ = true;
    return;
  }
  columns_.assign(plot.columns_.begin(), plot.columns_.begin() + window.width());
  everywhere_ = false;
  const QRect clip = area_.intersected(window.rect());
  for (Run& run : columns_) {
    run.top = std::max(run.top, clip.top());
    run.bottom = std::min(run.bottom, clip.bottom());
  }
}

void PlotSurface::SetUp(QSize clientSize) {
  plot_ = QImage(clientSize, QImage::Format_RGB32);
  plot_.fill(kWhite);
  window_ = QImage(clientSize, QImage::Format_RGB32);
  window_.fill(kWhite);
  plotInk_.Reset(plot_);
  windowInk_.Reset(window_);
  plotPen_ = Pen{};
  windowPen_ = Pen{};
}

void PlotSurface::Release() { plot_ = QImage(); }

void PlotSurface::MoveTo(int x, int y) {
  plotPen_.position = QPoint(x, y);
  windowPen_.position = QPoint(x, y);
}

bool PlotSurface::Prepare(QImage& image, View& view, Ink& ink) {
  if (image.cacheKey() == view.key && image.isDetached()) return view.direct;
  // Changed from outside, or shared with a copy: look again. Asking for the
  // pixels gives this image its own copy when shared, which changes its key
  // but not its pixels.
  ink.Check(image);
  view.direct = IsDirect32(image);
  if (view.direct) {
    view.bits = image.bits();
    view.stride = image.bytesPerLine();
    view.width = image.width();
    view.height = image.height();
    ink.Rekey(image);
  }
  view.key = image.cacheKey();
  return view.direct;
}

QRect PlotSurface::Segment(QImage& image, View& view, Pen& pen, Ink& ink, int x, int y) {
  const int x0 = pen.position.x(), y0 = pen.position.y();
  pen.position = QPoint(x, y);
  if (Prepare(image, view, ink)) {
    DrawLine32(view.bits, view.stride, view.width, view.height, x0, y0, x, y, pen.colour);
    const QRect box = LineBox(view.width, view.height, x0, y0, x, y);
    const int64_t dx = int64_t{x} - x0, dy = int64_t{y} - y0;
    if ((dx == 1 || dx == -1) && std::llabs(dy) >= 2) {
      // A steep step of one column, as in a trace: the first half of the rows
      // lies in the starting column, the rest (without the end point) in the next.
      const int64_t down = dy < 0 ? -1 : 1, turn = y0 + down * ((std::llabs(dy) + 1) / 2);
      auto run = [&](int column, int64_t from, int64_t to) {
        const int top = static_cast<int>(std::clamp<int64_t>(std::min(from, to), -1, view.height));
        const int bottom = static_cast<int>(std::clamp<int64_t>(std::max(from, to), -1, view.height));
        ink.Mark(QRect(QPoint(column, top), QPoint(column, bottom)), view.width, view.height);
      };
      run(x0, y0, turn - down);
      run(x, turn, y - down);
    } else {
      ink.Mark(box, view.width, view.height);
    }
    return box;
  }
  const QRect box = LineBox(image.width(), image.height(), x0, y0, x, y);
  DrawLine(image, x0, y0, x, y, pen.colour);
  ink.Drawn(image, box);
  return box;
}

void PlotSurface::LineTo(int x, int y) {
  Segment(plot_, plotView_, plotPen_, plotInk_, x, y);
  windowChanged(Segment(window_, windowView_, windowPen_, windowInk_, x, y));
}

void PlotSurface::SetPens(QRgb colour) {
  plotPen_.colour = colour;
  windowPen_.colour = colour;
}

void PlotSurface::TextOut(int x, int y, const QString& text) {
  plotInk_.Check(plot_);
  plotInk_.Drawn(plot_, DrawText(plot_, x, y, text));
  windowInk_.Check(window_);
  const QRect box = DrawText(window_, x, y, text);
  windowInk_.Drawn(window_, box);
  windowChanged(box.intersected(window_.rect()));
}

void PlotSurface::Clean() {
  SetPens(kWhite);
  const QRect altered = windowInk_.Whiten(window_, kWhite);
  plotInk_.Whiten(plot_, kWhite);
  SetPens(kTraceRed);
  windowChanged(altered);
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
  plotInk_.Check(plot_);
  QPainter painter(&window_);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(0, 0, plot_);
  painter.end();
  windowInk_.CopiedFrom(plotInk_, plot_, window_);
  windowChanged(plot_.rect().intersected(window_.rect()));
}
