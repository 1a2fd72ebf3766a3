// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainUnit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QWindow>
#include <qdrawutil.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "AboutUnit.h"
#include "BitmapFile.h"
#include "Calibration.h"
#include "CaptureFormat.h"
#include "Comparison.h"
#include "DataUnit.h"
#include "FileDialogs.h"
#include "MessageBoxes.h"
#include "Monitor.h"
#include "NamedIcon.h"
#include "Scan.h"
#include "Settings.h"
#include "Startunit.h"
#include "ToolsUnit.h"
#include "WaveIn.h"
#include "WindowFrame.h"
#include "WindowLook.h"

TMainForm* MainForm = nullptr;

namespace {

// The part of the window that the window system asks to repaint. Qt keeps it
// in the event but marks the accessor deprecated in favour of paint events,
// which this window does not get for such repaints: Qt answers them from its
// backing store.
QRegion ExposedRegion(const QExposeEvent& event) {
  QT_WARNING_PUSH
  QT_WARNING_DISABLE_DEPRECATED
  return event.region();
  QT_WARNING_POP
}

const QString kFileFilters[] = {QStringLiteral("Windows bitmaps (*.bmp)"),
                                QStringLiteral("Extended metafiles (*.emf)"),
                                QStringLiteral("Metafiles (*.wmf)")};
constexpr int kButtonTop = 2;
constexpr int kButtonSize = 25;
constexpr int kStatusBarHeight = 19;
const QRect kDrawingArea(0, kToolBarHeight, kClientWidth, kStatusBarTop - kToolBarHeight);

}  // namespace

ClientArea::ClientArea(PlotSurface& surfaces, QWidget* parent) : QWidget(parent), surfaces_(surfaces) {
  setObjectName(QStringLiteral("ClientArea"));
  setFixedSize(kClientWidth, kClientHeight);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::ShowDrawing() {
  QRect change = surfaces_.TakeWindowChange();
  // Filtered, a pixel also tints the screen's pixels next to its own.
  if (!change.isEmpty() && !WholeRatio()) change.adjust(-1, -1, 1, 1);
  update(change & kDrawingArea);
}

bool ClientArea::WholeRatio() const { return devicePixelRatioF() == std::floor(devicePixelRatioF()); }

void ClientArea::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect area = event->rect();
  const QImage& surface = std::as_const(surfaces_).WindowSurface();
  if (devicePixelRatio() == 2) {
    // Qt scales a picture onto the screen pixel by pixel, several times
    // slower than it copies one of the screen's own resolution: the area is
    // first doubled here, each pixel becoming a block of 2 x 2.
    if (doubled_.isNull()) doubled_ = QImage(size() * 2, QImage::Format_RGB32);
    uchar* const bits = doubled_.bits();
    const qsizetype stride = doubled_.bytesPerLine();
    for (int y = 0; y < area.height(); ++y) {
      const auto* from = reinterpret_cast<const QRgb*>(surface.constScanLine(area.top() + y)) + area.left();
      auto* to = reinterpret_cast<QRgb*>(bits + 2 * y * stride);
      for (int x = 0; x < area.width(); ++x) to[2 * x] = to[2 * x + 1] = from[x];
      std::memcpy(bits + (2 * y + 1) * stride, to, 2 * sizeof(QRgb) * static_cast<size_t>(area.width()));
    }
    painter.drawImage(QRectF(area), doubled_, QRectF(0, 0, 2 * area.width(), 2 * area.height()));
  } else if (WholeRatio()) {
    painter.drawImage(area, surface, area);
  } else {
    // At 1.25, 1.5 or 1.75 device pixels to the pixel, Qt would stretch the
    // pixels to one or two device pixels in turn, and a stroke on one column
    // would weigh twice one on the next. Filtered, every stroke keeps its
    // weight wherever it lies. The picture is taken from a pixel beyond the
    // area, so that the filter sees the neighbours it sees in any other paint.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(area);
    const QRect source = area.adjusted(-1, -1, 1, 1) & surface.rect();
    painter.drawImage(source, surface, source);
  }
  // The lowered frame of the drawing area is painted after the picture.
  qDrawShadePanel(&painter, kDrawingArea, palette(), true, 1);
}

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral(" Spectrometer LMX"));
  setWindowIcon(NamedIcon("lmx"));
  ApplyFormLook(*this);

  Client = new ClientArea(Plot, this);
  setCentralWidget(Client);
  buildToolBar();
  StatusBar = new StatusPanels(Client);
  StatusBar->setGeometry(0, kStatusBarTop, kClientWidth, kStatusBarHeight);
  buildMenus();
  layout()->setSizeConstraint(QLayout::SetFixedSize);  // single fixed border: no resizing
  // Takes that size now: the first start's calibration runs while the window
  // is being shown, and a compositor that does not enforce the fixed-size
  // hints (weston's Xwayland) would keep the native window's first size.
  adjustSize();

  FormCreate();
}

