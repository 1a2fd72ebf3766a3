// SPDX-License-Identifier: GPL-3.0-or-later
// The program as users see it: the real program on an X server with the
// openbox window manager (with-desktop.sh), commands given with real mouse
// clicks and keys, and what reaches the screen read off screenshots. Offscreen
// tests cannot see these: window-manager frames, real font metrics, repaints
// after a dialog closes, typing into a file dialog.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <cmath>

#include "Layout.h"
#include "tests/desktop/Desktop.h"
#include "tests/support/QtPrinters.h"

namespace {

// Where the tool bar's buttons stand (layout x).
// The monitor's trace: sample n at x = n + 20, a zero sample at y = 250.
constexpr int kMonitorLeft = 20, kMonitorBaseline = 250;

constexpr int kStart = 8, kStop = 33, kOpen = 73, kCompare = 98, kSave = 123, kSettings = 163, kData = 188, kAbout = 229;

QString Folder(const QString& name) {
  const QString folder = qEnvironmentVariable("LMX_DESKTOP_WORK") + QLatin1Char('/') + name;
  QDir().mkpath(folder);
  return folder;
}

QRect ScreenArea() { return QGuiApplication::primaryScreen()->geometry(); }

// True when `outer` is centred on the screen (to the pixel, halves either way).
bool Centred(const QRect& outer) {
  const QRect screen = ScreenArea();
  return std::abs(2 * outer.left() + outer.width() - screen.width()) <= 1 &&
         std::abs(2 * outer.top() + outer.height() - screen.height()) <= 1;
}

// A row of text in a screenshot of a window's inside: from layout x `from`,
// top y, one line high (with a shadow's pixel), up to layout x `to`.
QRect Row(int from, int y, int to, int height = 15) { return Px(QRect(from, y, to - from, height)); }

// Closes a dialog with a key and waits until it has gone.
void CloseWith(const QString& key, const QString& pattern) {
  Key(key);
  EXPECT_TRUE(WaitUntilGone(pattern)) << key.toStdString() << " did not close " << pattern.toStdString();
}

// True when the tool bar's Start button is enabled (its green arrow in colour).
bool StartEnabled(const Program& program) {
  const auto green = [](QRgb c) { return qGreen(c) > 100 && qRed(c) < 100 && qBlue(c) < 100; };
  return InkIn(program.clientArea(), Px(QRect(8, 2, 25, 25)), green).pixels > 0;
}

// Red ink of the monitor's trace above and below its baseline (y = 250):
// how far each pixel has gone from white towards the trace's red.
struct TraceInk {
  double upper = 0;
  double lower = 0;
};
TraceInk TraceInkOf(const QImage& client) {
  TraceInk ink;
  const QRect area = Px(QRect(kMonitorLeft, 150, kClientWidth - kMonitorLeft, 200)) & client.rect();
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb c = client.pixel(x, y);
      (y < Px(kMonitorBaseline) ? ink.upper : ink.lower) += std::max(0, qRed(c) - qGreen(c)) / 255.0;
    }
  return ink;
}

// True when the gray axis passes through `point`: its exact gray at a
// whole scale, a gray blended with the white beside it otherwise.
bool AxisAt(const QImage& client, QPoint point) {
  const QRgb c = client.pixel(point);
  if (Scale() == std::floor(Scale())) return c == kAxisGray;
  return qRed(c) == qGreen(c) && qGreen(c) == qBlue(c) && qRed(c) < 224;
}

// The number of text lines in a picture of a list: runs of rows that hold
// dark ink, within the list's frame.
int TextLines(const QImage& list) {
  int lines = 0;
  bool inLine = false;
  for (int y = Px(3); y < list.height() - Px(3); ++y) {
    const bool ink = InkIn(list, QRect(Px(3), y, list.width() - Px(6), 1), Dark).pixels > 0;
    if (ink && !inLine) ++lines;
    inLine = ink;
  }
  return lines;
}

// The limit of every wait for the program: generous, for a busy machine and
// the sanitizers, which slow the program down many times over.
constexpr int kPatience = 60000;

// Time limits hold in the plain build only: the sanitizers slow the drawing
// by a factor that differs from one code path to the next. There a limit is
// set relative to what the machine takes at the moment for a click's answer.
#ifdef LMX_SANITIZED
constexpr bool kTimed = false;
#else
constexpr bool kTimed = true;
#endif

}  // namespace

