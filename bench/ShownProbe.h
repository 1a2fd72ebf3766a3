// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// For the start-up measurement: notes when the main window's client area has
// been painted and flushed for the first time, writes that moment (steady
// clock, nanoseconds) and the resident memory then (VmRSS, kB) to the file
// named by LMX_STARTUP_REPORT, and ends the program through
// QCoreApplication::quit. Used by the in-process harness and, as a Qt generic
// plugin, by the real program; neither the program nor its options know of it.
#include <QObject>

class ShownProbe : public QObject {
 public:
  ShownProbe();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void report();
  bool seen_ = false;
};
