// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the layout's font takes from the system it runs on: the build takes
// LayoutFontLinux.cpp or LayoutFontWindows.cpp. They also define
// ChooseFontEngine() and LoadLayoutFonts() of LayoutFont.h.
#include <QFont>

// Whether the bitmap face "MS Sans Serif" comes at its 8-point size.
bool BitmapFaceUsable();

// The hinting that keeps the faces' glyph widths as the layout assumes them.
QFont::HintingPreference LayoutHinting();
