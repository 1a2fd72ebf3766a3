// SPDX-License-Identifier: GPL-3.0-or-later
// Save through the main window where the file system says no: a full disk, a
// place nobody may write, a folder of that name. The box gives the exact
// reason, an existing file is left as it was, and the spectrum stays unsaved
// (so closing still asks) until a save succeeds. A folder that takes no new
// files still lets an existing file be overwritten in place.
#include <fcntl.h>
#include <sys/stat.h>

#include <QDir>

#include "BitmapFile.h"
#include "FileDialogs.h"
#include "Scan.h"
#include "tests/app/MainFormFixture.h"
#include "tests/faults/FaultHelpers.h"

namespace {

class SaveFaults : public MainFormFixture {
 protected:
  void SetUp() override {
    launch();
    MainForm->Spectr1Input->setChecked(false);
    ASSERT_TRUE(QDir().mkpath(folder()));
    SetFileDialogResponder([this](QFileDialog&) { return answer; });
  }
  void TearDown() override {
    SetFileDialogResponder({});
    MainFormFixture::TearDown();
  }
  QString folder() const { return QString::fromStdString(env.directory()) + "/pictures"; }
  QString path(const QString& name) const { return folder() + "/" + name; }
  void scan(int16_t input) {
    env.audio.signal = [input](int, size_t) { return input; };
    atCycle(env.audio.cycles + 20 * 20, [] { MainForm->StopButton->click(); });
    MainForm->StartButton->click();
    env.clock.onPause = nullptr;
  }
  void save(const QString& file) {
    answer = file;
    MainForm->SaveButton->click();
  }
  // One error box with `text`, and the window as it was.
  void expectRefused(const QString& text, const QImage& plot, const QString& panel) {
    ASSERT_EQ(env.boxes.size(), 1u);
    EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
    EXPECT_EQ(env.boxes[0].title, "Spectrometer LMX");
    EXPECT_EQ(env.boxes[0].text, text);
    env.boxes.clear();
    EXPECT_EQ(MainForm->Plot.PlotImage(), plot);
    EXPECT_EQ(MainForm->StatusBar->PanelText(1), panel);
    EXPECT_TRUE(MainForm->SavedMarker().isEmpty());
  }

  QString answer;
};

}  // namespace

TEST_F(SaveFaults, FullDiskKeepsTheExistingFileAndTheSpectrumUnsaved) {
  scan(60);
  save(path("kept.bmp"));
  ASSERT_TRUE(env.boxes.empty());
  const QByteArray before = FileBytes(path("kept.bmp"));
  scan(20);  // a new spectrum, not saved yet
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const QString panel = MainForm->StatusBar->PanelText(1);
  {
    FileSizeLimit full(4096);
    save(path("kept.bmp"));
    expectRefused("Stream write error.", plot, panel);
    save(path("new.bmp"));
    expectRefused("Stream write error.", plot, panel);
  }
  EXPECT_EQ(FileBytes(path("kept.bmp")), before);
  EXPECT_EQ(Names(folder()), QStringList{"kept.bmp"});  // no temporary, no half file

  env.nextAnswer = BoxAnswer::No;
  EXPECT_FALSE(MainForm->close());
  EXPECT_EQ(env.boxTexts(), std::vector<QString>{"Spectrum not saved! Want to exit?"});
  env.boxes.clear();

  save(path("kept.bmp"));  // with room again
  EXPECT_TRUE(env.boxes.empty());
  EXPECT_EQ(ReadBitmapFile(path("kept.bmp")), plot);
  EXPECT_EQ(MainForm->SavedMarker(), path("kept.bmp"));
}

TEST_F(SaveFaults, PlacesThatCannotTakeTheFileGiveTheSystemsReason) {
  scan(40);
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const QString panel = MainForm->StatusBar->PanelText(1);

  // A regular file where a folder should be: refused even for root.
  ASSERT_TRUE(PutFile(path("plain.txt"), "text"));
  save(path("plain.txt/spectrum.bmp"));
  expectRefused("Cannot create file \"" + path("plain.txt/spectrum.bmp") + "\". " + SystemText(ENOTDIR) + ".", plot,
                panel);
  EXPECT_EQ(FileBytes(path("plain.txt")), "text");

  // A folder of the chosen name, with something in it.
  ASSERT_TRUE(QDir().mkpath(path("taken.bmp")));
  ASSERT_TRUE(PutFile(path("taken.bmp/inside"), "mine"));
  save(path("taken.bmp"));
  expectRefused("Cannot create file \"" + path("taken.bmp") + "\". " + SystemText(EISDIR) + ".", plot, panel);
  EXPECT_EQ(Names(path("taken.bmp")), QStringList{"inside"});
  EXPECT_EQ(FileBytes(path("taken.bmp/inside")), "mine");
  EXPECT_EQ(Names(folder()), (QStringList{"plain.txt", "taken.bmp"}));

  // sysfs takes no new files, not even from root.
  const int probe = ::open("/sys/.lmx-save-probe", O_WRONLY | O_CREAT | O_EXCL, 0600);
  const int refusal = errno;
  if (probe >= 0) {
    ::close(probe);
    ::unlink("/sys/.lmx-save-probe");
    GTEST_SKIP() << "/sys takes new files here";
  }
  save("/sys/spectrum.bmp");
  expectRefused("Cannot create file \"/sys/spectrum.bmp\". " + SystemText(refusal) + ".", plot, panel);
}

TEST_F(SaveFaults, InAFolderThatTakesNoNewFilesAnExistingFileIsOverwrittenInPlace) {
  scan(60);
  save(path("kept.bmp"));
  answer = path("points.csv");
  MainForm->SaveDataClick();
  ASSERT_TRUE(env.boxes.empty());
  const QByteArray oldCsv = FileBytes(path("points.csv"));
  scan(20);
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const QString panel = MainForm->StatusBar->PanelText(1);

  ASSERT_EQ(::chmod(folder().toLocal8Bit().constData(), 0555), 0);
  {
    PermissionsBindRoot asAUser;
    save(path("new.bmp"));  // a new file cannot be made there
    expectRefused("Cannot create file \"" + path("new.bmp") + "\". " + SystemText(EACCES) + ".", plot, panel);

    save(path("kept.bmp"));
    EXPECT_TRUE(env.boxes.empty());
    EXPECT_EQ(MainForm->SavedMarker(), path("kept.bmp"));
    answer = path("points.csv");
    MainForm->SaveDataClick();
    EXPECT_TRUE(env.boxes.empty());
  }
  ::chmod(folder().toLocal8Bit().constData(), 0755);
  EXPECT_EQ(ReadBitmapFile(path("kept.bmp")), plot);
  EXPECT_EQ(FileBytes(path("points.csv")), ScanCsv(lmx::LastScan, lmx::Spectrum));
  EXPECT_NE(FileBytes(path("points.csv")), oldCsv);
  EXPECT_EQ(Names(folder()), (QStringList{"kept.bmp", "points.csv"}));  // no temporaries left behind
}
