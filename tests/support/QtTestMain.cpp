// SPDX-License-Identifier: GPL-3.0-or-later
// Runs GoogleTest inside a QApplication on Qt's offscreen platform, or the
// one QT_QPA_PLATFORM names.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  // The platform goes to Qt on the command line, which Qt reads everywhere:
  // under Wine, QT_QPA_PLATFORM in the environment does not reach Qt.
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  std::string platformOption = "-platform", platform = chosen && *chosen ? chosen : "offscreen";
  std::vector<char*> qtArgs(argv, argv + argc);
  qtArgs.insert(qtArgs.begin() + 1, {platformOption.data(), platform.data()});
  int qtArgc = static_cast<int>(qtArgs.size());
  qtArgs.push_back(nullptr);
  QApplication application(qtArgc, qtArgs.data());
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
