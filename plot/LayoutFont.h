// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The font the program's layout was made for: 8-point "MS Sans Serif".
// Its text positions assume that face's widths, so where it is missing a face
// of the same widths (Tahoma) comes next, then the nearest sans serif.
#include <QFont>

// Chooses the font engine whose glyph widths the layout assumes (on Windows
// Qt's FreeType engine); call before the application exists.
void ChooseFontEngine();

// Makes the faces available where the system keeps them out of the programs'
// reach (on Linux in the folder LMX_LAYOUT_FONT_DIR, outside fontconfig's
// folders); call once the application exists.
void LoadLayoutFonts();

// The layout's face at 8 points. "MS Sans Serif" is a bitmap face with the
// pixel sizes of a device pixel ratio of 1 only; `scalableOnly` leaves it out.
// On Windows it is left out too where Qt would show it at another size.
QFont LayoutFont(bool scalableOnly = false);

// The plot's text: the layout's face in plain black and white pixels.
QFont PlotFont();
