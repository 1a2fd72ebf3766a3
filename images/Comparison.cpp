#include "Comparison.h"

#include "PlotSurface.h"
#include "Raster.h"

QImage ComparisonMask(const QImage& picture) {
  QImage mask(picture.size(), QImage::Format_Mono);
  mask.setColorTable({kWhite, 0xFF000000u});
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      mask.setPixel(x, y, (picture.pixel(x, y) | 0xFF000000u) == kWhite ? 0 : 1);
  return mask;
}

void DrawComparison(QImage& surface, const QImage& mask) {
  for (int y = 0; y < mask.height(); ++y)
    for (int x = 0; x < mask.width(); ++x)
      if (mask.pixelIndex(x, y) == 1) PutPixel(surface, x, y, kWindowText);
}