void TMainForm::buildToolBar() {
  ToolBar = new QWidget(Client);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setGeometry(0, 0, kClientWidth, kToolBarHeight);
  ToolBar->setBackgroundRole(QPalette::Button);
  ToolBar->setAutoFillBackground(true);
  auto button = [this](const char* name, int x, const char* icon, const char* tip, void (TMainForm::*command)()) {
    auto* b = new QToolButton(ToolBar);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(x, kButtonTop, kButtonSize, kButtonSize);
    b->setAutoRaise(true);  // flat
    b->setIcon(NamedIcon(icon));  // the disabled state is drawn grayed from the same picture
    b->setIconSize(QSize(16, 16));
    b->setToolTip(QLatin1String(tip));
    b->setFocusPolicy(Qt::NoFocus);
    if (command) connect(b, &QToolButton::clicked, this, command);
    return b;
  };
  // Gaps stand for the separators: 8 before Start, 15, 15 and 16 between groups.
  StartButton = button("StartButton", 8, "start", "Start", &TMainForm::StartButtonClick);
  StopButton = button("StopButton", 33, "stop", "Stop", &TMainForm::StopButtonClick);
  OpenButton = button("OpenButton", 73, "open", "Open spectrum", &TMainForm::OpenButtonClick);
  CompButton = button("CompButton", 98, "compare", "Compare spectra", &TMainForm::CompButtonClick);
  SaveButton = button("SaveButton", 123, "save", "Save spectrum", &TMainForm::SaveButtonClick);
  ToolButton = button("ToolButton", 163, "settings", "Settings", &TMainForm::ToolButtonClick);
  TableButton = button("TableButton", 188, "table", "Data array", &TMainForm::TableButtonClick);
  HelpButton = button("HelpButton", 229, "about", "About...", &TMainForm::HelpButtonClick);
  StopButton->setEnabled(false);
}

