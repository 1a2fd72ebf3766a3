// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/desktop/Desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <algorithm>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QPainter>
#include <QThread>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

#include "Layout.h"

double Scale() {
  static const double scale =
      qEnvironmentVariableIsSet("LMX_DESKTOP_SCALE") ? qEnvironmentVariable("LMX_DESKTOP_SCALE").toDouble() : 1.0;
  return scale;
}

int Px(int layout) { return qRound(layout * Scale()); }
QPoint Px(QPoint layout) { return QPoint(Px(layout.x()), Px(layout.y())); }
QRect Px(const QRect& layout) {
  return QRect(Px(layout.topLeft()), Px(layout.bottomRight() + QPoint(1, 1)) - QPoint(1, 1));
}

QString Run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(10000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    process.kill();
    process.waitForFinished();
    return QString();
  }
  return QString::fromLocal8Bit(process.readAllStandardOutput());
}

bool OnXwayland() { return qEnvironmentVariable("LMX_DESKTOP_XWAYLAND") == QLatin1String("true"); }

bool Compositing() { return OnXwayland() || qEnvironmentVariable("LMX_DESKTOP_COMPOSITOR") == QLatin1String("true"); }

namespace {

// The test's own connection to the X server, through Qt.
xcb_connection_t* X() { return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection(); }
xcb_window_t Root() { return xcb_setup_roots_iterator(xcb_get_setup(X())).data->root; }

template <typename Reply>
using XReply = std::unique_ptr<Reply, decltype(&std::free)>;
template <typename Reply>
XReply<Reply> Take(Reply* reply) {
  return XReply<Reply>(reply, &std::free);
}

struct Shown {
  xcb_window_t id;
  QRect area;  // on the screen
};

// The viewable children of `parent` that show something, bottom to top.
QList<Shown> ShownChildren(xcb_window_t parent) {
  QList<Shown> shown;
  const auto tree = Take(xcb_query_tree_reply(X(), xcb_query_tree(X(), parent), nullptr));
  if (!tree) return shown;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
    const auto attributes =
        Take(xcb_get_window_attributes_reply(X(), xcb_get_window_attributes(X(), children[i]), nullptr));
    if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
        attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT)
      continue;
    const auto place =
        Take(xcb_translate_coordinates_reply(X(), xcb_translate_coordinates(X(), children[i], Root(), 0, 0), nullptr));
    const auto geometry = Take(xcb_get_geometry_reply(X(), xcb_get_geometry(X(), children[i]), nullptr));
    if (place && geometry)
      shown.append({children[i], QRect(place->dst_x, place->dst_y, geometry->width, geometry->height)});
  }
  return shown;
}

// The window's own picture of `part` (screen coordinates, inside the window).
QImage Picture(const Shown& window, const QRect& part) {
  const QPoint at = part.topLeft() - window.area.topLeft();
  const auto image = Take(xcb_get_image_reply(
      X(),
      xcb_get_image(X(), XCB_IMAGE_FORMAT_Z_PIXMAP, window.id, static_cast<int16_t>(at.x()), static_cast<int16_t>(at.y()),
                    static_cast<uint16_t>(part.width()), static_cast<uint16_t>(part.height()), ~0u),
      nullptr));
  // Depth 24 and 32 alike come as 32-bit pixels, blue first.
  if (!image || xcb_get_image_data_length(image.get()) < part.width() * part.height() * 4) return QImage();
  return QImage(xcb_get_image_data(image.get()), part.width(), part.height(), part.width() * 4, QImage::Format_RGB32)
      .copy();
}

// The screen as the compositor shows it: the top-level windows' pictures on
// black, in their stacking order.
QImage ComposedScreen() {
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  QImage composed(screen.size(), QImage::Format_RGB32);
  composed.fill(Qt::black);
  QPainter painter(&composed);
  for (const Shown& window : ShownChildren(Root())) {
    const QRect visible = window.area & screen;
    if (!visible.isEmpty()) painter.drawImage(visible.topLeft(), Picture(window, visible));
  }
  return composed;
}

