// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap writer's and reader's 32-bit paths and the file reader's
// buffering, checked byte by byte against the file layout.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <random>

#include "BitmapFile.h"
#include "tests/support/QtPrinters.h"

namespace {

void PutU32(QByteArray& bytes, int at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

uint32_t U32(const QByteArray& bytes, qsizetype at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

QImage Random32(int width, int height, QImage::Format format, std::mt19937& random) {
  QImage image(width, height, format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) reinterpret_cast<QRgb*>(image.scanLine(y))[x] = random();
  return image;
}

// A 32-bit file, bottom row first, with any fourth byte and optionally the byte masks given as bit fields.
QByteArray File32(const QImage& image, bool bitFields, std::mt19937& random) {
  const int width = image.width(), height = image.height();
  const int offset = 54 + (bitFields ? 12 : 0);
  QByteArray bytes(offset + width * height * 4, '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutU32(bytes, 2, static_cast<uint32_t>(bytes.size()));
  PutU32(bytes, 10, static_cast<uint32_t>(offset));
  PutU32(bytes, 14, 40);
  PutU32(bytes, 18, static_cast<uint32_t>(width));
  PutU32(bytes, 22, static_cast<uint32_t>(height));
  PutU32(bytes, 26, 1 | 32 << 16);
  PutU32(bytes, 30, bitFields ? 3 : 0);
  if (bitFields) {
    PutU32(bytes, 54, 0x00FF0000);
    PutU32(bytes, 58, 0x0000FF00);
    PutU32(bytes, 62, 0x000000FF);
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      PutU32(bytes, offset + ((height - 1 - y) * width + x) * 4,
             (image.pixel(x, y) & 0xFFFFFFu) | (random() & 0xFF000000u));
  return bytes;
}

}  // namespace

TEST(BitmapFastPath, ThirtyTwoBitRowsAreBlueGreenRedZeroBottomUp) {
  std::mt19937 random(3);
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32}) {
    for (QSize size : {QSize(1, 1), QSize(3, 2), QSize(17, 5), QSize(800, 566)}) {
      const QImage image = Random32(size.width(), size.height(), format, random);
      const QByteArray bytes = EncodeBitmap(image);
      ASSERT_EQ(bytes.size(), 54 + size.width() * size.height() * 4);
      for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
          ASSERT_EQ(U32(bytes, 54 + (static_cast<qsizetype>(size.height() - 1 - y) * size.width() + x) * 4),
                    reinterpret_cast<const QRgb*>(image.constScanLine(y))[x] & 0xFFFFFFu)
              << x << "," << y;
      for (int i = 6; i < 10; ++i) EXPECT_EQ(bytes[i], 0);  // reserved
      for (int i = 38; i < 54; ++i) EXPECT_EQ(bytes[i], 0) << i;  // resolution and colour counts
    }
  }
}

TEST(BitmapFastPath, EveryPaddingByteOfNarrowerRowsIsZero) {
  std::mt19937 random(4);
  QImage rgb(5, 7, QImage::Format_RGB888);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 5; ++x) rgb.setPixel(x, y, random() & 0xFFFFFF);
  const QByteArray bytes = EncodeBitmap(rgb);
  const int stride = 16;  // 15 bytes of pixels, one of padding
  for (int y = 0; y < 7; ++y) EXPECT_EQ(bytes[54 + y * stride + 15], 0) << y;
  QImage mono(9, 3, QImage::Format_Mono);
  mono.setColorTable({0xFFFFFFFFu, 0xFF000000u});
  mono.fill(1);
  const QByteArray monoBytes = EncodeBitmap(mono);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(static_cast<uint8_t>(monoBytes[62 + y * 4]), 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(monoBytes[62 + y * 4 + 1]), 0x80);  // the ninth pixel, then zeros
    EXPECT_EQ(monoBytes[62 + y * 4 + 2], 0);
    EXPECT_EQ(monoBytes[62 + y * 4 + 3], 0);
  }
}

TEST(BitmapFastPath, ThirtyTwoBitFilesWithByteMasksIgnoreTheFourthByte) {
  std::mt19937 random(5);
  for (bool bitFields : {false, true}) {
    const QImage image = Random32(37, 11, QImage::Format_RGB32, random);
    const QImage read = DecodeBitmap(File32(image, bitFields, random));
    ASSERT_EQ(read.format(), QImage::Format_RGB32);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 37; ++x) ASSERT_EQ(read.pixel(x, y), image.pixel(x, y) | 0xFF000000u) << x << "," << y;
  }
}

TEST(BitmapFastPath, FilesAreReadWholeWhateverTheirLength) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  std::mt19937 random(6);
  const QString path = folder.filePath("spectrum.bmp");
  for (QSize size : {QSize(800, 566), QSize(128, 128), QSize(1, 1)}) {
    const QImage image = Random32(size.width(), size.height(), QImage::Format_RGB32, random);
    WriteBitmapFile(path, image);
    EXPECT_EQ(ReadBitmapFile(path), DecodeBitmap(EncodeBitmap(image))) << size.width();
  }
  QFile empty(folder.filePath("empty.bmp"));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();
  try {
    ReadBitmapFile(empty.fileName());
    FAIL() << "an empty file was read";
  } catch (const PictureError& error) {
    EXPECT_STREQ(error.what(), "Stream read error");
  }
}
