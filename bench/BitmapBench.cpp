// SPDX-License-Identifier: GPL-3.0-or-later
// Our bitmap writer and reader beside Qt's own BMP codec, on the same 800 x 566
// spectrum picture: in memory, and through files.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <cmath>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

#include "BitmapFile.h"
#include "PlotSurface.h"
#include "Scan.h"
#include "tests/support/TestEnvironment.h"

namespace {

// A Plot image as a scan leaves it: axes, labels and a red curve of 750 points.
const QImage& SpectrumPicture() {
  static const QImage picture = [] {
    PlotSurface plot;
    plot.SetUp(QSize(kClientWidth, kClientHeight));
    plot.Clean();
    plot.Coordinat(1000, 5000);
    for (int k = 0; k < kScanPoints; ++k) {
      const double peak = 300.0 * std::exp(-std::pow((k - 300) / 40.0, 2)) +
                          120.0 * std::exp(-std::pow((k - 560) / 25.0, 2));
      const int y = kScanBottom - static_cast<int>(peak) - (k * 7919 % 5);
      if (k == 0)
        plot.MoveTo(kScanLeft, y);
      else
        plot.LineTo(kScanLeft + k, y);
    }
    return plot.PlotImage();
  }();
  return picture;
}

QByteArray QtEncoded(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP")) throw std::runtime_error("Qt cannot write BMP");
  return bytes;
}

// A folder for the file benchmarks, removed at exit.
const QString& Folder() {
  static const struct Holder {
    std::string path = MakeTemporaryDirectory();
    QString text = QString::fromStdString(path);
    ~Holder() { RemoveDirectory(path); }
  } holder;
  return holder.text;
}

QString FilePath(const char* name) { return QDir(Folder()).filePath(QLatin1String(name)); }

void BM_Encode_Ours(benchmark::State& state) {
  const QImage& image = SpectrumPicture();
  for (auto _ : state) benchmark::DoNotOptimize(EncodeBitmap(image));
}
BENCHMARK(BM_Encode_Ours)->Unit(benchmark::kMicrosecond);

void BM_Encode_Qt(benchmark::State& state) {
  const QImage& image = SpectrumPicture();
  for (auto _ : state) benchmark::DoNotOptimize(QtEncoded(image));
}
BENCHMARK(BM_Encode_Qt)->Unit(benchmark::kMicrosecond);

void BM_Decode_Ours(benchmark::State& state) {
  const QByteArray bytes = EncodeBitmap(SpectrumPicture());
  for (auto _ : state) benchmark::DoNotOptimize(DecodeBitmap(bytes));
}
BENCHMARK(BM_Decode_Ours)->Unit(benchmark::kMicrosecond);

void BM_Decode_Qt(benchmark::State& state) {
  const QByteArray bytes = EncodeBitmap(SpectrumPicture());
  for (auto _ : state) {
    QImage image;
    if (!image.loadFromData(bytes, "BMP")) state.SkipWithError("Qt cannot read BMP");
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_Decode_Qt)->Unit(benchmark::kMicrosecond);

// Our save (QSaveFile): a temporary file, fsync, rename over the target.
void BM_WriteFile_Ours(benchmark::State& state) {
  const QImage& image = SpectrumPicture();
  const QString path = FilePath("ours.bmp");
  for (auto _ : state) WriteBitmapFile(path, image);
}
BENCHMARK(BM_WriteFile_Ours)->Unit(benchmark::kMicrosecond);

// Qt's plain save: writes the file in place, without fsync.
void BM_WriteFile_Qt(benchmark::State& state) {
  const QImage& image = SpectrumPicture();
  const QString path = FilePath("qt.bmp");
  for (auto _ : state)
    if (!image.save(path, "BMP")) state.SkipWithError("Qt cannot write BMP");
}
BENCHMARK(BM_WriteFile_Qt)->Unit(benchmark::kMicrosecond);

// Qt's codec through QSaveFile: the same durability as our save.
void BM_WriteFile_QtSaveFile(benchmark::State& state) {
  const QImage& image = SpectrumPicture();
  const QString path = FilePath("qtsafe.bmp");
  for (auto _ : state) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "BMP") || !file.commit())
      state.SkipWithError("Qt cannot write BMP");
  }
}
BENCHMARK(BM_WriteFile_QtSaveFile)->Unit(benchmark::kMicrosecond);

// What the disk asks of a durable save, without any encoding: the same bytes
// through a temporary file, fsync and rename.
void BM_WriteFile_FlushFloor(benchmark::State& state) {
  const QByteArray bytes = EncodeBitmap(SpectrumPicture());
  const QByteArray target = QFile::encodeName(FilePath("floor.bmp"));
  const QByteArray temporary = target + ".tmp";
  for (auto _ : state) {
    const int fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size() &&
              ::fsync(fd) == 0;
    if (fd >= 0) ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temporary.constData(), target.constData()) == 0;
    if (!ok) {
      state.SkipWithError("cannot write the file");
      break;
    }
  }
}
BENCHMARK(BM_WriteFile_FlushFloor)->Unit(benchmark::kMicrosecond);

void BM_ReadFile_Ours(benchmark::State& state) {
  const QString path = FilePath("read.bmp");
  WriteBitmapFile(path, SpectrumPicture());
  for (auto _ : state) benchmark::DoNotOptimize(ReadBitmapFile(path));
}
BENCHMARK(BM_ReadFile_Ours)->Unit(benchmark::kMicrosecond);

void BM_ReadFile_Qt(benchmark::State& state) {
  const QString path = FilePath("read.bmp");
  WriteBitmapFile(path, SpectrumPicture());
  for (auto _ : state) {
    QImage image;
    if (!image.load(path, "BMP")) state.SkipWithError("Qt cannot read BMP");
    benchmark::DoNotOptimize(image);
  }
}
BENCHMARK(BM_ReadFile_Qt)->Unit(benchmark::kMicrosecond);

}  // namespace
