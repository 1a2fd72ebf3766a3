// Spectrometer LMX: the sound card as the measuring input of a spectrometer.
#include <QApplication>

#include "Application.h"
#include "MainUnit.h"
#include "MessageBoxes.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  // Lets the desktop match the window to its launcher and icon (on Wayland the
  // window icon itself is not used).
  QGuiApplication::setDesktopFileName(QStringLiteral("org.spectrometerlmx.lmx"));
  QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program
  CreateForms();
  MainForm->show();
  const int result = QApplication::exec();
  DestroyForms();
  return result;
}
