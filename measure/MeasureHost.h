// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a measurement needs of the main window: the drawing surfaces, the
// status bar, the data list, message processing, and the user's view of
// errors and of the calibration's progress.
#include <QString>

class PlotSurface;

class MeasureHost {
 public:
  virtual ~MeasureHost() = default;
  virtual PlotSurface& Surfaces() = 0;
  // Status panel 0: the recording state.
  virtual void SetRecordStatus(const QString& text) = 0;
  // Puts what has been drawn and the status text on the screen at once,
  // without handling any message.
  virtual void ShowDrawingNow() = 0;
  // Shows what has been drawn and lets the toolkit handle pending messages
  // (Stop, repaints, other commands), then answers whether the Stopped flag
  // is set.
  virtual bool ProcessMessagesAndCheckStopped() = 0;
  // The Idle state after a recording ended by itself: " Stop", Stopped flag
  // set, commands enabled as after Stop.
  virtual void EndRecording() = 0;
  // The data list window.
  virtual void ClearDataList() = 0;
  virtual void AppendDataLine(const QString& text) = 0;

  // An error box with the text.
  virtual void ShowError(const QString& text) = 0;
  // The default error box of the settings store's errors.
  virtual void ShowStoreError(const QString& text) = 0;
  // The calibration's progress window at `position` (0 to 100), shown at once
  // and without taking user input; HideProgress closes it.
  virtual void ShowProgress(int position) = 0;
  virtual void HideProgress() = 0;
};