void TMainForm::buildMenus() {
  auto entry = [this](QMenu* menu, const char* name, const char* text, const char* icon) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QLatin1String(name));
    if (icon) action->setIcon(NamedIcon(icon));
    action->setIconVisibleInMenu(true);
    return action;
  };
  Spectr1 = menuBar()->addMenu(QStringLiteral("&Spectrum"));
  Spectr1->setObjectName(QStringLiteral("Spectr1"));
  Spectr1Open = entry(Spectr1, "Spectr1Open", "&Open...", "open");
  Spectr1Sravn = entry(Spectr1, "Spectr1Sravn", "&Compare With...", "compare");
  Spectr1SaveAs = entry(Spectr1, "Spectr1SaveAs", "Save &As...", "save");
  Spectr1->addSeparator();
  Spectr1Start = entry(Spectr1, "Spectr1Start", "&Start", "start");
  Spectr1Stop = entry(Spectr1, "Spectr1Stop", "S&top", "stop");
  Spectr1->addSeparator();
  Spectr1Input = entry(Spectr1, "Spectr1Input", "&Input signal", nullptr);
  Spectr1Input->setCheckable(true);
  Spectr1Input->setChecked(true);
  Spectr1Tools = entry(Spectr1, "Spectr1Tools", "Setti&ngs...", "settings");
  Spectr1->addSeparator();
  Spectr1Exit1 = entry(Spectr1, "Spectr1Exit1", "&Exit", "exit");
  connect(Spectr1, &QMenu::aboutToShow, this, &TMainForm::Spectr1Click);
  connect(Spectr1Start, &QAction::triggered, this, &TMainForm::StartButtonClick);
  connect(Spectr1Stop, &QAction::triggered, this, &TMainForm::StopButtonClick);
  // "&Input signal" is checkable: the toolkit inverts its check mark.
  connect(Spectr1Open, &QAction::triggered, this, &TMainForm::OpenButtonClick);
  connect(Spectr1Sravn, &QAction::triggered, this, &TMainForm::CompButtonClick);
  connect(Spectr1SaveAs, &QAction::triggered, this, &TMainForm::SaveButtonClick);
  connect(Spectr1Tools, &QAction::triggered, this, &TMainForm::ToolButtonClick);
  connect(Spectr1Exit1, &QAction::triggered, this, &TMainForm::Spectr1Exit1Click);

  Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
  Help1->setObjectName(QStringLiteral("Help1"));
  Help1Contents = entry(Help1, "Help1Contents", "&Information", "information");
  Help1->addSeparator();
  Help1About = entry(Help1, "Help1About", "&About...", "about");
  connect(Help1Contents, &QAction::triggered, this, &TMainForm::Help1ContentsClick);
  connect(Help1About, &QAction::triggered, this, &TMainForm::HelpButtonClick);
}

FileDialog* TMainForm::makeSpectrumDialog(QFileDialog::AcceptMode mode) {
  const QStringList filters(std::begin(kFileFilters), std::end(kFileFilters));
  auto* dialog = new FileDialog(this, mode, filters);
  // Both start in one folder, as they would if made with the window, even
  // where another dialog has been used in between.
  if (spectrumFolder_.isEmpty())
    spectrumFolder_ = dialog->directory().absolutePath();
  else
    dialog->setDirectory(spectrumFolder_);
  AttachPicturePreview(*dialog);
  return dialog;
}

FileDialog& TMainForm::OpenDialog() {
  if (!openDialog_) {
    openDialog_ = makeSpectrumDialog(QFileDialog::AcceptOpen);
    openDialog_->setObjectName(QStringLiteral("OpenDialog"));
  }
  return *openDialog_;
}

FileDialog& TMainForm::SaveDialog() {
  if (!saveDialog_) {
    saveDialog_ = makeSpectrumDialog(QFileDialog::AcceptSave);
    saveDialog_->setObjectName(QStringLiteral("SaveDialog"));
    saveDialog_->setDefaultSuffix(QStringLiteral("bmp"));
    saveDialog_->setWindowTitle(QStringLiteral(" Save spectrum as..."));
  }
  return *saveDialog_;
}

PicturePreview& TMainForm::OpenPreview() { return *OpenDialog().findChild<PicturePreview*>(); }

void TMainForm::FormCreate() {
  if (WaveInDeviceCount() == 0) {
    ShowMessage(BoxKind::Error, QStringLiteral("Audio devices absent!"));
    // Ends the program as soon as the message loop starts, without closing
    // the main window: the close rules and the settings save do not run.
    terminating_ = true;
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
  }
  Stopped = true;
  try {
    LoadSettings(settingsKeyStore());
  } catch (const StoreError& error) {
    ShowDefaultError(QString::fromStdString(error.what()));
  }
  Plot.SetUp(QSize(kClientWidth, kClientHeight));
  FillCaptureFormat();
}

void TMainForm::FormShow() {
  if (!terminating_) Calibrate(settingsKeyStore(), *this);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  CentreOnScreen(*this);
  FormShow();
  if (QWindow* window = windowHandle()) window->installEventFilter(this);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // A repaint asked by the window system restores the window from the Plot
  // image; the window surface alone keeps what only the window shows.
  if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
    const QRegion exposed = ExposedRegion(*static_cast<QExposeEvent*>(event))
                                .translated(windowHandle()->mapToGlobal(QPoint(0, 0)));
    if (!exposed.isEmpty() && (exposed - dialogShadow_).isEmpty()) {
      // Uncovered by the closing dialog of the command that just drew on the
      // window: what the window shows stays.
      dialogShadow_ -= exposed;
    } else {
      RestoreFromPlot();
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized()) RestoreFromPlot();
  }
  QMainWindow::changeEvent(event);
}

