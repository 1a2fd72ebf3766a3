// SPDX-License-Identifier: GPL-3.0-or-later
// Spectrometer LMX: the sound card as the measuring input of a spectrometer.
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "Application.h"
#include "LayoutFont.h"
#include "MainUnit.h"
#include "MessageBoxes.h"
#include "Version.h"
#include "WaveIn.h"
#include "WindowLook.h"

namespace {

// Platforms without a screen (offscreen, minimal): a box there would wait for
// an answer that nobody can give, so its text goes to standard error and it
// is answered as if its close box had been used.
void AnswerBoxesWhereNothingIsShown() {
  const QString platform = QGuiApplication::platformName();
  if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) return;
  SetBoxResponder([](const BoxRequest& request) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(request.text));
    return request.buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Closed;
  });
}

}  // namespace

int main(int argc, char* argv[]) {
  QCoreApplication::setApplicationName(kApplicationTitle);
  QCoreApplication::setApplicationVersion(QStringLiteral(LMX_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Records optical spectra through the sound card's input."));
  parser.addHelpOption();
  parser.addVersionOption();
  if (argc > 1) {
    // --help and --version are answered before the window system is reached,
    // so they work without a display.
    QCoreApplication early(argc, argv);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp();
  }

  WaveInCountDevicesAhead();  // asked for when the main window is made
  ChooseFontEngine();
  QApplication application(argc, argv);
  // The program reads nothing else from its command line (a file dropped on
  // its launcher, say): it starts as always and only notes what it left.
  // Qt's own options (-platform, -style, ...) are gone from the arguments by
  // now, and --help and --version have been answered.
  const QStringList ignored = QCoreApplication::arguments().mid(1);
  if (!ignored.isEmpty()) std::fprintf(stderr, "lmx: ignored on the command line: %s\n", qPrintable(ignored.join(' ')));
  // Lets the desktop match the window to its launcher and icon (on Wayland the
  // window icon itself is not used).
  QGuiApplication::setDesktopFileName(QStringLiteral("org.spectrometerlmx.lmx"));
  QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program
  // Message boxes, file dialogs and menus in the windows' font too (on
  // Windows Qt would give them the system's dialog font, whose face a system
  // may lack).
  QApplication::setFont(FormFont());
  AnswerBoxesWhereNothingIsShown();
  CreateForms();
  MainForm->show();
  const int result = QApplication::exec();
  DestroyForms();
  return result;
}