// True for a client's window: it names its process (_NET_WM_PID), as the
// window manager's frames do not.
bool OfAClient(xcb_window_t window) {
  static const xcb_atom_t pid = [] {
    const auto atom = Take(xcb_intern_atom_reply(X(), xcb_intern_atom(X(), 0, 11, "_NET_WM_PID"), nullptr));
    return atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
  }();
  const auto property =
      Take(xcb_get_property_reply(X(), xcb_get_property(X(), 0, window, pid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
  return property && property->value_len > 0;
}

// The innermost shown window at a screen point (the top-level's client
// window inside the window manager's frame), or the topmost when `point` is
// null. A frame whose client has gone (the window manager unmaps it a moment
// later) takes no input.
xcb_window_t WindowAt(const std::optional<QPoint>& point) {
  xcb_window_t found = XCB_WINDOW_NONE;
  for (xcb_window_t parent = Root();;) {
    const QList<Shown> children = ShownChildren(parent);
    const auto top = std::find_if(children.rbegin(), children.rend(), [&](const Shown& child) {
      return (!point || child.area.contains(*point)) && (OfAClient(child.id) || !ShownChildren(child.id).isEmpty());
    });
    if (top == children.rend()) return found;
    found = parent = top->id;
  }
}

// A press or release of the first button sent as the X server would deliver
// a seat's: the press to the window under `screen`, the release to the same
// window (the pointer is grabbed while the button is down).
void SendButton(QPoint screen, bool press) {
  static xcb_window_t pressed = XCB_WINDOW_NONE;
  static uint32_t time = 1;
  if (press) pressed = WindowAt(screen);
  const auto place = Take(
      xcb_translate_coordinates_reply(X(), xcb_translate_coordinates(X(), Root(), pressed, screen.x(), screen.y()), nullptr));
  if (!place) return;
  time += press ? 1000 : 50;  // presses far apart: never a double click
  xcb_button_press_event_t event{};
  event.response_type = press ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE;
  event.detail = 1;
  event.time = time;
  event.root = Root();
  event.event = pressed;
  event.root_x = static_cast<int16_t>(screen.x());
  event.root_y = static_cast<int16_t>(screen.y());
  event.event_x = place->dst_x;
  event.event_y = place->dst_y;
  event.state = press ? 0 : XCB_BUTTON_MASK_1;
  event.same_screen = 1;
  // No event mask: to the client that made the window, whatever it selected.
  xcb_send_event(X(), 0, pressed, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  xcb_flush(X());
}

// xdotool's arguments that send keys to the program's top window on Xwayland.
QStringList ToTopWindow() {
  if (!OnXwayland()) return {};
  return {QStringLiteral("--window"), QString::number(WindowAt(std::nullopt))};
}

}  // namespace

void Press(QPoint screen) {
  if (OnXwayland()) return SendButton(screen, true);
  Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y()),
                                  QStringLiteral("mousedown"), QStringLiteral("1")});
}

void Release(QPoint screen) {
  if (OnXwayland()) return SendButton(screen, false);
  Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y()),
                                  QStringLiteral("mouseup"), QStringLiteral("1")});
}

void Click(QPoint screen) {
  Press(screen);
  Release(screen);
}

void Hover(QPoint screen) {
  // Two moves, as a hand makes many: Qt on Windows takes the move that
  // brings the pointer into a window for the entering alone, and a tool tip
  // waits for a move within the window.
  for (const QPoint step : {screen - QPoint(2, 2), screen})
    Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(step.x()), QString::number(step.y())});
}

void Key(const QString& keys) {
  const QStringList to = OnXwayland() ? ToTopWindow() : QStringList{QStringLiteral("--clearmodifiers")};
  Run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + to + keys.split(' '));
}

