#pragma once
// What a running measurement needs of the main window.
#include <QString>

class PlotSurface;

class MeasureHost {
 public:
  virtual ~MeasureHost() = default;
  virtual PlotSurface& Surfaces() = 0;
  // Status panel 0: the recording state.
  virtual void SetRecordStatus(const QString& text) = 0;
  // Lets the toolkit handle pending messages (Stop, repaints, other commands),
  // then answers whether the Stopped flag is set.
  virtual bool ProcessMessagesAndCheckStopped() = 0;
  // The Idle state after a recording ended by itself: " Stop", Stopped flag
  // set, commands enabled as after Stop.
  virtual void EndRecording() = 0;
  // The data list window.
  virtual void ClearDataList() = 0;
  virtual void AppendDataLine(const QString& text) = 0;
};
