// SPDX-License-Identifier: GPL-3.0-or-later
// The writer's file layout, the depth it picks, and pictures coming back
// unchanged from a write and a read at every depth.
#include <gtest/gtest.h>

#include <QImage>
#include <QList>
#include <cstring>
#include <utility>

#include "BitmapFile.h"
#include "BitmapTestFiles.h"

namespace {

// The 14-byte file header and the 40-byte info header as the writer fills them.
Le Headers(uint32_t fileSize, uint32_t dataOffset, int32_t width, int32_t height, uint16_t bits,
           uint32_t compression, uint32_t imageSize) {
  Le file;
  file.text("BM").u32(fileSize).u16(0).u16(0).u32(dataOffset);
  file.u32(40).i32(width).i32(height).u16(1).u16(bits).u32(compression).u32(imageSize);
  file.u32(0).u32(0).u32(0).u32(0);  // resolution, colours used, important colours
  return file;
}

uint32_t U32At(const QByteArray& bytes, int offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

uint16_t U16At(const QByteArray& bytes, int offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) | static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

// Fills a picture with a pattern that differs in every pixel and channel.
QImage Pattern(int width, int height, QImage::Format format) {
  QImage image(width, height, format);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      image.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xFF, (x * 5 + y * 71) & 0xFF, (x * 113 + y * 3 + 7) & 0xFF));
  return image;
}

QImage Indexed(int width, int height, int colours) {
  QImage image(width, height, QImage::Format_Indexed8);
  QList<QRgb> table;
  for (int i = 0; i < colours; ++i) table.append(qRgb(i, 255 - i, (i * 7) & 0xFF));
  image.setColorTable(table);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, static_cast<uint>((x * 3 + y * 5) % colours));
  return image;
}

// Raw 16-bit values; at 256 x 256 pixels every possible value occurs.
QImage Raw16(int width, int height, QImage::Format format, quint16 valueMask) {
  QImage image(width, height, format);
  for (int y = 0; y < height; ++y) {
    quint16* line = reinterpret_cast<quint16*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) line[x] = static_cast<quint16>((y * width + x) * 40503u) & valueMask;
  }
  return image;
}

void ExpectSamePixels(const QImage& read, const QImage& written) {
  ASSERT_EQ(read.size(), written.size());
  for (int y = 0; y < written.height(); ++y)
    for (int x = 0; x < written.width(); ++x)
      ASSERT_EQ(read.pixel(x, y), written.pixel(x, y) | 0xFF000000u) << x << ", " << y;
}

QImage RoundTrip(const QImage& image) { return DecodeBitmap(EncodeBitmap(image)); }

}  // namespace

TEST(BitmapWriter, ThirtyTwoBitLayout) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, 0x112233);
  image.setPixel(1, 0, 0x445566);
  image.setPixel(2, 0, 0x778899);
  image.setPixel(0, 1, 0xAABBCC);
  image.setPixel(1, 1, 0xDDEEFF);
  image.setPixel(2, 1, 0x010203);
  Le expected = Headers(78, 54, 3, 2, 32, 0, 24);
  // Bottom row first, each pixel blue, green, red, 0.
  expected.u8(0xCC).u8(0xBB).u8(0xAA).u8(0).u8(0xFF).u8(0xEE).u8(0xDD).u8(0).u8(0x03).u8(0x02).u8(0x01).u8(0);
  expected.u8(0x33).u8(0x22).u8(0x11).u8(0).u8(0x66).u8(0x55).u8(0x44).u8(0).u8(0x99).u8(0x88).u8(0x77).u8(0);
  EXPECT_EQ(EncodeBitmap(image), expected.bytes);

  // Alpha is not written: the fourth byte stays 0.
  QImage translucent(3, 2, QImage::Format_ARGB32);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) translucent.setPixel(x, y, image.pixel(x, y) & 0x80FFFFFF);
  EXPECT_EQ(EncodeBitmap(translucent), expected.bytes);
}

TEST(BitmapWriter, RowsArePaddedWithZerosToFourBytes) {
  QImage rgb(3, 2, QImage::Format_RGB888);  // 9 bytes a row, 3 of padding
  rgb.setPixel(0, 0, 0x010203);
  rgb.setPixel(1, 0, 0x040506);
  rgb.setPixel(2, 0, 0x070809);
  rgb.setPixel(0, 1, 0x0A0B0C);
  rgb.setPixel(1, 1, 0x0D0E0F);
  rgb.setPixel(2, 1, 0x101112);
  Le expected = Headers(78, 54, 3, 2, 24, 0, 24);
  expected.u8(0x0C).u8(0x0B).u8(0x0A).u8(0x0F).u8(0x0E).u8(0x0D).u8(0x12).u8(0x11).u8(0x10).zeros(3);
  expected.u8(0x03).u8(0x02).u8(0x01).u8(0x06).u8(0x05).u8(0x04).u8(0x09).u8(0x08).u8(0x07).zeros(3);
  EXPECT_EQ(EncodeBitmap(rgb), expected.bytes);

  QImage mono(10, 1, QImage::Format_Mono);  // 2 bytes a row, 2 of padding
  mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
  const int bits[10] = {1, 0, 1, 1, 0, 0, 0, 0, 1, 1};
  for (int x = 0; x < 10; ++x) mono.setPixel(x, 0, static_cast<uint>(bits[x]));
  Le expectedMono = Headers(66, 62, 10, 1, 1, 0, 4);
  expectedMono.bgr0(qRgb(0, 0, 0)).bgr0(qRgb(255, 255, 255));
  expectedMono.u8(0xB0).u8(0xC0).zeros(2);
  EXPECT_EQ(EncodeBitmap(mono), expectedMono.bytes);
}

