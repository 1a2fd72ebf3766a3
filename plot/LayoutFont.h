// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The font the program's layout was made for: 8-point "MS Sans Serif".
// Its text positions assume that face's widths, so where it is missing a face
// of the same widths (Tahoma) comes next, then the nearest sans serif.
#include <QFont>

// Makes the faces available where the system has them outside fontconfig's
// folders (Debian's fonts-wine); call once the application exists.
void LoadLayoutFonts();

// The layout's face at 8 points. "MS Sans Serif" is a bitmap face with the
// pixel sizes of a device pixel ratio of 1 only; `scalableOnly` leaves it out.
QFont LayoutFont(bool scalableOnly = false);

// The plot's text: the layout's face in plain black and white pixels.
QFont PlotFont();
