// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QMenuBar>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "CaptureFormat.h"

#include "tests/app/MainFormFixture.h"

namespace {

class MainFormLayout : public MainFormFixture {};

struct ButtonRow {
  QToolButton* TMainForm::*button;
  const char* name;
  int x;
  const char* tip;
  bool enabled;
};

}  // namespace

TEST_F(MainFormLayout, WindowCaptionSizeAndBars) {
  launch();
  EXPECT_EQ(MainForm->windowTitle(), " Spectrometer LMX");
  EXPECT_EQ(MainForm->Client->size(), QSize(800, 566));
  EXPECT_EQ(MainForm->Client->minimumSize(), MainForm->Client->maximumSize());
  EXPECT_FALSE(MainForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(MainForm->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_EQ(MainForm->ToolBar->geometry(), QRect(0, 0, 800, 33));
  EXPECT_EQ(MainForm->StatusBar->geometry(), QRect(0, 547, 800, 19));
  EXPECT_EQ(MainForm->StatusBar->Panel(0)->geometry(), QRect(0, 0, 251, 19));
  EXPECT_EQ(MainForm->StatusBar->Panel(1)->geometry(), QRect(251, 0, 549, 19));
  EXPECT_EQ(MainForm->StatusBar->PanelText(0), "");
  EXPECT_EQ(MainForm->StatusBar->PanelText(1), "");
  EXPECT_EQ(MainForm->font().pointSize(), 8);
  EXPECT_TRUE(MainForm->Stopped);
}

TEST_F(MainFormLayout, ToolBarButtonsAtTheirPlacesWithTooltipsAndInitialEnabling) {
  launch();
  const ButtonRow rows[] = {
      {&TMainForm::StartButton, "StartButton", 8, "Start", true},
      {&TMainForm::StopButton, "StopButton", 33, "Stop", false},
      {&TMainForm::OpenButton, "OpenButton", 73, "Open spectrum", true},
      {&TMainForm::CompButton, "CompButton", 98, "Compare spectra", true},
      {&TMainForm::SaveButton, "SaveButton", 123, "Save spectrum", true},
      {&TMainForm::ToolButton, "ToolButton", 163, "Settings", true},
      {&TMainForm::TableButton, "TableButton", 188, "Data array", true},
      {&TMainForm::HelpButton, "HelpButton", 229, "About...", true},
  };
  for (const ButtonRow& row : rows) {
    QToolButton* button = MainForm->*row.button;
    SCOPED_TRACE(row.name);
    EXPECT_EQ(button->objectName(), row.name);
    EXPECT_EQ(button->parentWidget(), MainForm->ToolBar);
    EXPECT_EQ(button->geometry(), QRect(row.x, 2, 25, 25));
    EXPECT_EQ(button->toolTip(), row.tip);
    EXPECT_TRUE(button->autoRaise());
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->isEnabled(), row.enabled);
  }
}

TEST_F(MainFormLayout, MenusWithEveryEntryInOrder) {
  launch();
  const QList<QAction*> menus = MainForm->menuBar()->actions();
  ASSERT_EQ(menus.size(), 2);
  EXPECT_EQ(menus[0]->text(), "&Spectrum");
  EXPECT_EQ(menus[1]->text(), "&Help");

  auto describe = [](QMenu* menu) {
    QStringList entries;
    for (QAction* action : menu->actions())
      entries << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + "=" + action->text());
    return entries;
  };
  EXPECT_EQ(describe(MainForm->Spectr1),
            QStringList({"Spectr1Open=&Open...", "Spectr1Sravn=&Compare With...", "Spectr1SaveAs=Save &As...", "-",
                         "Spectr1Start=&Start", "Spectr1Stop=S&top", "-", "Spectr1Input=&Input signal",
                         "Spectr1Tools=Setti&ngs...", "-", "Spectr1Exit1=&Exit"}));
  EXPECT_EQ(describe(MainForm->Help1),
            QStringList({"Help1Contents=&Information", "-", "Help1About=&About..."}));
  for (QMenu* menu : {MainForm->Spectr1, MainForm->Help1})
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) continue;
      EXPECT_EQ(action->icon().isNull(), action == MainForm->Spectr1Input) << action->objectName().toStdString();
      EXPECT_TRUE(action->shortcut().isEmpty());
    }
  EXPECT_TRUE(MainForm->Spectr1Input->isCheckable());
  EXPECT_TRUE(MainForm->Spectr1Input->isChecked());
}

