#pragma once
// A main window stand-in for measurement tests: both surfaces, the status
// text, the data list lines, and a script of what happens at each message pass.
#include <QStringList>
#include <functional>

#include "measure/MeasureHost.h"
#include "plot/PlotSurface.h"

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

  PlotSurface& Surfaces() override { return plot; }
  void SetRecordStatus(const QString& text) override { status = text; }
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
  void AppendDataLine(const QString& text) override { lines << text; }
};
