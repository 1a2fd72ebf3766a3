// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and saving picture files: what ends up on disk, and the exact
// texts when the file system says no.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

#include "BitmapFile.h"
#include "BitmapTestFiles.h"
#include "tests/support/QtPrinters.h"

namespace {

std::string SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)).toStdString(); }

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void PutFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// Every name in the folder, hidden ones too.
QStringList Names(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Name);
}

QImage Spectrum() {
  QImage image(800, 566, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int x = 0; x < 800; ++x) image.setPixel(x, 300 + x % 200, qRgb(255, 0, 0));
  return image;
}

class BitmapFiles : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
  QString path(const QString& name) const { return folder_.path() + "/" + name; }
  QString folder() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
};

}  // namespace

TEST_F(BitmapFiles, SavedFileHoldsTheEncodedPictureAndReadsBack) {
  const QImage image = Spectrum();
  WriteBitmapFile(path("spectrum.bmp"), image);
  EXPECT_EQ(FileBytes(path("spectrum.bmp")), EncodeBitmap(image));
  EXPECT_EQ(Names(folder()), QStringList{"spectrum.bmp"});
  const QImage read = ReadBitmapFile(path("spectrum.bmp"));
  EXPECT_EQ(read.format(), QImage::Format_RGB32);
  EXPECT_EQ(read, image);
#ifndef _WIN32
  // The usual permissions for a new file, not those of a private temporary one.
  const mode_t mask = umask(0);
  umask(mask);
  struct stat status;
  ASSERT_EQ(stat(QFile::encodeName(path("spectrum.bmp")).constData(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
#endif
}

TEST_F(BitmapFiles, SavingReplacesAnExistingFile) {
  PutFile(path("old.bmp"), "not a picture at all");
#ifndef _WIN32
  ASSERT_EQ(chmod(QFile::encodeName(path("old.bmp")).constData(), 0640), 0);
#endif
  QImage image(2, 2, QImage::Format_RGB888);
  image.fill(qRgb(1, 2, 3));
  WriteBitmapFile(path("old.bmp"), image);
  EXPECT_EQ(FileBytes(path("old.bmp")), EncodeBitmap(image));
  EXPECT_EQ(Names(folder()), QStringList{"old.bmp"});
#ifndef _WIN32
  struct stat status;
  ASSERT_EQ(stat(QFile::encodeName(path("old.bmp")).constData(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);  // the replacement keeps the old permissions
#endif
}

TEST_F(BitmapFiles, OpeningAMissingFileNamesItsFullPath) {
  EXPECT_EQ(ErrorOf([&] { ReadBitmapFile(path("none.bmp")); }),
            "Cannot open file \"" + path("none.bmp").toStdString() + "\". " + SystemText(ENOENT));

  // A relative name is shown as the full path.
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder()));
  const std::string expected = "Cannot open file \"" + QDir::currentPath().toStdString() + "/none.bmp\". " +
                               SystemText(ENOENT);
  const std::string error = ErrorOf([] { ReadBitmapFile("none.bmp"); });
  ASSERT_TRUE(QDir::setCurrent(previous));
  EXPECT_EQ(error, expected);
}

TEST_F(BitmapFiles, OpeningAFolderFails) {
  ASSERT_TRUE(QDir(folder()).mkdir("pictures.bmp"));
  EXPECT_EQ(ErrorOf([&] { ReadBitmapFile(path("pictures.bmp")); }),
            "Cannot open file \"" + path("pictures.bmp").toStdString() + "\". " + SystemText(EISDIR));
}

TEST_F(BitmapFiles, ContentErrorsFromDisk) {
  PutFile(path("short.bmp"), "BM0123456789A");  // 13 bytes
  EXPECT_EQ(ErrorOf([&] { ReadBitmapFile(path("short.bmp")); }), "Stream read error");
  PutFile(path("empty.bmp"), "");
  EXPECT_EQ(ErrorOf([&] { ReadBitmapFile(path("empty.bmp")); }), "Stream read error");
  PutFile(path("text.bmp"), "Hello, this is plain text and no picture.");
  EXPECT_EQ(ErrorOf([&] { ReadBitmapFile(path("text.bmp")); }), "Bitmap image is not valid");

  // Over 256 MiB: refused from its size alone (the file is sparse, nothing is read).
  QFile huge(path("huge.bmp"));
  ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
  ASSERT_EQ(huge.write("BM"), 2);
  ASSERT_TRUE(huge.resize(qint64{256} * 1024 * 1024 + 1));
  huge.close();
  EXPECT_EQ(ErrorOf([&] { ReadBitmapFile(path("huge.bmp")); }), "Bitmap image is too large");
}

TEST_F(BitmapFiles, SavingOverAFolderName) {
  ASSERT_TRUE(QDir(folder()).mkdir("taken.bmp"));
  EXPECT_EQ(ErrorOf([&] { WriteBitmapFile(path("taken.bmp"), Spectrum()); }),
            "Cannot create file \"" + path("taken.bmp").toStdString() + "\". " + SystemText(EISDIR));
  EXPECT_EQ(Names(folder()), QStringList{"taken.bmp"});
  EXPECT_TRUE(Names(path("taken.bmp")).isEmpty());
}

TEST_F(BitmapFiles, SavingIntoAMissingFolder) {
  EXPECT_EQ(ErrorOf([&] { WriteBitmapFile(path("missing/spectrum.bmp"), Spectrum()); }),
            "Cannot create file \"" + path("missing/spectrum.bmp").toStdString() + "\". " + SystemText(ENOENT));
  EXPECT_TRUE(Names(folder()).isEmpty());
}

TEST_F(BitmapFiles, NullPictureIsNotSaved) {
  PutFile(path("keep.bmp"), "old");
  EXPECT_EQ(ErrorOf([&] { WriteBitmapFile(path("keep.bmp"), QImage()); }), "Bitmap image is not valid");
  EXPECT_EQ(FileBytes(path("keep.bmp")), "old");
  EXPECT_EQ(Names(folder()), QStringList{"keep.bmp"});
}

#ifndef _WIN32
TEST_F(BitmapFiles, FullDiskLeavesTheOldFileAsItWas) {
  QImage old(3, 1, QImage::Format_RGB888);
  old.fill(qRgb(9, 8, 7));
  WriteBitmapFile(path("spectrum.bmp"), old);
  const QByteArray before = FileBytes(path("spectrum.bmp"));

  // A full disk, imitated by a file size limit, which holds for root too.
  rlimit previous;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit limit = previous;
  limit.rlim_cur = 4096;
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const std::string error = ErrorOf([&] { WriteBitmapFile(path("spectrum.bmp"), Spectrum()); });
  const std::string newFile = ErrorOf([&] { WriteBitmapFile(path("new.bmp"), Spectrum()); });
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, handler);

  EXPECT_EQ(error, "Stream write error");
  EXPECT_EQ(newFile, "Stream write error");
  EXPECT_EQ(FileBytes(path("spectrum.bmp")), before);
  EXPECT_EQ(Names(folder()), QStringList{"spectrum.bmp"});
}

TEST_F(BitmapFiles, SavingThroughALinkReplacesItsTargetAndKeepsTheLink) {
  // A link into another folder, to a file that does not exist yet.
  ASSERT_TRUE(QDir(folder()).mkdir("synced"));
  ASSERT_TRUE(QFile::link("synced/spectrum.bmp", path("spectrum.bmp")));
  WriteBitmapFile(path("spectrum.bmp"), Spectrum());
  QImage second(2, 2, QImage::Format_RGB888);
  second.fill(qRgb(1, 2, 3));
  WriteBitmapFile(path("spectrum.bmp"), second);
  EXPECT_EQ(QFileInfo(path("spectrum.bmp")).symLinkTarget(), path("synced/spectrum.bmp"));
  EXPECT_EQ(FileBytes(path("synced/spectrum.bmp")), EncodeBitmap(second));
  EXPECT_EQ(Names(folder()), (QStringList{"spectrum.bmp", "synced"}));
  EXPECT_EQ(Names(path("synced")), QStringList{"spectrum.bmp"});
}
#endif
