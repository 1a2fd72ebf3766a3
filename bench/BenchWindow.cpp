// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/BenchWindow.h"

#include <QApplication>

#include "Application.h"
#include "MainUnit.h"
#include "WaveIn.h"

BenchWindow::BenchWindow() {
  SetAudioSource(&audio);
  env.storeValue("zero", 0);
  CreateForms();
  MainForm->show();
  Settle();
}

BenchWindow::~BenchWindow() {
  DestroyForms();
  SetAudioSource(&env.audio);
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
