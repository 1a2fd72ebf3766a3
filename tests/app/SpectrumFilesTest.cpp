// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QExposeEvent>
#include <QFile>
#include <QFileInfo>
#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QWindow>
#include <memory>

#include "BitmapFile.h"
#include "FileDialogs.h"
#include "tests/app/MainFormFixture.h"

namespace {

class SpectrumFiles : public MainFormFixture {
 protected:
  void SetUp() override {
    launch();
    MainForm->Spectr1Input->setChecked(false);
    SetFileDialogResponder([this](QFileDialog& dialog) {
      dialogTitles << dialog.windowTitle();
      proposed << (dialog.selectedFiles().isEmpty() ? QString() : dialog.selectedFiles().first());
      return answer;
    });
  }
  void TearDown() override {
    SetFileDialogResponder({});
    MainFormFixture::TearDown();
  }
  QString path(const char* name) { return QString::fromStdString(env.directory()) + "/" + name; }
  // The path as the program shows it: with the system's separators.
  QString shown(const char* name) { return QDir::toNativeSeparators(path(name)); }
  // The system's sentence for a file, or the folder of one, that is not
  // there: on Windows the system's message as Qt gives it, elsewhere
  // strerror(ENOENT) with a full stop.
  static QString notThere(const QString& missing) {
#ifdef _WIN32
    QFile probe(missing);
    probe.open(QIODevice::ReadOnly);
    return probe.errorString();
#else
    Q_UNUSED(missing);
    return QStringLiteral("No such file or directory.");
#endif
  }
  // A short scan of a constant input, stopped after `points` points.
  void scan(int16_t input, int points = 40) {
    env.audio.signal = [input](int, size_t) { return input; };
    atCycle(points * 20 - 10, [] { MainForm->StopButton->click(); });
    MainForm->StartButton->click();
    env.clock.onPause = nullptr;
  }
  void save(const QString& file) {
    answer = file;
    MainForm->SaveButton->click();
  }
  QByteArray contents(const QString& file) {
    QFile in(file);
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("(missing)");
  }
  QImage drawingArea(const QImage& image) { return image.copy(0, 33, 800, 514).convertToFormat(QImage::Format_RGB32); }
  int countColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 33; y < 547; ++y)
      for (int x = 0; x < 800; ++x) count += image.pixel(x, y) == colour;
    return count;
  }
  void expectNothingChanged(const QImage& plot, const QString& panel, const QString& marker) {
    EXPECT_EQ(MainForm->Plot.PlotImage(), plot);
    EXPECT_EQ(MainForm->StatusBar->PanelText(1), panel);
    EXPECT_EQ(MainForm->SavedMarker(), marker);
  }

  QString answer;  // what the next file dialog returns; empty = cancelled
  QStringList dialogTitles;
  QStringList proposed;
};

}  // namespace