TEST(BitmapWriter, SixteenBitLayouts) {
  QImage rgb565(2, 1, QImage::Format_RGB16);
  reinterpret_cast<quint16*>(rgb565.scanLine(0))[0] = 0xF800;
  reinterpret_cast<quint16*>(rgb565.scanLine(0))[1] = 0x07FF;
  Le expected = Headers(70, 66, 2, 1, 16, 3, 4);  // bit fields: three masks follow the header
  expected.u32(0xF800).u32(0x07E0).u32(0x001F);
  expected.u8(0x00).u8(0xF8).u8(0xFF).u8(0x07);
  EXPECT_EQ(EncodeBitmap(rgb565), expected.bytes);

  QImage rgb555(3, 1, QImage::Format_RGB555);
  reinterpret_cast<quint16*>(rgb555.scanLine(0))[0] = 0x7C00;
  reinterpret_cast<quint16*>(rgb555.scanLine(0))[1] = 0x03E0;
  reinterpret_cast<quint16*>(rgb555.scanLine(0))[2] = 0x001F;
  Le expected555 = Headers(62, 54, 3, 1, 16, 0, 8);
  expected555.u8(0x00).u8(0x7C).u8(0xE0).u8(0x03).u8(0x1F).u8(0x00).zeros(2);
  EXPECT_EQ(EncodeBitmap(rgb555), expected555.bytes);
}

TEST(BitmapWriter, ColourTablesAreFullAndPaddedWithBlack) {
  QImage four(3, 1, QImage::Format_Indexed8);
  four.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)});
  four.setPixel(0, 0, 1);
  four.setPixel(1, 0, 2);
  four.setPixel(2, 0, 0);
  four.setText("BitsPerPixel", "4");
  Le expected = Headers(122, 118, 3, 1, 4, 0, 4);
  expected.bgr0(qRgb(1, 2, 3)).bgr0(qRgb(4, 5, 6)).bgr0(qRgb(7, 8, 9)).zeros(13 * 4);
  expected.u8(0x12).u8(0x00).zeros(2);  // two pixels a byte, the first in the high half
  EXPECT_EQ(EncodeBitmap(four), expected.bytes);

  four.setText("BitsPerPixel", "");
  const QByteArray eight = EncodeBitmap(four);
  ASSERT_EQ(eight.size(), 54 + 256 * 4 + 4);
  EXPECT_EQ(U32At(eight, 10), 54u + 256 * 4);
  EXPECT_EQ(U16At(eight, 28), 8);
  EXPECT_EQ(eight.mid(54 + 3 * 4, 253 * 4), QByteArray(253 * 4, '\0'));
  EXPECT_EQ(eight.right(4), QByteArray::fromHex("01020000"));
}

TEST(BitmapWriter, PlotSizedPictureStartsItsPixelsAtOffset54) {
  QImage plot(800, 566, QImage::Format_RGB32);
  plot.fill(Qt::white);
  const QByteArray file = EncodeBitmap(plot);
  EXPECT_EQ(file.size(), 54 + 800 * 566 * 4);
  EXPECT_EQ(U32At(file, 2), 54u + 800 * 566 * 4);
  EXPECT_EQ(U32At(file, 10), 54u);
  EXPECT_EQ(U32At(file, 34), 800u * 566 * 4);
}

TEST(BitmapWriter, DepthFollowsThePictureFormat) {
  struct Case {
    QImage::Format format;
    int depth;
  };
  for (const Case& c : {Case{QImage::Format_RGB32, 32}, Case{QImage::Format_ARGB32, 32},
                        Case{QImage::Format_ARGB32_Premultiplied, 32}, Case{QImage::Format_RGB888, 24},
                        Case{QImage::Format_RGB555, 16}, Case{QImage::Format_RGB16, 16},
                        Case{QImage::Format_Indexed8, 8}, Case{QImage::Format_Mono, 1},
                        Case{QImage::Format_MonoLSB, 1}, Case{QImage::Format_Grayscale8, 32},
                        Case{QImage::Format_RGBA8888, 32}, Case{QImage::Format_BGR30, 32}}) {
    QImage image(5, 3, c.format);
    image.fill(0);
    EXPECT_EQ(BitmapFileDepth(image), c.depth) << c.format;
    EXPECT_EQ(U16At(EncodeBitmap(image), 28), c.depth) << c.format;
  }
  EXPECT_EQ(BitmapFileDepth(QImage()), 0);
  EXPECT_EQ(ErrorOf([] { EncodeBitmap(QImage()); }), "Bitmap image is not valid");
}

