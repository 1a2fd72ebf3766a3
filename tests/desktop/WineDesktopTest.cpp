// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows build under Wine on the test's X server (with-wine.sh sets
// LMX_DESKTOP_PROGRAM to "wine lmx.exe" and a Wine prefix of the run's own):
// the program keeps its settings in the prefix's registry, where each start
// of the desktop tests finds them fresh and the settings dialog's values
// must arrive.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QMap>
#include <QRegularExpression>
#include <QScreen>

#include "tests/desktop/Desktop.h"
#include "tests/support/QtPrinters.h"

namespace {

const QString kKey = QStringLiteral("HKCU\\software\\microsoft\\windows\\lmx");

bool UnderWine() { return !qEnvironmentVariableIsEmpty("LMX_DESKTOP_PROGRAM"); }

// Before each start: no settings, or only a measured zero level.
[[maybe_unused]] const bool kResetInstalled = [] {
  if (UnderWine())
    SetSettingsReset([](bool calibrated) {
      WineReg({QStringLiteral("delete"), kKey, QStringLiteral("/f")});
      if (calibrated)
        WineReg({QStringLiteral("add"), kKey, QStringLiteral("/v"), QStringLiteral("zero"), QStringLiteral("/t"),
             QStringLiteral("REG_DWORD"), QStringLiteral("/d"), QStringLiteral("0"), QStringLiteral("/f")});
    });
  return true;
}();

// The values under the program's key: name -> "REG_DWORD 0x7d0".
QMap<QString, QString> RegistryValues() {
  QMap<QString, QString> values;
  static const QRegularExpression line(QStringLiteral("^\\s+(\\S+)\\s+(REG_\\w+)\\s+(\\S+)\\s*$"),
                                       QRegularExpression::MultilineOption);
  for (auto match = line.globalMatch(WineReg({QStringLiteral("query"), kKey})); match.hasNext();) {
    const QRegularExpressionMatch found = match.next();
    values.insert(found.captured(1), found.captured(2) + QLatin1Char(' ') + found.captured(3));
  }
  return values;
}

}  // namespace

// Windows places a window by its own frame, which under Wine is not the one
// the X window manager draws: the X window is the inside, and Windows' frame
// (its margins) lies around it where Windows would draw it. The margins are
// read off the settings dialog, which the program puts at (297, 136), and
// every other window must agree with them: a window placed by its inside or
// by the X frame stands elsewhere.
TEST(WineDesktop, EveryWindowStandsWhereItsWindowsFrameBelongs) {
  if (!UnderWine()) GTEST_SKIP() << "for the Windows build under Wine (LMX_DESKTOP_PROGRAM)";
  Program program(qEnvironmentVariable("LMX_DESKTOP_WORK") + QStringLiteral("/wine-frames"), /*calibrated=*/false);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  const auto centred = [&](const QRect& frame) {
    return std::abs(2 * frame.left() + frame.width() - screen.width()) <= 1 &&
           std::abs(2 * frame.top() + frame.height() - screen.height()) <= 1;
  };
  const QString progress = FindWindow(QStringLiteral("^System scanning...$"), 30000);
  ASSERT_FALSE(progress.isEmpty());
  const QRect progressInside = Inside(progress);
  ASSERT_TRUE(program.waitForMainWindow(30000));

  program.clickTool(163);  // Settings
  const QString settings = FindWindow(QStringLiteral("^Settings$"));
  ASSERT_FALSE(settings.isEmpty());
  const QRect settingsInside = Inside(settings);
  Key(QStringLiteral("Escape"));
  ASSERT_TRUE(WaitUntil([&] { return FindWindow(QStringLiteral("^Settings$"), 0).isEmpty(); }, 5000));
  EXPECT_EQ(settingsInside.size(), QSize(281, 211));
  const QPoint offset = settingsInside.topLeft() - QPoint(297, 136);
  // A caption and borders as Windows has them; the right and the bottom
  // border as wide as the left one.
  ASSERT_TRUE(offset.x() >= 0 && offset.x() <= 8 && offset.y() >= 18 && offset.y() <= 40) << testing::PrintToString(offset);
  const QMargins frame(offset.x(), offset.y(), offset.x(), offset.x());

  EXPECT_EQ(progressInside.size(), QSize(304, 47));
  EXPECT_TRUE(centred(progressInside.marginsAdded(frame))) << testing::PrintToString(progressInside);
  const QRect mainInside = Inside(program.mainWindow());
  EXPECT_EQ(mainInside.width(), 800);
  EXPECT_TRUE(centred(mainInside.marginsAdded(frame))) << testing::PrintToString(mainInside);

  program.clickTool(229);  // About
  const QString about = FindWindow(QStringLiteral("^About...$"));
  ASSERT_FALSE(about.isEmpty());
  EXPECT_EQ(Inside(about), QRect(QPoint(286, 144) + offset, QSize(257, 225)));
  Key(QStringLiteral("Return"));
  ASSERT_TRUE(WaitUntil([&] { return FindWindow(QStringLiteral("^About...$"), 0).isEmpty(); }, 5000));

  // The data list's frame, title bar included, has the layout's size.
  program.clickTool(188);  // Data array
  const QString data = FindWindow(QStringLiteral("^Data array$"));
  ASSERT_FALSE(data.isEmpty());
  EXPECT_EQ(Inside(data).marginsAdded(frame), QRect(377, 146, 182, 170));
  KeepShot(Screen(), QStringLiteral("wine-frames"));
  EXPECT_EQ(OnTopOnlyWhileActive(program, data), QString());
}