TEST_F(SpectrumFiles, SaveThenOpenReproducesThePicture) {
  scan(60);
  const QImage saved = MainForm->Plot.PlotImage().copy();
  save(path("a.bmp"));
  EXPECT_EQ(MainForm->StatusBar->PanelText(1), shown("a.bmp"));
  EXPECT_EQ(MainForm->SavedMarker(), path("a.bmp"));
  QFile file(path("a.bmp"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  EXPECT_EQ(bytes.size(), 54 + 800 * 566 * 4);
  EXPECT_TRUE(bytes.startsWith("BM"));

  MainForm->Plot.Clean();
  answer = path("a.bmp");
  MainForm->OpenButton->click();
  EXPECT_EQ(dialogTitles.last(), " Open spectrum...");
  EXPECT_EQ(MainForm->Plot.PlotImage(), saved);
  EXPECT_EQ(drawingArea(MainForm->Plot.WindowSurface()), drawingArea(saved));
  EXPECT_EQ(MainForm->SavedMarker(), path("a.bmp"));
  // Opened spectra need no question at exit.
  EXPECT_TRUE(MainForm->close());
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(SpectrumFiles, SaveWritesBitmapContentWhateverTheExtensionAndProposesTheMarker) {
  scan(30);
  save(path("spectrum.emf"));
  QFile file(path("spectrum.emf"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.read(2) == "BM");
  save(path("b.bmp"));
  EXPECT_EQ(dialogTitles.last(), " Save spectrum as...");
  EXPECT_TRUE(proposed.last().endsWith("spectrum.emf"));
  // Cancelled: nothing changes.
  save(QString());
  EXPECT_EQ(MainForm->SavedMarker(), path("b.bmp"));
}

TEST_F(SpectrumFiles, SavedFileOpensInOtherImagePrograms) {
  const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
  if (identify.isEmpty()) GTEST_SKIP() << "ImageMagick's identify is not installed";
  scan(30);
  save(path("c.bmp"));
  QProcess process;
  process.start(identify, {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path("c.bmp")});
  ASSERT_TRUE(process.waitForFinished(20000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  EXPECT_EQ(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), "BMP3 800 566");
}

TEST_F(SpectrumFiles, CompareOverlaysTheStoredCurveInBlackOnTheWindowOnly) {
  scan(60);
  save(path("reference.bmp"));
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const int red = countColour(plot, kTraceRed), gray = countColour(plot, kAxisGray);
  ASSERT_GT(red, 0);
  ASSERT_GT(gray, 0);
  // While the dialog was up, its completion list came and went below its
  // bottom edge.
  const QPoint origin = MainForm->windowHandle()->mapToGlobal(QPoint(0, 0));
  const QRect dialogArea = QRect(100, 50, 600, 400).translated(origin);
  const QRect listArea = QRect(300, 460, 262, 35).translated(origin);
  const FileDialogResponder plain = SetFileDialogResponder([&](FileDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), " Compare spectrum with...");
    dialog.setGeometry(dialogArea);
    dialog.show();
    QWidget* list = dialog.findChild<QLineEdit*>("fileNameEdit")->completer()->popup();
    list->setGeometry(listArea);
    list->show();
    list->hide();
    dialog.hide();
    return path("reference.bmp");
  });
  MainForm->CompButton->click();
  SetFileDialogResponder(plain);
  const QImage& window = MainForm->Plot.WindowSurface();
  const QImage overlaid = window.copy();
  // The window system's repaints of what they covered, late, keep the overlay.
  for (const QRect& covered : {listArea, dialogArea}) {
    QExposeEvent late(QRegion(covered.translated(-origin)));
    QApplication::sendEvent(MainForm->windowHandle(), &late);
  }
  EXPECT_EQ(window, overlaid);
  EXPECT_EQ(countColour(window, kTraceRed), 0);
  EXPECT_EQ(countColour(window, kAxisGray), 0);
  EXPECT_EQ(countColour(window, kWindowText), countColour(plot, kWindowText) + red + gray);
  EXPECT_EQ(MainForm->Plot.PlotImage(), plot);
  EXPECT_EQ(MainForm->StatusBar->PanelText(1), shown("reference.bmp"));

  // A repaint asked by the window system removes the overlay.
  QExposeEvent expose(QRegion(0, 0, 800, 600));
  QApplication::sendEvent(MainForm->windowHandle(), &expose);
  EXPECT_EQ(drawingArea(window), drawingArea(plot));
}

TEST_F(SpectrumFiles, CompareKeepsAnUnsavedScanUnsaved) {
  scan(60);
  save(path("reference.bmp"));
  scan(20);
  answer = path("reference.bmp");
  MainForm->Spectr1Sravn->trigger();
  EXPECT_TRUE(MainForm->SavedMarker().isEmpty());
  // Save after Compare writes the spectrum without the overlay, and does not
  // propose the reference file.
  const QImage plot = MainForm->Plot.PlotImage().copy();
  save(path("new.bmp"));
  EXPECT_FALSE(proposed.last().endsWith(".bmp")) << proposed.last().toStdString();
  EXPECT_EQ(ReadBitmapFile(path("new.bmp")), plot);
  // Before that save, closing would have asked.
  scan(20);
  MainForm->CompButton->click();
  env.nextAnswer = BoxAnswer::No;
  EXPECT_FALSE(MainForm->close());
  EXPECT_EQ(env.boxTexts().back(), "Spectrum not saved! Want to exit?");
}

TEST_F(SpectrumFiles, OpenDialogStartsWithTheLastFileOfOpenOrCompare) {
  scan(30);
  save(path("x.bmp"));
  answer = path("x.bmp");
  MainForm->CompButton->click();
  answer = QString();
  MainForm->Spectr1Open->trigger();
  EXPECT_TRUE(proposed.last().endsWith("x.bmp"));
}

TEST_F(SpectrumFiles, NamesTypedFromTheHomeFolderWorkInSaveOpenAndCompare) {
  // HOME names the home folder on POSIX systems. Windows takes the user's
  // profile folder whatever the environment says: the file goes there, and
  // is removed before and after.
  const QByteArray home = qgetenv("HOME");
  qputenv("HOME", QByteArray::fromStdString(env.directory()));
  const QString typed = QDir::homePath() + QStringLiteral("/typed.bmp");
  QFile::remove(typed);
  QStringList chosen;
  SetFileDialogResponder([&](FileDialog& dialog) {
    dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("~/typed.bmp"));
    dialog.accept();
    chosen << dialog.chosen();
    return dialog.chosen();
  });
  scan(30);
  MainForm->SaveButton->click();
  MainForm->OpenButton->click();
  MainForm->CompButton->click();
  qputenv("HOME", home);
  EXPECT_EQ(chosen, QStringList(3, typed));
  EXPECT_TRUE(env.boxes.empty());
  EXPECT_EQ(MainForm->SavedMarker(), typed);
  QFile::remove(typed);
}

TEST_F(SpectrumFiles, ASmallerOpenedPictureKeepsItsSizeAndAScanDrawsIntoIt) {
  QImage small(400, 300, QImage::Format_RGB32);
  small.fill(Qt::yellow);
  WriteBitmapFile(path("small.bmp"), small);
  answer = path("small.bmp");
  MainForm->OpenButton->click();
  EXPECT_EQ(MainForm->Plot.PlotImage().size(), QSize(400, 300));
  scan(100, 30);
  const QImage& plot = MainForm->Plot.PlotImage();
  EXPECT_EQ(plot.size(), QSize(400, 300));
  EXPECT_EQ(plot.pixel(200, 100), kWhite);  // cleaned
  // The curve at y = 385 lies outside the picture but shows on the window.
  EXPECT_EQ(MainForm->Plot.WindowSurface().pixel(40, 385), kTraceRed);
}

TEST_F(SpectrumFiles, PalettePictureKeepsItsDepthAndTakesNearestColours) {
  QImage palette(800, 566, QImage::Format_Indexed8);
  palette.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(250, 5, 5), qRgb(127, 127, 127)});
  palette.fill(1);
  WriteBitmapFile(path("palette.bmp"), palette);
  answer = path("palette.bmp");
  MainForm->OpenButton->click();
  scan(60, 10);
  const QImage& plot = MainForm->Plot.PlotImage();
  EXPECT_EQ(plot.format(), QImage::Format_Indexed8);
  EXPECT_EQ(plot.pixelIndex(30, 425), 2);  // red
  EXPECT_EQ(plot.pixelIndex(29, 300), 3);  // gray
  EXPECT_EQ(plot.pixelIndex(500, 100), 0);  // white
  save(path("palette-again.bmp"));
  EXPECT_EQ(BitmapFileDepth(ReadBitmapFile(path("palette-again.bmp"))), 8);
}

