// SPDX-License-Identifier: GPL-3.0-or-later
// What the program's start-up is measured against: a bare Qt main window of
// the main window's size with a menu bar, a tool bar and a status bar, and
// nothing else. Built for Linux and for Windows.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral(" Bare Qt window"));
  window.menuBar()->addMenu(QStringLiteral("&Spectrum"))->addAction(QStringLiteral("&Open..."));
  window.menuBar()->addMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About..."));
  QToolBar* tools = window.addToolBar(QStringLiteral("Tools"));
  tools->addAction(QStringLiteral("Start"));
  tools->addAction(QStringLiteral("Stop"));
  window.statusBar()->showMessage(QStringLiteral(" Stop"));
  window.setCentralWidget(new QWidget);
  window.resize(800, 566 + window.menuBar()->sizeHint().height());
  window.show();
  return QApplication::exec();
}
