#include "bench/BenchWindow.h"

#include <QApplication>

#include "app/Application.h"
#include "app/MainUnit.h"
#include "capture/WaveIn.h"

BenchWindow::BenchWindow() {
  setAudioSource(&audio);
  env.storeValue("zero", 0);
  CreateForms();
  MainForm->show();
  Settle();
}

BenchWindow::~BenchWindow() {
  DestroyForms();
  setAudioSource(&env.audio);
}

void BenchWindow::Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

namespace {
BenchWindow* window = nullptr;
}

BenchWindow& Window() {
  if (!window) window = new BenchWindow;
  return *window;
}

void ReleaseWindow() {
  delete window;
  window = nullptr;
}
