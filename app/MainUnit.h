// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: tool bar, menus, status bar and the drawing area, the
// commands, the recording state and the rules for closing.
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolButton>

#include "FileDialogs.h"
#include "MeasureHost.h"
#include "PicturePreview.h"
#include "PlotSurface.h"
#include "StatusPanels.h"

// The client area: shows the window surface, with the tool bar and the status
// bar on top as child widgets and the lowered frame of the drawing area.
class ClientArea : public QWidget {
  Q_OBJECT
 public:
  ClientArea(PlotSurface& surfaces, QWidget* parent);
  // Asks for a repaint of what changed of the drawing area; Qt merges the requests.
  void ShowDrawing();
  // True at a whole number of device pixels to the pixel (1, 2): the picture
  // goes to the screen pixel by pixel; otherwise it is filtered.
  bool WholeRatio() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PlotSurface& surfaces_;
  QImage doubled_;  // a part of the window surface at twice its resolution
};

class TMainForm : public QMainWindow, public MeasureHost {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget* parent = nullptr);

  ClientArea* Client;
  QWidget* ToolBar;
  QToolButton* StartButton;
  QToolButton* StopButton;
  QToolButton* OpenButton;
  QToolButton* CompButton;
  QToolButton* SaveButton;
  QToolButton* ToolButton;
  QToolButton* TableButton;
  QToolButton* HelpButton;

  QMenu* Spectr1;
  QAction* Spectr1Open;
  QAction* Spectr1Sravn;
  QAction* Spectr1SaveAs;
  QAction* Spectr1Start;
  QAction* Spectr1Stop;
  QAction* Spectr1Input;
  QAction* Spectr1Tools;
  QAction* Spectr1Exit1;
  QMenu* Help1;
  QAction* Help1Contents;
  QAction* Help1About;

  StatusPanels* StatusBar;
  // The open and save dialogs for spectra, each with its preview, made when
  // first needed: Qt's file dialog sets up the platform's icons and watches
  // the file system, which would cost the start-up more than the window.
  FileDialog& OpenDialog();
  FileDialog& SaveDialog();
  PicturePreview& OpenPreview();

  // The Plot image and the window surface.
  PlotSurface Plot;

  // True while no recording runs.
  bool Stopped = true;

  // The saved marker: the save dialog's current file name; empty when the
  // spectrum on screen has not been saved and does not come from a file.
  QString SavedMarker() const { return savedMarker_; }
  void SetSavedMarker(const QString& fileName);

  // True when creation found no wave input device: the program is ending.
  bool Terminating() const { return terminating_; }

  // The file chosen by Open or Compare or typed into the open dialog; it
  // starts there the next time.
  QString LastOpenedFile() const { return lastOpenFile_; }

  // Commands.
  void StartButtonClick();
  void StopButtonClick();
  void Spectr1Click();  // the "&Spectrum" menu opens
  void Spectr1Exit1Click();
  void Help1ContentsClick();
  void TableButtonClick();
  void OpenButtonClick();
  void SaveButtonClick();
  void SaveDataClick();  // "Save data..." in the data list window
  void CompButtonClick();
  void ToolButtonClick();
  void HelpButtonClick();

  // MeasureHost
  PlotSurface& Surfaces() override { return Plot; }
  void SetRecordStatus(const QString& text) override;
  void ShowDrawingNow() override;
  bool ProcessMessagesAndCheckStopped() override;
  void EndRecording() override;
  void ClearDataList() override;
  void AppendDataLine(const QString& text) override;
  void ShowError(const QString& text) override;
  void ShowStoreError(const QString& text) override;
  void ShowProgress(int position) override;
  void HideProgress() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  void buildToolBar();
  void buildMenus();
  FileDialog* makeSpectrumDialog(QFileDialog::AcceptMode mode);
  void SetIdleCommands(bool idle);
  // Copies the Plot image onto the window and shows it.
  void RestoreFromPlot();

  // Shows the open dialog and reads the chosen file; false when cancelled or
  // after the error has been shown.
  bool ReadSpectrumFile(const QString& title, QString& chosen, QImage& picture);

  // Where the dialog of the last Compare covered the screen (global
  // coordinates) until the window system has repainted it.
  QRegion dialogShadow_;
  FileDialog* openDialog_ = nullptr;
  FileDialog* saveDialog_ = nullptr;
  QString spectrumFolder_;  // where the first of the two dialogs started
  QString savedMarker_;
  QString lastOpenFile_;
  bool terminating_ = false;
  bool shown_ = false;
  bool measuring_ = false;       // a measurement is still running or unwinding
  bool startRequested_ = false;  // Start given while it unwinds
  bool closed_ = false;
};

extern TMainForm* MainForm;