void Type(const QString& text) {
  Run(QStringLiteral("xdotool"),
      QStringList{QStringLiteral("type")} + ToTopWindow() + QStringList{QStringLiteral("--delay"), QStringLiteral("10"), text});
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  for (;;) {
    if (condition()) return true;
    if (timer.elapsed() > timeoutMs) return false;
    QThread::msleep(20);
  }
}

QString FindWindow(const QString& pattern, int timeoutMs) {
  QString found;
  WaitUntil(
      [&] {
        found = Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                QStringLiteral("--name"), pattern})
                    .section('\n', 0, 0)
                    .trimmed();
        return !found.isEmpty();
      },
      timeoutMs);
  return found;
}

bool WaitUntilGone(const QString& pattern, int timeoutMs) {
  return WaitUntil([&] { return FindWindow(pattern, 0).isEmpty(); }, timeoutMs);
}

QStringList WindowIdsOf(qint64 pid) {
  return Run(QStringLiteral("xdotool"),
             {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), QString::number(pid)})
      .split('\n', Qt::SkipEmptyParts);
}

QStringList WindowsOf(qint64 pid) {
  QStringList names;
  for (const QString& id : WindowIdsOf(pid))
    names << Run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}).section(QLatin1Char('\n'), 0, 0);
  return names;
}

namespace {
// True when a picture shows text of any colour: pixels that stand out from
// its background (its most common colour) by a quarter of the gray scale.
bool ShowsText(const QImage& picture) {
  QHash<QRgb, int> counts;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) ++counts[picture.pixel(x, y)];
  if (counts.isEmpty()) return false;
  const QRgb background = std::max_element(counts.cbegin(), counts.cend()).key();
  const auto standsOut = [&](QRgb c) { return std::abs(qGray(c) - qGray(background)) >= 64; };
  return InkIn(picture, picture.rect(), standsOut).pixels > 0;
}
}  // namespace

QString NewWindowWithText(qint64 pid, const QStringList& before, int timeoutMs) {
  QString found;
  WaitUntil(
      [&] {
        for (const QString& window : WindowIdsOf(pid))
          if (!before.contains(window) && ShowsText(Screen(Inside(window)))) {
            found = window;
            return true;
          }
        return false;
      },
      timeoutMs);
  return found;
}

namespace {

int Field(const QString& text, const QString& label) {
  const QRegularExpression pattern(QRegularExpression::escape(label) + QStringLiteral(":\\s*(-?\\d+)"));
  const QRegularExpressionMatch match = pattern.match(text);
  return match.hasMatch() ? match.captured(1).toInt() : -1;
}

}  // namespace

QRect Inside(const QString& window) {
  const QString info = Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
  return QRect(Field(info, QStringLiteral("Absolute upper-left X")), Field(info, QStringLiteral("Absolute upper-left Y")),
               Field(info, QStringLiteral("Width")), Field(info, QStringLiteral("Height")));
}

QMargins Frame(const QString& window) {
  // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
  const QStringList values = Property(window, QStringLiteral("_NET_FRAME_EXTENTS")).section('=', 1).split(',');
  if (values.size() != 4) return QMargins();
  return QMargins(values[0].trimmed().toInt(), values[2].trimmed().toInt(), values[1].trimmed().toInt(),
                  values[3].trimmed().toInt());
}

QRect Outer(const QString& window) { return Inside(window).marginsAdded(Frame(window)); }

QString Property(const QString& window, const QString& name) {
  return Run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name}).trimmed();
}

