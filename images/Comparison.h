#pragma once
// Laying a stored spectrum over the one on screen.
#include <QImage>

// Two colours: exactly white (255, 255, 255) stays white, everything else
// becomes black.
QImage ComparisonMask(const QImage& picture);

// Paints the mask's black pixels onto `surface` at (0, 0) in the window-text
// colour; white pixels are transparent and leave the surface as it is.
void DrawComparison(QImage& surface, const QImage& mask);
