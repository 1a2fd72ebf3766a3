// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real program on the test's X server (see with-desktop.sh), driven as a
// user drives it: real input events through xdotool, the window manager's
// frames through xwininfo and xprop, and what the screen shows through
// screenshots of the root window.
//
// On Xwayland under weston's headless compositor there is no seat: no
// pointer, no keyboard, and weston's window manager gives no X window the
// input focus. The input then goes to the program's windows as events sent
// to them (the program handles them as it handles the seat's), and the
// screen is put together from the windows' own pictures, since a rootless
// X server's root window shows none of them.
#include <QImage>
#include <QMargins>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// The scale the program runs at (QT_SCALE_FACTOR, or under Wine the
// display's setting), 1, 1.25, 1.5, 1.75 or 2.
double Scale();
// A layout length or point in the screen's pixels.
int Px(int layout);
QPoint Px(QPoint layout);
QRect Px(const QRect& layout);

// Output of a helper program; empty when it failed or took longer than 10 s.
QString Run(const QString& program, const QStringList& arguments);
// True when the program runs on Xwayland (with-desktop.sh --xwayland).
bool OnXwayland();
// True when windows keep their pictures while covered (a compositing manager
// or a Wayland compositor): nothing is repainted when a dialog closes.
bool Compositing();

// Input: a click at a screen point, keys ("alt+s", "Return"), typed text;
// keys and text go to the window that has the input focus (on Xwayland: the
// program's top window).
void Click(QPoint screen);
// Moves the pointer there and leaves it.
void Hover(QPoint screen);
void Press(QPoint screen);
void Release(QPoint screen);
void Key(const QString& keys);
void Type(const QString& text);

// Waits until `condition` holds, at most `timeoutMs`; true when it did.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// The first visible window whose name matches `pattern` (xdotool's regular
// expressions), waiting up to `timeoutMs`; empty when there is none.
QString FindWindow(const QString& pattern, int timeoutMs = 60000);
// Waits until no visible window's name matches `pattern`; false when one still does after `timeoutMs`.
bool WaitUntilGone(const QString& pattern, int timeoutMs = 60000);
// The names of the visible windows of process `pid`, and their ids.
QStringList WindowsOf(qint64 pid);
QStringList WindowIdsOf(qint64 pid);
// Waits for a visible window of process `pid` that is not among `before`
// (ids) and shows text in any colour (a menu, a tool tip); its id, empty
// when none came.
QString NewWindowWithText(qint64 pid, const QStringList& before, int timeoutMs);
// A window's inside on the screen, and the frame its window manager puts
// around it (_NET_FRAME_EXTENTS).
QRect Inside(const QString& window);
QMargins Frame(const QString& window);
QRect Outer(const QString& window);
// A property of a window as xprop prints it.
QString Property(const QString& window, const QString& name);

// The screen as shown now (root window), or a part of it.
QImage Screen();
QImage Screen(const QRect& area);
// Keeps `image` as <name>.png in LMX_DESKTOP_SHOTS for a person to look at.
void KeepShot(const QImage& image, const QString& name);

// Ink of one kind in `area` of `image`: the first and last column holding it.
struct Ink {
  int first = -1;
  int last = -1;
  int pixels = 0;
};
Ink InkIn(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& kind);
bool Dark(QRgb colour);  // black text, antialiased edges left out
bool Blue(QRgb colour);  // link text
bool Red(QRgb colour);   // the trace

// The program under test: the Linux build, or the command line in
// LMX_DESKTOP_PROGRAM (the Windows build under Wine: "wine lmx.exe").
QStringList ProgramCommand();
// For a program that keeps its settings elsewhere than in the settings folder
// (the Windows build: in the registry): called before each start, with the
// start's `calibrated`, to make its settings fresh.
void SetSettingsReset(std::function<void(bool calibrated)> reset);

// One start of the program with its own settings folder (created if needed).
class Program {
 public:
  // `calibrated`: a zero level is stored, so no calibration runs at start.
  explicit Program(const QString& configFolder, bool calibrated = true);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Waits for the main window; false when it did not come.
  bool waitForMainWindow(int timeoutMs = 60000);
  qint64 pid() const { return process_.processId(); }
  // Waits until the program has ended; false when it still runs.
  bool ended(int timeoutMs) { return process_.waitForFinished(timeoutMs); }
  const QString& mainWindow() const { return mainWindow_; }
  // The screen position of a point of the client area (layout coordinates).
  QPoint at(QPoint client) const;
  QRect at(const QRect& client) const;
  // Clicks the tool bar button that stands at layout x.
  void clickTool(int x) const;
  // Opens the "Spectrum" menu with a click and waits until it is on the
  // screen; false when it did not come.
  bool openMenu() const;
  // Waits until the program's menu has gone; false when it stayed.
  bool menuClosed() const;
  // Waits until the program has handled all input and window-system events
  // given so far and painted what they changed: presses the tool bar button
  // at layout x and lets go beside it, so that no command runs. The button
  // shows itself pressed only after what came before was handled, and in
  // the same paint. Returns the milliseconds from the press to its look on
  // the screen, read as clientArea() reads it; -1 when the button showed no
  // press or stayed pressed.
  qint64 settle(int toolX) const;
  // The client area as shown now.
  QImage clientArea() const;

 private:
  QProcess process_;
  QString mainWindow_;
  QRect inside_;
  QPoint clientOrigin_;
  mutable qsizetype menuBaseline_ = 0;
};

// Plays a signal into the test's sound server, whose default source the
// program records: `cycle` (mono 16-bit samples at 44100 Hz) over and over
// for a minute, or until destroyed.
class PlayedSignal {
 public:
  explicit PlayedSignal(const QList<qint16>& cycle);
  ~PlayedSignal();
  PlayedSignal(const PlayedSignal&) = delete;
  PlayedSignal& operator=(const PlayedSignal&) = delete;

 private:
  QProcess player_;
};

// Runs Wine's reg.exe in the Wine prefix the program runs in (under Wine
// only); its output, empty when it failed.
QString WineReg(const QStringList& arguments);

// True when the program left the state of Qt's file dialogs behind: the
// registry key HKEY_CURRENT_USER\Software\QtProject under Wine, QtProject.conf
// in its configuration folder elsewhere.
bool QtDialogStateLeftBehind(const QString& configFolder);

// Checks a window that stays on top of the others while its program is the
// active one: on top (_NET_WM_STATE_ABOVE) now, in the normal order once
// another program is activated, on top again once a click on the program's
// main window reactivates it, and the same window in the same place
// throughout. Returns what went wrong first, or an empty string.
QString OnTopOnlyWhileActive(const Program& program, const QString& window);