TEST(Desktop, EveryWindowStandsWhereItBelongsInItsFrame) {
  if (Scale() != 1) GTEST_SKIP() << "the window frames are checked at scale 1";
  // openbox puts each window where the program asks; a Wayland compositor
  // chooses the places itself and tells X clients no frame: there every
  // window must open whole on the screen, in the size the program gives it.
  const auto placed = [](const QRect& outer, bool asked) {
    return OnXwayland() ? ScreenArea().contains(outer) : asked;
  };
  Program program(Folder("frames"), /*calibrated=*/false);
  // The first start measures the zero level under a centred progress window.
  const QString progress = FindWindow(QStringLiteral("^System scanning...$"));
  ASSERT_FALSE(progress.isEmpty());
  EXPECT_TRUE(placed(Outer(progress), Centred(Outer(progress)))) << testing::PrintToString(Outer(progress));
  EXPECT_EQ(Inside(progress).size(), QSize(304, 47));
  ASSERT_TRUE(program.waitForMainWindow());

  // The main window: centred with its frame, fixed size, no maximising.
  const QString main = program.mainWindow();
  EXPECT_TRUE(placed(Outer(main), Centred(Outer(main)))) << testing::PrintToString(Outer(main));
  EXPECT_EQ(Inside(main).width(), 800);
  if (!OnXwayland()) {  // weston's window manager lists no allowed actions
    EXPECT_FALSE(Property(main, QStringLiteral("_NET_WM_ALLOWED_ACTIONS")).contains(QLatin1String("MAXIMIZE")));
    EXPECT_FALSE(Property(main, QStringLiteral("_NET_WM_ALLOWED_ACTIONS")).contains(QLatin1String("RESIZE")));
  }

  program.clickTool(kSettings);
  const QString settings = FindWindow(QStringLiteral("^Settings$"));
  ASSERT_FALSE(settings.isEmpty());
  EXPECT_TRUE(placed(Outer(settings), Outer(settings).topLeft() == QPoint(297, 136))) << testing::PrintToString(Outer(settings));
  EXPECT_EQ(Inside(settings).size(), QSize(281, 211));
  CloseWith(QStringLiteral("Escape"), QStringLiteral("^Settings$"));

  program.clickTool(kAbout);
  const QString about = FindWindow(QStringLiteral("^About...$"));
  ASSERT_FALSE(about.isEmpty());
  EXPECT_TRUE(placed(Outer(about), Outer(about).topLeft() == QPoint(286, 144))) << testing::PrintToString(Outer(about));
  EXPECT_EQ(Inside(about).size(), QSize(257, 225));
  CloseWith(QStringLiteral("Return"), QStringLiteral("^About...$"));

  // The data list: its outer size includes the frame and the title bar. It
  // keeps a sizeable border, and asks for no maximise button (_MOTIF_WM_HINTS
  // functions and decorations without their maximise bits, 0x10 and 0x40).
  program.clickTool(kData);
  const QString data = FindWindow(QStringLiteral("^Data array$"));
  ASSERT_FALSE(data.isEmpty());
  EXPECT_EQ(Outer(data).size(), QSize(182, 170));
  EXPECT_TRUE(placed(Outer(data), Outer(data).topLeft() == QPoint(377, 146))) << testing::PrintToString(Outer(data));
  const QStringList hints = Property(data, QStringLiteral("_MOTIF_WM_HINTS")).section('=', 1).split(',');
  ASSERT_EQ(hints.size(), 5);
  EXPECT_EQ(hints[1].trimmed().toUInt(nullptr, 16) & 0x10u, 0u);
  EXPECT_EQ(hints[2].trimmed().toUInt(nullptr, 16) & 0x40u, 0u);
  KeepShot(Screen(), QStringLiteral("frames"));
  if (OnXwayland()) return;  // weston gives no X window the input focus
  EXPECT_TRUE(Property(data, QStringLiteral("_NET_WM_ALLOWED_ACTIONS")).contains(QLatin1String("RESIZE")));

  EXPECT_EQ(OnTopOnlyWhileActive(program, data), QString());
}