TEST(BitmapWriter, FourBitsOnlyWhenThePictureFits) {
  QImage image = Indexed(4, 2, 16);
  image.setText("BitsPerPixel", "4");
  EXPECT_EQ(BitmapFileDepth(image), 4);

  QImage manyColours = Indexed(4, 2, 17);
  manyColours.setText("BitsPerPixel", "4");
  EXPECT_EQ(BitmapFileDepth(manyColours), 8);

  // An index past 15 in a short table could not be stored in 4 bits.
  image.scanLine(1)[3] = 16;
  EXPECT_EQ(BitmapFileDepth(image), 8);
}

TEST(BitmapWriter, OtherFormatsAreWrittenAsThirtyTwoBits) {
  QImage grey(2, 1, QImage::Format_Grayscale8);
  grey.scanLine(0)[0] = 0x40;
  grey.scanLine(0)[1] = 0xC0;
  const QImage read = RoundTrip(grey);
  EXPECT_EQ(read.format(), QImage::Format_RGB32);
  EXPECT_EQ(read.pixel(0, 0), qRgb(0x40, 0x40, 0x40));
  EXPECT_EQ(read.pixel(1, 0), qRgb(0xC0, 0xC0, 0xC0));
}

TEST(BitmapRoundTrip, TrueColourDepths) {
  for (const QSize& size : {QSize(1, 1), QSize(7, 3), QSize(13, 5), QSize(32, 2)}) {
    for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_RGB888}) {
      const QImage image = Pattern(size.width(), size.height(), format);
      const QImage read = RoundTrip(image);
      EXPECT_EQ(read.format(), format);
      EXPECT_EQ(BitmapFileDepth(read), BitmapFileDepth(image));
      EXPECT_EQ(read.text("BitsPerPixel"), QString::number(BitmapFileDepth(image)));
      ExpectSamePixels(read, image);
    }
    // Opaque colours of an ARGB32 picture come back as RGB32.
    const QImage argb = Pattern(size.width(), size.height(), QImage::Format_ARGB32);
    const QImage read = RoundTrip(argb);
    EXPECT_EQ(read.format(), QImage::Format_RGB32);
    ExpectSamePixels(read, argb);
  }
}

TEST(BitmapRoundTrip, SixteenBitValuesComeBackExactly) {
  for (const QSize& size : {QSize(1, 1), QSize(3, 3), QSize(256, 256)}) {
    for (auto [format, mask] : {std::pair{QImage::Format_RGB555, quint16{0x7FFF}},
                                std::pair{QImage::Format_RGB16, quint16{0xFFFF}}}) {
      const QImage image = Raw16(size.width(), size.height(), format, mask);
      const QImage read = RoundTrip(image);
      ASSERT_EQ(read.format(), format);
      ASSERT_EQ(read.size(), size);
      EXPECT_EQ(read.text("BitsPerPixel"), "16");
      for (int y = 0; y < size.height(); ++y)
        ASSERT_EQ(std::memcmp(read.constScanLine(y), image.constScanLine(y), 2 * size.width()), 0) << y;
    }
  }
}

TEST(BitmapRoundTrip, PaletteDepths) {
  for (const QSize& size : {QSize(1, 1), QSize(7, 3), QSize(9, 4), QSize(33, 2)}) {
    const QImage eight = Indexed(size.width(), size.height(), 256);
    QImage read = RoundTrip(eight);
    EXPECT_EQ(read.format(), QImage::Format_Indexed8);
    EXPECT_EQ(read.text("BitsPerPixel"), "8");
    EXPECT_EQ(read.colorTable(), eight.colorTable());
    EXPECT_EQ(BitmapFileDepth(read), 8);
    ExpectSamePixels(read, eight);

    QImage four = Indexed(size.width(), size.height(), 11);
    four.setText("BitsPerPixel", "4");
    read = RoundTrip(four);
    EXPECT_EQ(read.format(), QImage::Format_Indexed8);
    EXPECT_EQ(BitmapFileDepth(read), 4);
    EXPECT_EQ(read.colorTable().mid(0, 11), four.colorTable());
    EXPECT_EQ(read.colorTable().size(), 16);  // the file holds all 16, the rest black
    EXPECT_EQ(read.colorTable().back(), qRgb(0, 0, 0));
    for (int y = 0; y < size.height(); ++y)
      for (int x = 0; x < size.width(); ++x) ASSERT_EQ(read.pixelIndex(x, y), four.pixelIndex(x, y));

    for (QImage::Format format : {QImage::Format_Mono, QImage::Format_MonoLSB}) {
      QImage mono(size, format);
      mono.setColorTable({qRgb(10, 20, 30), qRgb(200, 210, 220)});
      for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) mono.setPixel(x, y, (x * x + y) % 3 == 0 ? 1 : 0);
      read = RoundTrip(mono);
      EXPECT_EQ(read.format(), QImage::Format_Mono);
      EXPECT_EQ(read.text("BitsPerPixel"), "1");
      EXPECT_EQ(read.colorTable(), mono.colorTable());
      ExpectSamePixels(read, mono);
    }
  }
}
