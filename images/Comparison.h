// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Laying a stored spectrum over the one on screen.
#include <QImage>

// Two colours: exactly white (255, 255, 255) stays white (index 0),
// everything else becomes black (index 1). The picture is taken as opaque, as
// every decoded bitmap is.
QImage ComparisonMask(const QImage& picture);

// Paints the mask's black pixels onto `surface` at (0, 0) in the window-text
// colour; white pixels are transparent and leave the surface as it is.
void DrawComparison(QImage& surface, const QImage& mask);