TEST(Desktop, TextsNeitherOverlapNorAreCut) {
  Program program(Folder("texts"));
  ASSERT_TRUE(program.waitForMainWindow());

  // The about window: each label ends before its link, links are blue and
  // end inside their frame (the frames' right edge is at x = 248).
  program.clickTool(kAbout);
  const QString about = FindWindow(QStringLiteral("^About...$"));
  ASSERT_FALSE(about.isEmpty());
  // Painted once the last link, at the bottom, is on the screen.
  QImage shot;
  EXPECT_TRUE(WaitUntil(
      [&] {
        shot = Screen(Inside(about));
        return InkIn(shot, Row(28, 160, 248), Blue).pixels > 0;
      },
      kPatience))
      << "the about window was not painted";
  KeepShot(shot, QStringLiteral("about"));
  EXPECT_LT(InkIn(shot, Row(63, 24, 248, 20), Blue).last, Px(248)) << "title";
  for (int y : {48, 72}) {
    const Ink text = InkIn(shot, Row(63, y, 248), Dark);
    EXPECT_GT(text.pixels, 0) << y;
    EXPECT_LT(text.last, Px(248)) << y;
  }
  struct LabelAndLink {
    int labelX, y, linkX;
  };
  for (const LabelAndLink row : {LabelAndLink{64, 96, 104}, LabelAndLink{64, 120, 104}, LabelAndLink{29, 160, 157}}) {
    const Ink label = InkIn(shot, Row(row.labelX - 1, row.y, 248), Dark);
    const Ink link = InkIn(shot, Row(row.labelX - 1, row.y, 248), Blue);
    EXPECT_GT(label.pixels, 0) << row.y;
    EXPECT_GT(link.pixels, 0) << row.y;
    EXPECT_LE(label.last, Px(row.linkX) - 2) << "label at y = " << row.y << " runs into its link";
    EXPECT_GE(link.first, Px(row.linkX)) << row.y;
    EXPECT_LT(link.last, Px(248)) << row.y;
  }
  CloseWith(QStringLiteral("Return"), QStringLiteral("^About...$"));

  // The settings dialog: each label ends before its edit.
  program.clickTool(kSettings);
  const QString settings = FindWindow(QStringLiteral("^Settings$"));
  ASSERT_FALSE(settings.isEmpty());
  // Painted once its last label is on the screen.
  QImage dialog;
  EXPECT_TRUE(WaitUntil(
      [&] {
        dialog = Screen(Inside(settings));
        return InkIn(dialog, Row(31, 104, 160), Dark).pixels > 0;
      },
      kPatience))
      << "the settings dialog was not painted";
  KeepShot(dialog, QStringLiteral("settings"));
  // An edit's tool tip comes when the pointer rests on it (weston's
  // headless back end has no pointer).
  if (!OnXwayland()) {
    const QStringList before = WindowIdsOf(program.pid());
    Hover(Inside(settings).topLeft() + Px(QPoint(132, 42)));
    const QString tip = NewWindowWithText(program.pid(), before, 5000);
    EXPECT_FALSE(tip.isEmpty()) << "no tool tip over the attenuation";
    if (!tip.isEmpty()) KeepShot(Screen(Outer(tip)), QStringLiteral("tip-settings"));
    Hover(Inside(settings).topLeft());
  }
  for (const LabelAndLink row : {LabelAndLink{32, 32, 112}, LabelAndLink{32, 72, 160}, LabelAndLink{32, 104, 160}}) {
    const Ink label = InkIn(dialog, Row(row.labelX - 1, row.y, row.linkX), Dark);
    EXPECT_GT(label.pixels, 0) << row.y;
    EXPECT_LE(label.last, Px(row.linkX) - 2) << "label at y = " << row.y << " runs into its edit";
  }
  // OK writes the range into the status bar's panel 1, empty until then,
  // which holds it whole.
  CloseWith(QStringLiteral("Return"), QStringLiteral("^Settings$"));
  QImage client;
  Ink range;
  EXPECT_TRUE(WaitUntil(
      [&] {
        client = program.clientArea();
        range = InkIn(client, Row(252, kStatusBarTop + 2, 799, 15), Dark);
        return range.pixels > 0;
      },
      kPatience))
      << "no range in the status bar";
  KeepShot(client, QStringLiteral("status-range"));
  EXPECT_LT(range.last, Px(797));

  // A tool bar button's tool tip comes when the pointer rests on it.
  if (OnXwayland()) return;
  const QStringList before = WindowIdsOf(program.pid());
  Hover(program.at(QPoint(kStart + 12, 14)));
  const QString tip = NewWindowWithText(program.pid(), before, 5000);
  EXPECT_FALSE(tip.isEmpty()) << "no tool tip over Start";
  if (!tip.isEmpty()) KeepShot(Screen(Outer(tip)), QStringLiteral("tip-start"));
  Hover(program.at(QPoint(400, 300)));
}

