// SPDX-License-Identifier: GPL-3.0-or-later
// The chosen file changes between the file dialog and the read: it shrinks,
// is emptied, deleted, replaced by a folder, a pipe or other content. Open
// and Compare then report what they found and leave the window as it was; a
// file replaced by another picture is read whole as that picture.
#include <sys/stat.h>

#include <QDir>
#include <filesystem>
#include <functional>
#include <vector>

#include "BitmapFile.h"
#include "FileDialogs.h"
#include "tests/app/MainFormFixture.h"
#include "tests/faults/FaultHelpers.h"

namespace {

class OpenRace : public MainFormFixture {
 protected:
  void SetUp() override {
    launch();
    MainForm->Spectr1Input->setChecked(false);
    env.audio.signal = [](int, size_t) { return int16_t{50}; };
    atCycle(20 * 20, [] { MainForm->StopButton->click(); });
    MainForm->StartButton->click();
    env.clock.onPause = nullptr;
    // The dialog "chooses" the file, then the change happens, then the read.
    SetFileDialogResponder([this](QFileDialog&) {
      change();
      return file();
    });
  }
  void TearDown() override {
    SetFileDialogResponder({});
    MainFormFixture::TearDown();
  }
  QString file() const { return QString::fromStdString(env.directory()) + "/stored.bmp"; }
  std::string fileName() const { return file().toStdString(); }

  QImage Picture(QRgb colour) {
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixel(10, 10, qRgb(255, 0, 0));
    return image;
  }
  // A good spectrum file in place, as the dialog saw it.
  void putGoodFile() {
    std::error_code ignored;
    std::filesystem::remove_all(fileName(), ignored);
    WriteBitmapFile(file(), Picture(qRgb(0, 0, 255)));
  }

  std::function<void()> change;
};

}  // namespace

TEST_F(OpenRace, FileChangedAfterChoosingGivesAnErrorAndChangesNothing) {
  const QByteArray good = [this] {
    putGoodFile();
    return FileBytes(file());
  }();
  const QString readError = "Stream read error.";
  struct Case {
    const char* what;
    std::function<void()> change;
    QString error;
  };
  const std::vector<Case> cases = {
      {"emptied", [&] { std::filesystem::resize_file(fileName(), 0); }, readError},
      {"cut inside the headers", [&] { std::filesystem::resize_file(fileName(), 30); }, readError},
      {"cut inside the pixels", [&] { std::filesystem::resize_file(fileName(), good.size() / 2); }, readError},
      {"one byte short", [&] { std::filesystem::resize_file(fileName(), good.size() - 1); }, readError},
      {"replaced by a shorter copy",
       [&] {
         ASSERT_TRUE(PutFile(file() + ".new", good.left(good.size() - 100)));
         std::filesystem::rename(fileName() + ".new", fileName());
       },
       readError},
      {"overwritten with text", [&] { ASSERT_TRUE(PutFile(file(), "plain text, no picture")); },
       "Bitmap image is not valid."},
      {"deleted", [&] { std::filesystem::remove(fileName()); },
       "Cannot open file \"" + file() + "\". " + SystemText(ENOENT) + "."},
      {"replaced by a folder",
       [&] {
         std::filesystem::remove(fileName());
         std::filesystem::create_directory(fileName());
       },
       "Cannot open file \"" + file() + "\". " + SystemText(EISDIR) + "."},
      {"replaced by a pipe nobody writes to",
       [&] {
         std::filesystem::remove(fileName());
         ASSERT_EQ(::mkfifo(fileName().c_str(), 0600), 0);
       },
       readError},
  };
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const QImage window = MainForm->Plot.WindowSurface().copy();
  const QString panel = MainForm->StatusBar->PanelText(1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (QToolButton* command : {MainForm->OpenButton, MainForm->CompButton}) {
      SCOPED_TRACE(command->objectName().toStdString());
      putGoodFile();
      change = c.change;
      {
        Watchdog hang(20);  // a read that blocks would never end
        command->click();
      }
      ASSERT_EQ(env.boxes.size(), 1u);
      EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
      EXPECT_EQ(env.boxes[0].text, c.error);
      env.boxes.clear();
      EXPECT_EQ(MainForm->Plot.PlotImage(), plot);
      EXPECT_EQ(MainForm->Plot.WindowSurface(), window);
      EXPECT_EQ(MainForm->StatusBar->PanelText(1), panel);
      EXPECT_TRUE(MainForm->SavedMarker().isEmpty());
    }
  }
}

TEST_F(OpenRace, FileReplacedByAnotherPictureOpensAsThatPicture) {
  const QImage other = Picture(qRgb(0, 255, 0)).copy(0, 0, 120, 80);
  change = [&] {
    ASSERT_TRUE(PutFile(file() + ".new", EncodeBitmap(other)));
    std::filesystem::rename(fileName() + ".new", fileName());
  };
  putGoodFile();
  MainForm->OpenButton->click();
  EXPECT_TRUE(env.boxes.empty());
  EXPECT_EQ(MainForm->Plot.PlotImage(), other);
  EXPECT_EQ(MainForm->SavedMarker(), file());
}
