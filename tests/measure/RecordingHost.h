// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window stand-in for measurement tests: both surfaces, the status
// text, the data list lines, and a script of what happens at each message pass.
#include <QStringList>
#include <functional>
#include <utility>

#include "MeasureHost.h"
#include "MessageBoxes.h"
#include "PlotSurface.h"

class RecordingHost : public MeasureHost {
 public:
  RecordingHost() { plot.SetUp(QSize(kClientWidth, kClientHeight)); }

  PlotSurface plot;
  QString status;
  QStringList lines;
  bool stopped = false;
  bool ended = false;
  int passes = 0;
  // Runs at each message pass, before the flag is read; `pass` counts from 1.
  std::function<void(int pass)> onPass;
  // The progress window's position while shown, -1 while hidden.
  int progress = -1;

  PlotSurface& Surfaces() override { return plot; }
  void SetRecordStatus(const QString& text) override { status = text; }
  // What was on the screen at the last ShowDrawingNow: the window surface and the status.
  QImage shownNow;
  QString statusShownNow;
  void ShowDrawingNow() override {
    shownNow = plot.WindowSurface().copy();
    statusShownNow = status;
  }
  bool ProcessMessagesAndCheckStopped() override {
    ++passes;
    if (onPass) onPass(passes);
    return stopped;
  }
  void EndRecording() override {
    status = QStringLiteral(" Stop");
    stopped = true;
    ended = true;
  }
  void ClearDataList() override { lines.clear(); }

  // Red pixels of row y as [first, last] x; both surfaces must agree there.
  std::pair<int, int> RedRun(int y) const {
    int first = -1, last = -1;
    for (int x = 0; x < plot.PlotImage().width(); ++x) {
      const QRgb pixel = plot.PlotImage().pixel(x, y);
      if (pixel != plot.WindowSurface().pixel(x, y)) return {-2, x};
      if (pixel == kTraceRed) {
        if (first < 0) first = x;
        last = x;
      }
    }
    return {first, last};
  }
  void AppendDataLine(const QString& text) override { lines << text; }
  // Errors go to the message boxes, which the test environment answers and records.
  void ShowError(const QString& text) override { ShowMessage(BoxKind::Error, text); }
  void ShowStoreError(const QString& text) override { ShowDefaultError(text); }
  void ShowProgress(int position) override { progress = position; }
  void HideProgress() override { progress = -1; }
};