QImage Screen() {
  if (OnXwayland()) return ComposedScreen();
  return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage Screen(const QRect& area) {
  if (OnXwayland()) return ComposedScreen().copy(area);
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

void KeepShot(const QImage& image, const QString& name) {
  const QString folder = qEnvironmentVariable("LMX_DESKTOP_SHOTS");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  const QString where = OnXwayland() ? QStringLiteral("-xwayland") : QString();
  image.save(QDir(folder).filePath(QStringLiteral("%1-scale%2%3.png").arg(name).arg(Scale()).arg(where)));
}

Ink InkIn(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& kind) {
  Ink ink;
  const QRect inside = area.intersected(image.rect());
  for (int x = inside.left(); x <= inside.right(); ++x)
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
      if (!kind(image.pixel(x, y))) continue;
      if (ink.first < 0) ink.first = x;
      ink.last = x;
      ++ink.pixels;
    }
  return ink;
}

bool Dark(QRgb colour) { return qRed(colour) < 110 && qGreen(colour) < 110 && qBlue(colour) < 110; }
bool Blue(QRgb colour) { return qBlue(colour) > 150 && qRed(colour) < 110 && qGreen(colour) < 110; }
bool Red(QRgb colour) { return qRed(colour) > 200 && qGreen(colour) < 80 && qBlue(colour) < 80; }

namespace {
// Set from other files' static initialisers, hence made on first use.
std::function<void(bool)>& SettingsReset() {
  static std::function<void(bool)> reset;
  return reset;
}
}  // namespace

QStringList ProgramCommand() {
  const QString command = qEnvironmentVariable("LMX_DESKTOP_PROGRAM");
  return command.isEmpty() ? QStringList{QStringLiteral(LMX_PROGRAM)} : QProcess::splitCommand(command);
}

void SetSettingsReset(std::function<void(bool calibrated)> reset) { SettingsReset() = std::move(reset); }

Program::Program(const QString& configFolder, bool calibrated) {
  QDir().mkpath(configFolder + QStringLiteral("/lmx"));
  if (calibrated) {
    QFile settings(configFolder + QStringLiteral("/lmx/settings.reg"));
    if (!settings.exists() && settings.open(QIODevice::WriteOnly))
      settings.write("[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]\n\"zero\"=dword:00000000\n");
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
  if (qEnvironmentVariableIsEmpty("LMX_DESKTOP_PROGRAM"))
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  else
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));  // a Windows build has its own platform
  // A Windows build takes its scale from the display's setting in its Wine
  // prefix (with-wine.sh), as on Windows.
  if (qEnvironmentVariableIsEmpty("LMX_DESKTOP_PROGRAM"))
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(Scale()));
  else
    environment.remove(QStringLiteral("QT_SCALE_FACTOR"));
  if (SettingsReset()) SettingsReset()(calibrated);
  process_.setProcessEnvironment(environment);
  process_.setWorkingDirectory(configFolder);
  process_.setStandardOutputFile(qEnvironmentVariable("LMX_DESKTOP_WORK") + QStringLiteral("/lmx-%1.log").arg(QDateTime::currentMSecsSinceEpoch()));
  process_.setProcessChannelMode(QProcess::MergedChannels);
  const QStringList command = ProgramCommand();
  process_.start(command.first(), command.mid(1));
}

Program::~Program() {
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished();
  }
}

bool Program::waitForMainWindow(int timeoutMs) {
  mainWindow_ = FindWindow(QStringLiteral("^ Spectrometer LMX$"), timeoutMs);
  if (mainWindow_.isEmpty()) return false;
  // Placed once the window manager has put it into its frame, and painted
  // once it shows its white drawing area there.
  return WaitUntil(
      [this] {
        static const QRegularExpression onRoot(QStringLiteral("Parent window id: 0x[0-9a-f]+ \\(the root window\\)"));
        const QString tree = Run(QStringLiteral("xwininfo"), {QStringLiteral("-children"), QStringLiteral("-id"), mainWindow_});
        if (tree.isEmpty() || tree.contains(onRoot)) return false;
        // The client area lies under the menu bar, at the bottom of the window's inside.
        inside_ = Inside(mainWindow_);
        clientOrigin_ = QPoint(inside_.left(), inside_.bottom() + 1 - Px(kClientHeight));
        return clientArea().pixel(Px(400), Px(300)) == qRgb(255, 255, 255);
      },
      timeoutMs);
}

QPoint Program::at(QPoint client) const { return clientOrigin_ + Px(client); }

QRect Program::at(const QRect& client) const { return Px(client).translated(clientOrigin_); }