TEST_F(MainFormLayout, FileDialogsWithTheirFiltersAndOptions) {
  launch();
  // Made when first needed, not with the window.
  EXPECT_TRUE(MainForm->findChildren<QFileDialog*>().isEmpty());
  const QStringList filters({"Windows bitmaps (*.bmp)", "Extended metafiles (*.emf)", "Metafiles (*.wmf)"});
  EXPECT_EQ(MainForm->OpenDialog().nameFilters(), filters);
  EXPECT_EQ(MainForm->OpenDialog().acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(MainForm->OpenDialog().fileMode(), QFileDialog::ExistingFile);
  // The save dialog starts where the open dialog started, wherever that has gone since.
  const QString started = MainForm->OpenDialog().directory().absolutePath();
  MainForm->OpenDialog().setDirectory(QDir::tempPath());
  EXPECT_EQ(MainForm->SaveDialog().directory().absolutePath(), started);
  EXPECT_EQ(MainForm->SaveDialog().nameFilters(), filters);
  EXPECT_EQ(MainForm->SaveDialog().acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(MainForm->SaveDialog().defaultSuffix(), "bmp");
  EXPECT_EQ(MainForm->SaveDialog().windowTitle(), " Save spectrum as...");
  EXPECT_FALSE(MainForm->SaveDialog().testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_TRUE(MainForm->SavedMarker().isEmpty());
}

TEST_F(MainFormLayout, SecondaryWindowsAreCreatedHidden) {
  launch();
  ASSERT_TRUE(StartBox && ToolsBox && DataForm && AboutBox);
  EXPECT_FALSE(StartBox->isVisible());
  EXPECT_FALSE(ToolsBox->isVisible());
  EXPECT_FALSE(DataForm->isVisible());
  EXPECT_FALSE(AboutBox->isVisible());
  EXPECT_EQ(StartBox->windowTitle(), "System scanning...");
  EXPECT_EQ(StartBox->size(), QSize(304, 47));
  EXPECT_EQ(StartBox->ProgressBar->geometry(), QRect(8, 16, 289, 13));
  EXPECT_EQ(StartBox->ProgressBar->maximum(), 100);
  EXPECT_EQ(DataForm->windowTitle(), "Data array");
}

TEST_F(MainFormLayout, FirstRunWritesDefaultsAndCalibratesBeforeTheWindowIsVisible) {
  bool visibleDuringCalibration = true;
  env.audio.signal = [](int, size_t) { return int16_t{-3}; };
  env.clock.onPause = [&](int) {
    if (StartBox->isVisible())
      visibleDuringCalibration = MainForm->windowHandle() && MainForm->windowHandle()->isVisible();
  };
  launch(false);
  EXPECT_FALSE(visibleDuringCalibration);
  EXPECT_TRUE(MainForm->windowHandle()->isVisible());
  int32_t value = 0;
  ASSERT_TRUE(env.storedValue("zero", value));
  EXPECT_EQ(value, -3);
  ASSERT_TRUE(env.storedValue("weak", value));
  EXPECT_EQ(value, 1);
  ASSERT_TRUE(env.storedValue("start", value));
  EXPECT_EQ(value, 1000);
  ASSERT_TRUE(env.storedValue("finish", value));
  EXPECT_EQ(value, 5000);
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(MainFormLayout, NoAudioDeviceEndsTheProgramWithoutCalibratingOrClosing) {
  env.audio.devices = 0;
  env.storeValue("weak", -4);
  CreateForms();
  MainForm->show();
  // The message loop ends as soon as it starts, the main window is not
  // closed, and the settings are not written back (a stored -4 would become 4).
  QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(MainForm->isVisible());
  int32_t weak = 0;
  ASSERT_TRUE(env.storedValue("weak", weak));
  EXPECT_EQ(weak, -4);
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].text, "Audio devices absent!");
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
  EXPECT_EQ(env.boxes[0].buttons, BoxButtons::Ok);
  EXPECT_TRUE(MainForm->Terminating());
  EXPECT_EQ(env.audio.opens, 0);
  int32_t value = 0;
  EXPECT_FALSE(env.storedValue("zero", value));
  // The defaults of missing settings are written during creation all the same.
  ASSERT_TRUE(env.storedValue("start", value));
  EXPECT_EQ(value, 1000);
}

TEST_F(MainFormLayout, StoredSettingsAreLoadedAndSavedAtClose) {
  env.storeValue("weak", -4);
  env.storeValue("start", 2000);
  env.storeValue("finish", 3000);
  launch();
  EXPECT_EQ(lmx::weak, 4);
  EXPECT_EQ(lmx::start, 2000);
  EXPECT_EQ(lmx::finish, 3000);
  lmx::finish = 7000;
  {
    OpenedKey key(*env.store);
    env.store->deleteValue("start");  // deleted while the program runs
  }
  EXPECT_TRUE(MainForm->close());
  int32_t value = 0;
  ASSERT_TRUE(env.storedValue("finish", value));
  EXPECT_EQ(value, 7000);
  ASSERT_TRUE(env.storedValue("weak", value));
  EXPECT_EQ(value, 4);
  EXPECT_FALSE(env.storedValue("start", value));
  EXPECT_TRUE(MainForm->Plot.PlotImage().isNull());  // released
}

TEST_F(MainFormLayout, WronglyTypedSettingIsReportedAndStartUpGoesOn) {
  {
    OpenedKey key(*env.store);
    env.store->writeText("start", "1000");
  }
  launch();
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].title, "Spectrometer LMX");
  EXPECT_EQ(env.boxes[0].text, "Failed to get data for 'start'");
  EXPECT_EQ(MainForm->Plot.PlotImage().size(), QSize(800, 566));
  EXPECT_EQ(CaptureFormat.nSamplesPerSec, 44100u);
}

TEST_F(MainFormLayout, DrawingNeverCoversTheToolBarOrTheStatusBar) {
  launch();
  MainForm->Plot.WindowSurface().fill(Qt::red);
  MainForm->Client->ShowDrawing();
  const QImage shown = MainForm->Client->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(800, 566));
  EXPECT_EQ(shown.pixel(400, 300), qRgb(255, 0, 0));
  for (QPoint barPixel : {QPoint(500, 10), QPoint(500, 32), QPoint(600, 556), QPoint(100, 560)})
    EXPECT_NE(shown.pixel(barPixel), qRgb(255, 0, 0)) << barPixel.x() << "," << barPixel.y();
  // The lowered frame of the drawing area is painted over the picture.
  EXPECT_NE(shown.pixel(0, 300), qRgb(255, 0, 0));
  EXPECT_NE(shown.pixel(799, 300), qRgb(255, 0, 0));
}