TEST_F(SpectrumFiles, ErrorsEndTheCommandAndChangeNothing) {
  scan(30);
  save(path("kept.bmp"));
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const QString panel = MainForm->StatusBar->PanelText(1), marker = MainForm->SavedMarker();

  answer = path("missing.bmp");
  MainForm->OpenButton->click();
  {
    QFile text(path("text.emf"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a bitmap at all");
  }
  answer = path("text.emf");
  MainForm->CompButton->click();
  answer = path("no-such-folder/x.bmp");
  MainForm->SaveButton->click();
  QFile short13(path("short.bmp"));
  ASSERT_TRUE(short13.open(QIODevice::WriteOnly));
  short13.write("BM34567890123");
  short13.close();
  answer = path("short.bmp");
  MainForm->OpenButton->click();

  ASSERT_EQ(env.boxes.size(), 4u);
  for (const BoxRequest& box : env.boxes) {
    EXPECT_EQ(box.title, "Spectrometer LMX");
    EXPECT_EQ(box.kind, BoxKind::Error);
  }
  EXPECT_EQ(env.boxes[0].text,
            "Cannot open file \"" + shown("missing.bmp") + "\". " + notThere(path("missing.bmp")));
  EXPECT_EQ(env.boxes[1].text, "Bitmap image is not valid.");
  EXPECT_EQ(env.boxes[2].text,
            "Cannot create file \"" + shown("no-such-folder/x.bmp") + "\". " +
                notThere(path("no-such-folder/x.bmp")));
  EXPECT_EQ(env.boxes[3].text, "Stream read error.");
  expectNothingChanged(plot, panel, marker);
  EXPECT_EQ(ReadBitmapFile(path("kept.bmp")), plot);
}

TEST_F(SpectrumFiles, PreviewShowsThePictureAndItsSize) {
  scan(30);
  save(path("p.bmp"));
  MainForm->OpenPreview().ShowFile(path("p.bmp"));
  EXPECT_EQ(MainForm->OpenPreview().Caption->text(), "Picture:");
  EXPECT_EQ(MainForm->OpenPreview().SizeText->text(), " (800x566)");
  EXPECT_FALSE(MainForm->OpenPreview().Picture->pixmap().isNull());
  MainForm->OpenPreview().ShowFile(path("nothing.bmp"));
  EXPECT_EQ(MainForm->OpenPreview().SizeText->text(), "(None)");
  EXPECT_TRUE(MainForm->OpenPreview().Picture->pixmap().isNull());
}

TEST_F(SpectrumFiles, SaveDataWritesTheLastScansPointsAsCsv) {
  std::unique_ptr<QMenu> menu(DataForm->CreateContextMenu());
  QStringList entries;
  for (QAction* action : menu->actions()) entries << action->objectName();
  EXPECT_EQ(entries, QStringList({"edit-undo", "edit-redo", "", "edit-cut", "edit-copy", "edit-paste", "edit-delete",
                                  "", "select-all", "", "SaveData"}));
  EXPECT_EQ(DataForm->SaveData->text(), "Save data...");
  EXPECT_FALSE(DataForm->SaveData->isEnabled());  // no scan yet
  QStringList dialog;
  SetFileDialogResponder([&](FileDialog& shown) {
    dialog = QStringList{shown.windowTitle(), shown.nameFilters().join('|'), shown.defaultSuffix()};
    EXPECT_EQ(shown.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(shown.testOption(QFileDialog::DontConfirmOverwrite));
    return answer;
  });

  lmx::start = 1000;
  lmx::finish = 5000;
  scan(40, 5);
  EXPECT_TRUE(DataForm->SaveData->isEnabled());
  // Neither the settings nor the text box afterwards change what is saved.
  lmx::start = 5000;
  lmx::finish = 1000;
  DataForm->DataMemo->appendPlainText("typed");
  answer = path("up.csv");
  DataForm->SaveData->trigger();
  EXPECT_EQ(dialog, QStringList({" Save data as...", "CSV files (*.csv)", "csv"}));
  EXPECT_EQ(contents(path("up.csv")),
            "point,wavelength,value\r\n0,1000.0,40\r\n1,1005.3,40\r\n2,1010.7,40\r\n3,1016.0,40\r\n4,1021.4,40\r\n");

  // A descending range, stopped during its fourth point.
  bool enabledDuring = true;
  env.audio.signal = [](int, size_t) { return int16_t{25}; };
  atCycle(env.audio.cycles + 70, [&] {
    enabledDuring = DataForm->SaveData->isEnabled();
    MainForm->StopButton->click();
  });
  MainForm->StartButton->click();
  EXPECT_FALSE(enabledDuring);
  EXPECT_TRUE(DataForm->SaveData->isEnabled());
  const QByteArray down = "point,wavelength,value\r\n0,5000.0,25\r\n1,4994.7,25\r\n2,4989.3,25\r\n3,4984.0,25\r\n";
  answer = path("down.csv");
  DataForm->SaveData->trigger();
  EXPECT_EQ(contents(path("down.csv")), down);

  // The monitor measures no scan points: after it the same file is saved.
  MainForm->Spectr1Input->setChecked(true);
  atCycle(env.audio.cycles + 3, [] { MainForm->StopButton->click(); });
  MainForm->StartButton->click();
  EXPECT_TRUE(DataForm->SaveData->isEnabled());
  answer = path("again.csv");
  DataForm->SaveData->trigger();
  EXPECT_EQ(contents(path("again.csv")), down);
  EXPECT_TRUE(env.boxes.empty());
}

TEST_F(SpectrumFiles, SaveDataIntoAMissingFolderShowsTheErrorAndWritesNothing) {
  scan(40, 2);
  answer = path("no-such-folder/data.csv");
  DataForm->SaveData->trigger();
  ASSERT_EQ(env.boxes.size(), 1u);
  EXPECT_EQ(env.boxes[0].title, "Spectrometer LMX");
  EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
  EXPECT_EQ(env.boxes[0].text,
            "Cannot create file \"" + shown("no-such-folder/data.csv") + "\". " +
                notThere(path("no-such-folder/data.csv")));
  EXPECT_FALSE(QFileInfo::exists(path("no-such-folder")));
}
