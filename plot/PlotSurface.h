#pragma once
// The two drawing surfaces of a measurement and the routines drawn on them.
//
// The Plot image keeps the result: it repaints the window, is saved as a
// spectrum file and is replaced by an opened one. The window surface is what
// the main window's client area shows. Every measurement primitive is applied
// to both with the same coordinates (origin at the client area's top-left).
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "Layout.h"

// Value of wavelength label i (0 to 5) of an axis from `start` to `finish`.
int32_t AxisLabel(int32_t start, int32_t finish, int i);

class PlotSurface {
 public:
  // Creates the Plot image and the window surface at the client size, white,
  // with red pens.
  void SetUp(QSize clientSize);
  // Destroys the Plot image.
  void Release();

  QImage& PlotImage() { return plot_; }
  const QImage& PlotImage() const { return plot_; }
  QImage& WindowSurface() { return window_; }
  const QImage& WindowSurface() const { return window_; }

  // Twin primitives: each is applied to both surfaces.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void SetPens(QRgb colour);
  void TextOut(int x, int y, const QString& text);

  // Clears the drawing area of the window and the whole Plot image to white.
  void Clean();
  // Draws the gray axes, ticks and six wavelength labels from start to finish.
  void Coordinat(int32_t start, int32_t finish);

  // Window-system repaint: the Plot image is copied onto the window at (0, 0).
  void RepaintFromPlot();

  // Called after every change of the window surface, so it can be shown.
  void SetWindowChanged(std::function<void()> callback) { windowChanged_ = std::move(callback); }
  // The part of the window surface that the latest change may have altered
  // (empty when it altered nothing).
  const QRect& LastWindowChange() const { return lastWindowChange_; }

 private:
  struct Pen {
    QRgb colour = kTraceRed;
    QPoint position;
  };

  // Where a surface may differ from what Clean leaves there: per column a run
  // of rows. Clean then whitens only those runs instead of the whole surface.
  // It follows our own drawing only; a change made through the accessors (seen
  // as a new cache key of the image) makes the whole surface suspect.
  class Ink {
   public:
    // `area` is the part of the surface that Clean whitens.
    explicit Ink(const QRect& area) : area_(area) {}
    // The image has just been filled with the clean colour everywhere.
    void Reset(const QImage& image);
    // Called before drawing on the image.
    void Check(const QImage& image);
    // Called after drawing within `box` (any coordinates) through the image.
    void Drawn(const QImage& image, const QRect& box);
    // Called after drawing within `box` straight into the pixels.
    void Mark(const QRect& box, int width, int height);
    // The image got a new cache key without a change of its pixels.
    void Rekey(const QImage& image);
    // Brings the clean area of the image back to `colour`; returns the part altered.
    QRect Whiten(QImage& image, QRgb colour);
    // The window after the Plot image was copied onto it.
    void CopiedFrom(const Ink& plot, const QImage& plotImage, const QImage& window);

   private:
    struct Run {
      int top = 0, bottom = -1;  // empty when top > bottom
    };
    void MarkRuns(int left, int right, int top, int bottom);

    QRect area_;
    std::vector<Run> columns_;
    bool everywhere_ = true;
    qint64 key_ = 0;
  };

  // The pixels of a 32-bit surface, kept between segments so that a trace of
  // 750 of them does not ask the image for them each time. Valid while the
  // image keeps the cache key noted here and shares its pixels with no copy.
  struct View {
    uchar* bits = nullptr;
    qsizetype stride = 0;
    int width = 0, height = 0;
    bool direct = false;
    qint64 key = -1;
  };
  // Makes `view` ready; false when the image is not 32-bit.
  static bool Prepare(QImage& image, View& view, Ink& ink);

  // Draws from the pen's position to (x, y) on one surface; returns the pixels' box.
  static QRect Segment(QImage& image, View& view, Pen& pen, Ink& ink, int x, int y);

  void windowChanged(const QRect& area) {
    lastWindowChange_ = area;
    if (windowChanged_) windowChanged_();
  }

  QImage plot_;
  QImage window_;
  Pen plotPen_;
  Pen windowPen_;
  Ink plotInk_{QRect(0, 0, kClientWidth, kClientHeight)};
  // On the window the tool bar keeps its rows; the Plot image has no bars.
  Ink windowInk_{QRect(QPoint(0, kToolBarHeight), QPoint(kClientWidth - 1, kClientHeight - 1))};
  View plotView_;
  View windowView_;
  QRect lastWindowChange_;
  std::function<void()> windowChanged_;
};
