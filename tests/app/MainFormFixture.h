// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Creates the program's five windows on the offscreen platform, with the test
// environment in place of the machine, and removes them afterwards.
#include <gtest/gtest.h>

#include <QApplication>

#include "AboutUnit.h"
#include "Application.h"
#include "Calibration.h"
#include "DataUnit.h"
#include "MainUnit.h"
#include "Settings.h"
#include "Startunit.h"
#include "ToolsUnit.h"
#include "tests/support/TestEnvironment.h"

class MainFormFixture : public testing::Test {
 protected:
  // Creates and shows the windows; "zero" is stored unless `calibrated` is false.
  void launch(bool calibrated = true) {
    if (calibrated) env.storeValue("zero", 0);
    CreateForms();
    MainForm->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    if (MainForm) DestroyForms();
  }
  // Runs `action` at the given capture cycle of the running measurement.
  void atCycle(int cycle, std::function<void()> action) {
    env.clock.onPause = [this, cycle, action](int) {
      if (env.audio.cycles == cycle) action();
    };
  }

  TestEnvironment env;
};
