// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up path in process: what app/main.cpp does, with the
// wave input double in place of the sound card, so the figure is the
// program's own start-up. The settings come from $XDG_CONFIG_HOME as usual.
#include <QApplication>

#include "Application.h"
#include "Clock.h"
#include "MainUnit.h"
#include "MessageBoxes.h"
#include "WaveIn.h"
#include "bench/ShownProbe.h"
#include "tests/support/FakeAudioSource.h"

int main(int argc, char* argv[]) {
  FakeAudioSource audio(activeClock());
  SetAudioSource(&audio);
  QApplication application(argc, argv);
  QApplication::setApplicationName(kApplicationTitle);
  QApplication::setQuitOnLastWindowClosed(false);
  ShownProbe probe;
  CreateForms();
  MainForm->show();
  const int result = QApplication::exec();
  DestroyForms();
  SetAudioSource(nullptr);
  return result;
}