void TMainForm::RestoreFromPlot() {
  dialogShadow_ = QRegion();
  Plot.RepaintFromPlot();
  Client->ShowDrawing();
}

bool TMainForm::FormCloseQuery() {
  if (!Stopped) {
    ShowMessage(BoxKind::Warning, QStringLiteral("Stop the record!"));
    return false;
  }
  if (savedMarker_.isEmpty() && !Spectr1Input->isChecked()) {
    // Closing the question by its own close box lets the window close too.
    return ShowMessage(BoxKind::Warning, QStringLiteral("Spectrum not saved! Want to exit?"),
                       BoxButtons::YesNo) != BoxAnswer::No;
  }
  return true;
}

void TMainForm::FormClose() {
  Plot.Release();
  try {
    SaveSettings(settingsKeyStore());
  } catch (const StoreError& error) {
    ShowDefaultError(QString::fromStdString(error.what()));
  }
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (terminating_) return;  // the program is ending without its close rules
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  closed_ = true;
  event->accept();
  QCoreApplication::quit();  // closing the main window ends the program
}

void TMainForm::SetSavedMarker(const QString& fileName) {
  savedMarker_ = fileName;  // the save dialog offers it when it next opens
}

void TMainForm::SetIdleCommands(bool idle) {
  for (QToolButton* button : {OpenButton, SaveButton, ToolButton, StartButton, CompButton})
    button->setEnabled(idle);
  StopButton->setEnabled(!idle);
  DataForm->SaveData->setEnabled(idle && lmx::LastScan.points > 0);
}

void TMainForm::StartButtonClick() {
  if (measuring_) {
    // Stop and Start handled in one pass while the previous measurement is
    // still unwinding: run the new one once the old one has closed its device.
    startRequested_ = true;
    return;
  }
  do {
    startRequested_ = false;
    measuring_ = true;
    Stopped = false;
    SetIdleCommands(false);
    dialogShadow_ = QRegion();
    SetSavedMarker(QString());
    if (Spectr1Input->isChecked())
      RunMonitor(*this);
    else
      RunScan(*this);
    measuring_ = false;
  } while (startRequested_ && !closed_);
}

void TMainForm::StopButtonClick() {
  Stopped = true;
  SetIdleCommands(true);
  SetRecordStatus(QStringLiteral(" Stop"));
}

void TMainForm::EndRecording() {
  Client->ShowDrawing();
  SetRecordStatus(QStringLiteral(" Stop"));
  Stopped = true;
  SetIdleCommands(true);
}

void TMainForm::Spectr1Click() {
  for (QAction* action : {Spectr1Open, Spectr1SaveAs, Spectr1Tools, Spectr1Input, Spectr1Sravn, Spectr1Start})
    action->setEnabled(Stopped);
  Spectr1Stop->setEnabled(!Stopped);
}

void TMainForm::Spectr1Exit1Click() { close(); }

void TMainForm::Help1ContentsClick() {
  ShowMessage(BoxKind::Information, QStringLiteral("Apply to the author for instructions!"));
}

void TMainForm::ToolButtonClick() { ToolsBox->exec(); }

void TMainForm::HelpButtonClick() { AboutBox->exec(); }

void TMainForm::TableButtonClick() {
  DataForm->show();
  DataForm->raise();
}

bool TMainForm::ReadSpectrumFile(const QString& title, QString& chosen, QImage& picture) {
  FileDialog& dialog = OpenDialog();
  dialog.setWindowTitle(title);
  if (!lastOpenFile_.isEmpty()) dialog.selectFile(lastOpenFile_);
  chosen = RunFileDialog(dialog);
  if (chosen.isEmpty()) return false;
  lastOpenFile_ = chosen;
  try {
    picture = ReadBitmapFile(chosen);
  } catch (const PictureError& error) {
    ShowDefaultError(QString::fromUtf8(error.what()));
    return false;
  }
  return true;
}

