// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/desktop/Desktop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QScreen>
#include <QThread>

#include "Layout.h"

int Scale() {
  static const int scale = qEnvironmentVariableIsSet("LMX_DESKTOP_SCALE") ? qEnvironmentVariableIntValue("LMX_DESKTOP_SCALE") : 1;
  return scale;
}

int Px(int layout) { return layout * Scale(); }
QPoint Px(QPoint layout) { return layout * Scale(); }
QRect Px(const QRect& layout) { return QRect(Px(layout.topLeft()), layout.size() * Scale()); }

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

void Click(QPoint screen) {
  Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y()),
                                  QStringLiteral("click"), QStringLiteral("1")});
}

void Key(const QString& keys) {
  Run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key"), QStringLiteral("--clearmodifiers")} + keys.split(' '));
}

void Type(const QString& text) {
  Run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), text});
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

QStringList WindowsOf(qint64 pid) {
  QStringList names;
  const QStringList ids = Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                          QStringLiteral("--pid"), QString::number(pid)})
                              .split('\n', Qt::SkipEmptyParts);
  for (const QString& id : ids)
    names << Run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), id}).section(QLatin1Char('\n'), 0, 0);
  return names;
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

QImage Screen() { return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32); }

QImage Screen(const QRect& area) {
  return QGuiApplication::primaryScreen()
      ->grabWindow(0, area.x(), area.y(), area.width(), area.height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}

void KeepShot(const QImage& image, const QString& name) {
  const QString folder = qEnvironmentVariable("LMX_DESKTOP_SHOTS");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  image.save(QDir(folder).filePath(QStringLiteral("%1-scale%2.png").arg(name).arg(Scale())));
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

Program::Program(const QString& configFolder, bool calibrated) {
  QDir().mkpath(configFolder + QStringLiteral("/lmx"));
  if (calibrated) {
    QFile settings(configFolder + QStringLiteral("/lmx/settings.reg"));
    if (!settings.exists() && settings.open(QIODevice::WriteOnly))
      settings.write("[HKEY_CURRENT_USER\\software\\microsoft\\windows\\lmx]\n\"zero\"=dword:00000000\n");
  }
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configFolder);
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(Scale()));
  process_.setProcessEnvironment(environment);
  process_.setWorkingDirectory(configFolder);
  process_.setStandardOutputFile(qEnvironmentVariable("LMX_DESKTOP_WORK") + QStringLiteral("/lmx-%1.log").arg(QDateTime::currentMSecsSinceEpoch()));
  process_.setProcessChannelMode(QProcess::MergedChannels);
  process_.start(QStringLiteral(LMX_PROGRAM), QStringList());
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
  // The client area lies under the menu bar, at the bottom of the window's inside.
  const QRect inside = Inside(mainWindow_);
  clientOrigin_ = QPoint(inside.left(), inside.bottom() + 1 - Px(kClientHeight));
  // Painted once it shows its white drawing area.
  return WaitUntil([this] { return clientArea().pixel(Px(400), Px(300)) == qRgb(255, 255, 255); }, 5000);
}

QPoint Program::at(QPoint client) const { return clientOrigin_ + Px(client); }

QRect Program::at(const QRect& client) const { return QRect(at(client.topLeft()), client.size() * Scale()); }

void Program::clickTool(int x) const { Click(at(QPoint(x + 12, 14))); }

QImage Program::clientArea() const { return Screen(QRect(clientOrigin_, QSize(Px(kClientWidth), Px(kClientHeight)))); }
