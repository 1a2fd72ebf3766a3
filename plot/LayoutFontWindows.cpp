// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutFontPlatform.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include "LayoutFont.h"

// Qt's GDI engine asks for a bitmap face with the face's cell height as the
// character height, so 8-point "MS Sans Serif" (a 13-pixel cell at 96 dpi,
// 11 pixels of character) comes as its 10-point size. The face is used only
// where it comes at its 8-point size.
bool BitmapFaceUsable() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSize(8);
  if (QFontInfo(font).family() != QLatin1String("MS Sans Serif")) return false;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const qreal eightPoints = 8.0 * (screen ? screen->logicalDotsPerInchY() : 96.0) / 72.0;
  return QFontMetrics(font).height() <= eightPoints * 1.25;
}

// Lightly hinted glyphs keep the faces' design widths, as on Linux.
QFont::HintingPreference LayoutHinting() { return QFont::PreferVerticalHinting; }

void ChooseFontEngine() {
  // Qt's FreeType engine instead of GDI, unless a platform was chosen. GDI
  // rounds each glyph's width to whole pixels: "Translated into English by"
  // in Tahoma at 8 points is then 135 pixels instead of 124 and overruns its
  // room.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}

// Windows has the faces in its Fonts folder, where Qt finds them itself.
void LoadLayoutFonts() {}