TEST(Desktop, AScanShowsItsAxesAtOnceStopsWhereAskedAndLeavesNoDialogState) {
  const QString folder = Folder("scan");
  // An input alternating between 60 and -60: the monitor's trace (zero
  // level 0, attenuation 1) zigzags between y = 190 and 310, its upper half
  // on every other column and its lower half on the columns between.
  const PlayedSignal zigzag({60, -60});
  Program program(folder);
  ASSERT_TRUE(program.waitForMainWindow());
  program.clickTool(kStart);
  QImage monitor;
  const bool traced = WaitUntil(
      [&] {
        monitor = program.clientArea();
        const TraceInk ink = TraceInkOf(monitor);
        return ink.upper > 1000 * Scale() && ink.lower > 1000 * Scale();
      },
      kPatience);
  KeepShot(monitor, QStringLiteral("monitor"));
  ASSERT_TRUE(traced) << "no monitor trace on the screen";
  // Both halves weigh the same on the screen, at every scale.
  const TraceInk ink = TraceInkOf(monitor);
  EXPECT_NEAR(ink.upper / ink.lower, 1.0, 0.1) << "upper " << ink.upper << ", lower " << ink.lower;
  EXPECT_FALSE(StartEnabled(program));
  QElapsedTimer sinceStop;
  program.clickTool(kStop);
  sinceStop.start();
  ASSERT_TRUE(WaitUntil([&] { return StartEnabled(program); }, kPatience)) << "the monitor did not stop";
  const qint64 stopped = sinceStop.elapsed();
  ASSERT_TRUE(program.openMenu());
  Key(QStringLiteral("i"));  // "Input signal" off: Start records a spectrum
  ASSERT_TRUE(program.menuClosed());
  // How long a click takes now to show on the screen (a busy machine's
  // scheduling, reading the screen): a tool button's press, and Stop, which
  // closes the input as Start opens it. The axes may take twice the longer
  // on top.
  const qint64 pressed = program.settle(kSettings);
  ASSERT_GE(pressed, 0);
  const qint64 reaction = std::max(pressed, stopped);

  // Start, and Stop 0.3 s later, during the first point (1.4 s).
  const QPoint axis = Px(QPoint(29, 300));
  QElapsedTimer sinceStart;
  program.clickTool(kStart);
  sinceStart.start();
  QImage shown;
  qint64 elapsed = -1;
  bool stopClicked = false;
  const bool axesShown = WaitUntil(
      [&] {
        if (elapsed < 0) {
          shown = program.clientArea();
          if (AxisAt(shown, axis) && TraceInkOf(shown).upper < 100) elapsed = sinceStart.elapsed();
        }
        if (sinceStart.elapsed() < 300) return false;
        if (!stopClicked) {
          program.clickTool(kStop);
          stopClicked = true;
        }
        return elapsed >= 0;
      },
      kPatience);
  KeepShot(shown, QStringLiteral("scan-start"));
  ASSERT_TRUE(axesShown) << "the old picture stays on the screen";
  if (kTimed) {
    EXPECT_LT(elapsed, 500 + 2 * reaction)
        << "the axes reached the screen after " << elapsed << " ms; Stop after " << stopped << " ms, a pressed button after " << pressed << " ms";
  }
  // The status text " Spectrum record" is there too.
  EXPECT_GT(InkIn(shown, Row(2, kStatusBarTop + 2, 249), Dark).pixels, 0);
  // Six labels under the axis, every 151 pixels from x = 18; the last one
  // ends before the window's right edge.
  for (int i = 0; i <= 5; ++i) {
    const Ink label = InkIn(shown, Row(151 * i + 16, 495, 151 * i + 60), Dark);
    EXPECT_GT(label.pixels, 0) << i;
    EXPECT_GE(label.first, Px(151 * i + 18)) << i;
    if (i == 5) {
      EXPECT_LT(label.last, Px(800) - 1) << "the label 5000 is cut at the right edge";
    }
  }

  // The first point runs without a message pass; Stop is seen at the pass
  // after the second: the data list holds two values.
  ASSERT_TRUE(WaitUntil([&] { return StartEnabled(program); }, kPatience)) << "the scan did not stop";
  program.clickTool(kData);
  const QString data = FindWindow(QStringLiteral("^Data array$"));
  ASSERT_FALSE(data.isEmpty());
  QImage list;
  EXPECT_TRUE(WaitUntil(
      [&] {
        list = Screen(Inside(data));
        return TextLines(list) == 2;
      },
      5000))
      << TextLines(list) << " lines in the data list";
  KeepShot(list, QStringLiteral("data-after-stop"));
  // weston stacks the data list over the main window's tool bar and menu.
  if (OnXwayland()) return;

  // Every file dialog once, then Exit: Qt's dialogs keep their state in a
  // store shared by all Qt programs, which the program must leave as it was.
  program.clickTool(kOpen);
  ASSERT_FALSE(FindWindow(QStringLiteral("^ Open spectrum...$")).isEmpty());
  CloseWith(QStringLiteral("Escape"), QStringLiteral("^ Open spectrum...$"));
  program.clickTool(kSave);
  ASSERT_FALSE(FindWindow(QStringLiteral("^ Save spectrum as...$")).isEmpty());
  CloseWith(QStringLiteral("Escape"), QStringLiteral("^ Save spectrum as...$"));
  // "Save data..." is the last entry of the data list's context menu.
  const QRect listArea = Inside(data);
  Click(listArea.center());
  ::Run(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("3")});
  ASSERT_TRUE(WaitUntil([&] { return WindowsOf(program.pid()).size() > 2; }, kPatience)) << "no context menu";
  Key(QStringLiteral("Up Return"));
  ASSERT_FALSE(FindWindow(QStringLiteral("^ Save data as...$")).isEmpty());
  CloseWith(QStringLiteral("Escape"), QStringLiteral("^ Save data as...$"));
  ASSERT_TRUE(program.openMenu());
  Key(QStringLiteral("e"));  // Exit, and yes to "Spectrum not saved! Want to exit?"
  ASSERT_FALSE(FindWindow(QStringLiteral("^Warning$")).isEmpty());
  Key(QStringLiteral("y"));
  ASSERT_TRUE(program.ended(20000)) << "the program did not end";
  EXPECT_FALSE(QtDialogStateLeftBehind(folder));
}

