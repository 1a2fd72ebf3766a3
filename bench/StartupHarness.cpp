// The program's start-up path in process: what app/main.cpp does, with the
// wave input double in place of the sound card, so the figure is the
// program's own start-up. The settings come from $XDG_CONFIG_HOME as usual.
#include <QApplication>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "bench/ShownProbe.h"
#include "capture/Clock.h"
#include "capture/WaveIn.h"
#include "tests/support/FakeAudioSource.h"
#include "windows/MessageBoxes.h"

int main(int argc, char* argv[]) {
  FakeAudioSource audio(activeClock());
  setAudioSource(&audio);
  QApplication application(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QApplication::setQuitOnLastWindowClosed(false);
  ShownProbe probe;
  CreateForms();
  MainForm->show();
  const int result = QApplication::exec();
  DestroyForms();
  setAudioSource(nullptr);
  return result;
}
