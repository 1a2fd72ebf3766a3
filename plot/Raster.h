// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pixel-exact drawing on one image, in any pixel format: the line routine,
// filled rectangles and opaque text. Everything is clipped to the image, so
// no coordinate, however far off, writes outside it.
#include <QImage>
#include <QRect>
#include <QString>

// Sets one pixel; on a palette image the nearest palette entry is used.
void PutPixel(QImage& image, int x, int y, QRgb colour);

// Draws from (x0, y0) towards (x1, y1): every pixel from the start up to, but
// not including, the end point. One pixel per step of the longer axis.
void DrawLine(QImage& image, int x0, int y0, int x1, int y1, QRgb colour);

// Fills the rectangle, right and bottom edges exclusive.
void FillRect(QImage& image, const QRect& rect, QRgb colour);

// Writes text with its top-left corner at (x, y), black on opaque white.
void DrawText(QImage& image, int x, int y, const QString& text);