TEST(WineDesktop, TheSettingsDialogWritesTheRegistry) {
  if (!UnderWine()) GTEST_SKIP() << "for the Windows build under Wine (LMX_DESKTOP_PROGRAM)";
  // Uncalibrated: the program measures the zero level and stores it itself.
  Program program(qEnvironmentVariable("LMX_DESKTOP_WORK") + QStringLiteral("/wine-registry"), /*calibrated=*/false);
  ASSERT_TRUE(program.waitForMainWindow(60000));

  program.clickTool(163);  // Settings
  const QString settings = FindWindow(QStringLiteral("^Settings$"));
  ASSERT_FALSE(settings.isEmpty());
  const QPoint inside = Inside(settings).topLeft();
  // Attenuation, initial and final wavelength: each edit cleared and typed.
  for (const auto& [edit, text] : {std::pair{QPoint(112, 32), QStringLiteral("7")},
                                   std::pair{QPoint(160, 72), QStringLiteral("2000")},
                                   std::pair{QPoint(160, 104), QStringLiteral("4500")}}) {
    Click(inside + Px(edit + QPoint(20, 10)));
    Key(QStringLiteral("ctrl+a BackSpace"));
    Type(text);
  }
  Key(QStringLiteral("Return"));
  ASSERT_TRUE(WaitUntil([&] { return FindWindow(QStringLiteral("^Settings$"), 0).isEmpty(); }, 5000));
  // Spectrum > Exit ends the program, which keeps its settings on the way.
  Click(program.at(QPoint(30, -9)));  // the menu's title, above the client area
  ASSERT_TRUE(WaitUntil([&] { return WindowsOf(program.pid()).size() > 1; }, 5000)) << "no menu";
  Key(QStringLiteral("e"));
  ASSERT_TRUE(program.ended(20000)) << "the program did not end";

  const QMap<QString, QString> values = RegistryValues();
  EXPECT_EQ(values.value(QStringLiteral("weak")), QStringLiteral("REG_DWORD 0x7"));
  EXPECT_EQ(values.value(QStringLiteral("start")), QStringLiteral("REG_DWORD 0x7d0"));
  EXPECT_EQ(values.value(QStringLiteral("finish")), QStringLiteral("REG_DWORD 0x1194"));
  EXPECT_TRUE(values.value(QStringLiteral("zero")).startsWith(QLatin1String("REG_DWORD 0x")))
      << qPrintable(values.value(QStringLiteral("zero")));
}