void TMainForm::SaveButtonClick() {
  SaveDialog().setFileName(savedMarker_);
  const QString chosen = RunFileDialog(SaveDialog());
  if (chosen.isEmpty()) return;
  try {
    // Bitmap content, whatever type or extension was chosen.
    WriteBitmapFile(chosen, Plot.PlotImage());
  } catch (const PictureError& error) {
    ShowDefaultError(QString::fromUtf8(error.what()));
    return;
  }
  StatusBar->SetPanelText(1, QDir::toNativeSeparators(chosen));
  SetSavedMarker(chosen);
}

void TMainForm::SaveDataClick() {
  // Over the data list window, which stays on top of this one.
  FileDialog dialog(DataForm, QFileDialog::AcceptSave, {QStringLiteral("CSV files (*.csv)")});
  dialog.setObjectName(QStringLiteral("SaveDataDialog"));
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.setWindowTitle(QStringLiteral(" Save data as..."));
  const QString chosen = RunFileDialog(dialog);
  if (chosen.isEmpty()) return;
  try {
    SaveUserFile(chosen, ScanCsv(lmx::LastScan, lmx::Spectrum));
  } catch (const PictureError& error) {
    ShowDefaultError(QString::fromUtf8(error.what()));
  }
}

void TMainForm::OpenButtonClick() {
  QString chosen;
  QImage picture;
  if (!ReadSpectrumFile(QStringLiteral(" Open spectrum..."), chosen, picture)) return;
  // The file replaces the Plot image's content, size and depth.
  Plot.PlotImage() = picture;
  RestoreFromPlot();
  StatusBar->SetPanelText(1, QDir::toNativeSeparators(chosen));
  SetSavedMarker(chosen);
}

void TMainForm::CompButtonClick() {
  QString chosen;
  QImage comparison;
  if (!ReadSpectrumFile(QStringLiteral(" Compare spectrum with..."), chosen, comparison)) return;
  const QImage mask = ComparisonMask(comparison);
  // On the window only: the Plot image keeps the spectrum without the overlay.
  RestoreFromPlot();
  DrawComparison(Plot.WindowSurface(), mask);
  // The window system repaints what the file dialog and its completion list
  // covered only after they have gone, which may be after this command:
  // those repaints must not take the overlay away again.
  dialogShadow_ = OpenDialog().coveredArea();
  // The picture on screen is still the unsaved one: the saved marker stays.
  StatusBar->SetPanelText(1, QDir::toNativeSeparators(chosen));
}

void TMainForm::SetRecordStatus(const QString& text) { StatusBar->SetPanelText(0, text); }

void TMainForm::ShowDrawingNow() {
  Client->repaint();  // the tool bar and the status bar with it
}

bool TMainForm::ProcessMessagesAndCheckStopped() {
  Client->ShowDrawing();
  // Two passes: Qt on Windows delivers the input it picks up from the system
  // in a pass only at the start of the next one, so a single pass would leave
  // a Stop clicked before it for the next frame or point. Elsewhere the input
  // is delivered in the pass that picks it up, and the second pass finds
  // little to do.
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  return Stopped;
}

void TMainForm::ClearDataList() { DataForm->Clear(); }

void TMainForm::AppendDataLine(const QString& text) { DataForm->AppendLine(text); }

void TMainForm::ShowError(const QString& text) { ShowMessage(BoxKind::Error, text); }

void TMainForm::ShowStoreError(const QString& text) { ShowDefaultError(text); }

void TMainForm::ShowProgress(int position) {
  StartBox->ProgressBar->setValue(position);
  StartBox->show();
  // Lets the window system map and paint the progress window; user input
  // stays queued, so no command can be given during the calibration.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  StartBox->ProgressBar->repaint();
}

void TMainForm::HideProgress() { StartBox->hide(); }
