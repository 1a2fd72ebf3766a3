// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace {

// Sans serif faces near the layout's widths, for systems without Tahoma: the
// windows never fall back to a serif face.
QStringList SansSerifFaces() {
  return {QStringLiteral("Tahoma"), QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Liberation Sans"),
          QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"), QStringLiteral("Arial")};
}

}  // namespace

#ifdef Q_OS_WIN

namespace {

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
constexpr QFont::HintingPreference kHinting = QFont::PreferVerticalHinting;

}  // namespace

void ChooseFontEngine() {
  // Qt's FreeType engine instead of GDI, unless a platform was chosen. GDI
  // rounds each glyph's width to whole pixels: "Translated into English by"
  // in Tahoma at 8 points is then 135 pixels instead of 124 and overruns its
  // room, and Wine's GDI drops the stems of Tahoma's letters at smaller sizes.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}

void LoadLayoutFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return;
  // Wine keeps its own Tahoma in its data folder, which it names to programs
  // in WINEDATADIR as an NT path ("\??\Z:\usr\share\wine"); not every Wine
  // build installs those faces for programs itself.
  QString folder = qEnvironmentVariable("WINEDATADIR");
  if (folder.isEmpty()) return;
  if (folder.startsWith(QLatin1String("\\??\\"))) folder = folder.mid(4);
  for (const char* file : {"tahoma.ttf", "tahomabd.ttf"})
    QFontDatabase::addApplicationFont(folder + QStringLiteral("\\fonts\\") + QLatin1String(file));
}

#else

namespace {

bool BitmapFaceUsable() { return true; }

// fontconfig's choice.
constexpr QFont::HintingPreference kHinting = QFont::PreferDefaultHinting;

}  // namespace

void ChooseFontEngine() {}

void LoadLayoutFonts() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  // Debian's fonts-wine keeps the faces outside fontconfig's folders.
  for (const char* file : {"ms_sans_serif.ttf", "tahoma.ttf", "tahomabd.ttf"})
    QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/") + QLatin1String(file));
}

#endif

QFont LayoutFont(bool scalableOnly) {
  QStringList families = SansSerifFaces();
  if (!scalableOnly && BitmapFaceUsable()) families.prepend(QStringLiteral("MS Sans Serif"));
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setHintingPreference(kHinting);
  font.setPointSize(8);
  return font;
}

QFont PlotFont() {
  LoadLayoutFonts();
  QFont font = LayoutFont();
  // Plain black and white pixels: a stored picture holds no blended colours.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}
