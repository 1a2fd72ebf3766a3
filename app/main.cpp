// Spectrometer LMX: the sound card as the measuring input of a spectrometer.
#include <QApplication>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "windows/MessageBoxes.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QApplication::setQuitOnLastWindowClosed(false);  // closing the main window ends the program
  CreateForms();
  MainForm->show();
  const int result = QApplication::exec();
  DestroyForms();
  return result;
}