TEST(Desktop, TypedPathsInTheFileDialogsAndCompareKeepsItsOverlay) {
  const QString folder = Folder(Compositing() ? QStringLiteral("compare-composited") : QStringLiteral("compare"));
  // A spectrum picture with a red curve across the drawing area.
  QImage picture(kClientWidth, kClientHeight, QImage::Format_RGB32);
  picture.fill(Qt::white);
  {
    QPainter painter(&picture);
    painter.setPen(QColor(255, 0, 0));
    painter.drawLine(30, 450, 780, 150);
  }
  const QString file = folder + QStringLiteral("/spectrum.bmp");
  ASSERT_TRUE(picture.save(file, "BMP"));
  // Points of the curve, in the middle of the area where the dialogs stand.
  QList<QPoint> curve;
  for (int x = 300; x <= 500; x += 20)
    for (int y = 0; y < kClientHeight; ++y)
      if (picture.pixel(x, y) == qRgb(255, 0, 0)) curve << QPoint(x, y);
  ASSERT_EQ(curve.size(), 11);
  const auto curveIs = [&](const Program& program, bool (*colour)(QRgb)) {
    const QImage client = program.clientArea();
    return std::all_of(curve.begin(), curve.end(), [&](QPoint p) { return colour(client.pixel(Px(p))); });
  };
  const auto black = [](QRgb c) { return c == qRgb(0, 0, 0); };

  Program program(folder);
  ASSERT_TRUE(program.waitForMainWindow());
  const QStringList mainOnly{QStringLiteral(" Spectrometer LMX")};

  // A typed name of a missing file: the program's own error text, in the
  // default error box, after the dialog has closed.
  program.clickTool(kOpen);
  ASSERT_FALSE(FindWindow(QStringLiteral("^ Open spectrum...$")).isEmpty());
  Type(folder + QStringLiteral("/missing.bmp"));
  Key(QStringLiteral("Return"));
  ASSERT_FALSE(FindWindow(QStringLiteral("^Spectrometer LMX$")).isEmpty());
  EXPECT_EQ(WindowsOf(program.pid()), (QStringList{QStringLiteral(" Spectrometer LMX"), QStringLiteral("Spectrometer LMX")}));
  CloseWith(QStringLiteral("Return"), QStringLiteral("^Spectrometer LMX$"));

  // The full path typed and Enter pressed at once, before the completion
  // list can show: the file opens, and no list stays behind.
  program.clickTool(kOpen);
  ASSERT_FALSE(FindWindow(QStringLiteral("^ Open spectrum...$")).isEmpty());
  Type(file);
  Key(QStringLiteral("Return"));
  EXPECT_TRUE(WaitUntilGone(QStringLiteral("^ Open spectrum...$"))) << "the dialog stayed open";
  EXPECT_TRUE(WaitUntil([&] { return curveIs(program, Red); }, kPatience));
  // A completion list would come while the program handles what followed
  // the typing; the menu opens only after that.
  ASSERT_GE(program.settle(kSettings), 0);
  EXPECT_EQ(WindowsOf(program.pid()), mainOnly);

  // Reopened, the dialog proposes that file and its preview shows it.
  program.clickTool(kOpen);
  const QString open = FindWindow(QStringLiteral("^ Open spectrum...$"));
  ASSERT_FALSE(open.isEmpty());
  // The curve scaled down, its red blended with the white around it.
  QImage dialog;
  EXPECT_TRUE(WaitUntil(
      [&] {
        dialog = Screen(Inside(open));
        return InkIn(dialog, dialog.rect(), [](QRgb c) { return qRed(c) > 200 && qRed(c) - qGreen(c) > 40; }).pixels > 20;
      },
      kPatience))
      << "the preview shows no picture";
  KeepShot(dialog, QStringLiteral("open-dialog"));
  CloseWith(QStringLiteral("Escape"), QStringLiteral("^ Open spectrum...$"));

  // Compare with the same file: its curve shows black over the red one, also
  // where the dialog stood, and stays once the dialog's repaints are over.
  program.clickTool(kCompare);
  const QString compare = FindWindow(QStringLiteral("^ Compare spectrum with...$"));
  ASSERT_FALSE(compare.isEmpty());
  // openbox puts it over the curve, where a wrong repaint would wipe the overlay.
  const QRect covered = Outer(compare);
  if (!OnXwayland()) {
    ASSERT_TRUE(covered.contains(program.at(curve.first())) && covered.contains(program.at(curve.last())));
  }
  Type(file);
  Key(QStringLiteral("Return"));
  EXPECT_TRUE(WaitUntil([&] { return curveIs(program, black); }, kPatience)) << "no overlay after Compare";
  ASSERT_GE(program.settle(kSettings), 0);  // the repaints after the dialog are done
  KeepShot(program.clientArea(), Compositing() ? QStringLiteral("compare-composited") : QStringLiteral("compare"));
  EXPECT_TRUE(curveIs(program, black)) << "the overlay was wiped by the repaint after the dialog";
  EXPECT_EQ(WindowsOf(program.pid()), mainOnly);
  if (Compositing()) return;  // a compositor keeps covered windows: no repaint to test

  // Covered by another window and uncovered, the window shows the spectrum
  // again without the overlay.
  QProcess cover;
  const QPoint at = program.at(QPoint(250, 150));
  cover.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"),
                                           QStringLiteral("400x300+%1+%2").arg(at.x()).arg(at.y()),
                                           QStringLiteral("covering the window")});
  ASSERT_FALSE(FindWindow(QStringLiteral("^xmessage$")).isEmpty());
  cover.kill();
  cover.waitForFinished();
  EXPECT_TRUE(WaitUntil([&] { return curveIs(program, Red); }, kPatience)) << "the overlay stayed after a repaint";
}

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