void Program::clickTool(int x) const { Click(at(QPoint(x + 12, 14))); }

bool Program::openMenu() const {
  const QStringList before = WindowIdsOf(pid());
  menuBaseline_ = before.size();
  // The title "Spectrum" at the left of the menu bar, above the client area.
  Click(QPoint(inside_.left() + Px(30), clientOrigin_.y() - Px(9)));
  return !NewWindowWithText(pid(), before, 60000).isEmpty();
}

bool Program::menuClosed() const {
  return WaitUntil([&] { return WindowsOf(pid()).size() <= menuBaseline_; }, 60000);
}

qint64 Program::settle(int toolX) const {
  const QRect button = Px(QRect(toolX, 2, 24, 24));
  const QImage before = clientArea().copy(button);
  QElapsedTimer sincePress;
  Press(at(QPoint(toolX + 12, 14)));
  sincePress.start();
  const bool pressed = WaitUntil([&] { return clientArea().copy(button) != before; }, 60000);
  const qint64 reaction = sincePress.elapsed();
  Release(at(QPoint(kClientWidth / 2, 14)));  // on the empty tool bar: no click
  const bool released = WaitUntil([&] { return clientArea().copy(button) == before; }, 60000);
  return pressed && released ? reaction : -1;
}

QImage Program::clientArea() const { return Screen(QRect(clientOrigin_, QSize(Px(kClientWidth), Px(kClientHeight)))); }

PlayedSignal::PlayedSignal(const QList<qint16>& cycle) {
  QByteArray samples;
  while (samples.size() < 60 * 44100 * 2)
    samples.append(reinterpret_cast<const char*>(cycle.constData()), cycle.size() * qsizetype(sizeof(qint16)));
  const QString file = qEnvironmentVariable("LMX_DESKTOP_WORK") + QStringLiteral("/signal.raw");
  QFile raw(file);
  if (!raw.open(QIODevice::WriteOnly) || raw.write(samples) != samples.size()) return;
  raw.close();
  player_.start(QStringLiteral("pacat"), {QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                                          QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"), file});
  player_.waitForStarted();
}

PlayedSignal::~PlayedSignal() {
  player_.kill();
  player_.waitForFinished();
}

QString WineReg(const QStringList& arguments) {
  // The program's command without the program itself: wine, in its prefix.
  const QStringList runner = ProgramCommand().mid(0, ProgramCommand().size() - 1);
  return Run(runner.first(), runner.mid(1) + QStringList{QStringLiteral("reg")} + arguments);
}

bool QtDialogStateLeftBehind(const QString& configFolder) {
  if (qEnvironmentVariableIsEmpty("LMX_DESKTOP_PROGRAM")) return QFile::exists(configFolder + QStringLiteral("/QtProject.conf"));
  return !WineReg({QStringLiteral("query"), QStringLiteral("HKCU\\Software\\QtProject")}).isEmpty();
}

QString OnTopOnlyWhileActive(const Program& program, const QString& window) {
  const auto above = [&] {
    return Property(window, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("_NET_WM_STATE_ABOVE"));
  };
  const QRect before = Outer(window);
  if (!WaitUntil(above, 60000)) return QStringLiteral("not on top while the program is active");
  QProcess other;
  other.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("200x80+10+10"),
                                           QStringLiteral("another program")});
  const QString otherWindow = FindWindow(QStringLiteral("^xmessage$"));
  const auto end = [&](const QString& failure) {
    other.kill();
    other.waitForFinished();
    return failure;
  };
  if (otherWindow.isEmpty()) return end(QStringLiteral("xmessage did not come"));
  Run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), otherWindow});
  if (!WaitUntil([&] { return !above(); }, 60000)) return end(QStringLiteral("still on top of another program"));
  Click(program.at(QPoint(400, 300)));
  if (!WaitUntil(above, 60000)) return end(QStringLiteral("not on top again once the program is reactivated"));
  if (Outer(window) != before) return end(QStringLiteral("not the same window in the same place"));
  return end(QString());
}
