// SPDX-License-Identifier: GPL-3.0-or-later
#include "Comparison.h"

#include "PlotSurface.h"
#include "Raster.h"

QImage ComparisonMask(const QImage& picture) {
  // MonoLSB, index 0 where the colour is exactly white (32-bit pixels are
  // compared whole); its table (black, white) is set to what the indexes mean.
  QImage mask = picture.createMaskFromColor(kWhite, Qt::MaskOutColor);
  mask.setColorTable({kWhite, qRgb(0, 0, 0)});
  return mask;
}

void DrawComparison(QImage& surface, const QImage& mask) {
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x)
      if (mask.pixelIndex(x, y) == 1) PutPixel(surface, x, y, kWindowText);
}
