// SPDX-License-Identifier: GPL-3.0-or-later
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

  // Whatever is done through the writable accessors counts as a change of
  // the whole surface, made when they are called: a reference kept past the
  // next Clean or TakeWindowChange is not for writing.
  QImage& PlotImage() {
    ink_ = kClientArea;
    return plot_;
  }
  const QImage& PlotImage() const { return plot_; }
  QImage& WindowSurface() {
    ink_ = windowChange_ = kClientArea;
    return window_;
  }
  const QImage& WindowSurface() const { return window_; }

  // Twin primitives: each is applied to both surfaces. Both pens always have
  // the same colour and position, so one pen stands for both.
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

  // The box of the window surface changed since the last call (empty when
  // nothing changed), so that only that part is shown again.
  QRect TakeWindowChange();

 private:
  static constexpr QRect kClientArea{0, 0, kClientWidth, kClientHeight};

  QImage plot_;
  QImage window_;
  // Where the surfaces may differ from white: the box of what was drawn on
  // them since Clean, which whitens only that box.
  QRect ink_;
  QRect windowChange_;
  QRgb pen_ = kTraceRed;
  QPoint position_;
};
