// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-made files with every header the reader accepts, written out field by
// field, and the pictures they give.
#include <gtest/gtest.h>

#include <QImage>
#include <QList>

#include "BitmapFile.h"
#include "BitmapTestFiles.h"
#include "tests/support/QtPrinters.h"

namespace {

quint16 Raw16(const QImage& image, int x, int y) {
  return reinterpret_cast<const quint16*>(image.constScanLine(y))[x];
}

// File header: "BM", file size, two reserved words, pixel data offset.
Le FileHeader(uint32_t fileSize, uint32_t dataOffset) {
  Le file;
  file.text("BM").u32(fileSize).u16(0).u16(0).u32(dataOffset);
  return file;
}

// The first 40 bytes of every Windows info header.
void InfoFields(Le& file, uint32_t headerSize, int32_t width, int32_t height, uint16_t bits,
                uint32_t compression, uint32_t coloursUsed = 0) {
  file.u32(headerSize).i32(width).i32(height).u16(1).u16(bits).u32(compression);
  file.u32(0).u32(2835).u32(2835).u32(coloursUsed).u32(0);
}

// The colour space part of the 108- and 124-byte headers: type, end points, gammas.
void ColourSpace(Le& file) { file.u32(0x73524742).zeros(36).zeros(12); }

}  // namespace

TEST(BitmapReader, CoreHeaderWithThreeByteColourTable) {
  Le file = FileHeader(40, 32);
  file.u32(12).u16(3).u16(2).u16(1).u16(1);      // width, height, planes, bits
  file.u8(0x10).u8(0x20).u8(0x30);                // blue, green, red
  file.u8(0xF0).u8(0xE0).u8(0xD0);
  file.u8(0x40).zeros(3);                         // bottom row: 0 1 0
  file.u8(0xA0).zeros(3);                         // top row: 1 0 1
  const QImage image = DecodeBitmap(file.bytes);
  ASSERT_EQ(image.format(), QImage::Format_Mono);
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.text("BitsPerPixel"), "1");
  const QRgb dark = qRgb(0x30, 0x20, 0x10), light = qRgb(0xD0, 0xE0, 0xF0);
  EXPECT_EQ(image.colorTable(), (QList<QRgb>{dark, light}));
  EXPECT_EQ(image.pixel(0, 0), light);
  EXPECT_EQ(image.pixel(1, 0), dark);
  EXPECT_EQ(image.pixel(2, 0), light);
  EXPECT_EQ(image.pixel(0, 1), dark);
  EXPECT_EQ(image.pixel(1, 1), light);
  EXPECT_EQ(image.pixel(2, 1), dark);

  Le rgb = FileHeader(34, 26);
  rgb.u32(12).u16(2).u16(1).u16(1).u16(24);
  rgb.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6).zeros(2);
  const QImage truecolour = DecodeBitmap(rgb.bytes);
  ASSERT_EQ(truecolour.format(), QImage::Format_RGB888);
  EXPECT_EQ(truecolour.text("BitsPerPixel"), "24");
  EXPECT_EQ(truecolour.pixel(0, 0), qRgb(3, 2, 1));
  EXPECT_EQ(truecolour.pixel(1, 0), qRgb(6, 5, 4));
}

TEST(BitmapReader, NegativeHeightStoresTheTopRowFirst) {
  InfoFile file;
  file.height = -2;
  file.pixels = QByteArray::fromHex("01020300" "04050600");
  QImage image = DecodeBitmap(file.build());
  ASSERT_EQ(image.size(), QSize(1, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(3, 2, 1));
  EXPECT_EQ(image.pixel(0, 1), qRgb(6, 5, 4));

  file.height = 2;
  image = DecodeBitmap(file.build());
  EXPECT_EQ(image.pixel(0, 0), qRgb(6, 5, 4));
  EXPECT_EQ(image.pixel(0, 1), qRgb(3, 2, 1));
}

TEST(BitmapReader, PlainSixteenAndThirtyTwoBitsIgnoreTheSpareBits) {
  InfoFile rgb555;
  rgb555.bits = 16;
  rgb555.pixels = QByteArray::fromHex("00FC0000");  // 5-5-5 red with the top bit set
  const QImage image = DecodeBitmap(rgb555.build());
  ASSERT_EQ(image.format(), QImage::Format_RGB555);
  EXPECT_EQ(image.text("BitsPerPixel"), "16");
  EXPECT_EQ(Raw16(image, 0, 0), 0x7C00);

  InfoFile rgb32;
  rgb32.bits = 32;
  rgb32.pixels = QByteArray::fromHex("0102037F");  // blue, green, red, unused
  const QImage opaque = DecodeBitmap(rgb32.build());
  ASSERT_EQ(opaque.format(), QImage::Format_RGB32);
  EXPECT_EQ(opaque.text("BitsPerPixel"), "32");
  EXPECT_EQ(opaque.pixel(0, 0), qRgb(3, 2, 1));
}

TEST(BitmapReader, SixteenBitFieldsAfterTheHeader) {
  InfoFile file;
  file.width = 2;
  file.bits = 16;
  file.compression = 3;
  file.masks = {0xF800, 0x07E0, 0x001F};  // 5-6-5 keeps its 16 bits
  file.pixels = QByteArray::fromHex("1FF8" "E007");
  QImage image = DecodeBitmap(file.build());
  ASSERT_EQ(image.format(), QImage::Format_RGB16);
  EXPECT_EQ(image.text("BitsPerPixel"), "16");
  EXPECT_EQ(Raw16(image, 0, 0), 0xF81F);
  EXPECT_EQ(Raw16(image, 1, 0), 0x07E0);

  // Other masks give 32-bit pictures, each channel scaled exactly: v of 15 is round(v * 255 / 15).
  file.masks = {0x0F00, 0x00F0, 0x000F};  // 4-4-4
  file.pixels = QByteArray::fromHex("E1F7" "8F00");
  image = DecodeBitmap(file.build());
  ASSERT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.text("BitsPerPixel"), "16");
  EXPECT_EQ(image.pixel(0, 0), qRgb(119, 238, 17));  // 0xF7E1: 7, 14 and 1 of 15; the top bits count for nothing
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 136, 255));   // 0x008F: 0, 8 and 15 of 15

  file.masks = {0x001F, 0x07E0, 0xF800};  // 5-6-5 with red and blue swapped
  file.pixels = QByteArray::fromHex("C387" "FFFF");
  image = DecodeBitmap(file.build());
  ASSERT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.pixel(0, 0), qRgb(25, 251, 132));  // 0x87C3: 3 of 31, 62 of 63, 16 of 31
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 255, 255));
}

TEST(BitmapReader, ThirtyTwoBitFieldsWithOddMasks) {
  InfoFile file;
  file.width = 4;
  file.bits = 32;
  file.compression = 3;
  // Ten bits of red and of green; blue is bits 1 and 3, so its values are 0, 1, 4, 5 of 5.
  file.masks = {0x3FF00000, 0x000FFC00, 0x0000000A};
  Le pixels;
  pixels.u32(0x3FF00002).u32(0x20000408).u32(0xC00FFC0A).u32(0x0034B005);
  file.pixels = pixels.bytes;
  const QImage image = DecodeBitmap(file.build());
  ASSERT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.text("BitsPerPixel"), "32");
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 51));
  EXPECT_EQ(image.pixel(1, 0), qRgb(128, 0, 204));  // 512/1023 and 1/1023 round to 128 and 0
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 255, 255));  // bits outside the masks count for nothing
  EXPECT_EQ(image.pixel(3, 0), qRgb(1, 75, 0));     // 3/1023, 300/1023

  // Four masks with the alpha bit fields variant; alpha is ignored.
  InfoFile alpha;
  alpha.bits = 32;
  alpha.compression = 6;
  alpha.masks = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
  alpha.pixels = QByteArray::fromHex("11223344");
  const QImage opaque = DecodeBitmap(alpha.build());
  ASSERT_EQ(opaque.format(), QImage::Format_RGB32);
  EXPECT_EQ(opaque.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
}

TEST(BitmapReader, MasksInsideTheLongerHeaders) {
  Le v2 = FileHeader(74, 66);
  InfoFields(v2, 52, 2, 1, 32, 3);
  v2.u32(0x0000FF00).u32(0x00FF0000).u32(0xFF000000);  // red, green, blue
  v2.u8(0x44).u8(0x33).u8(0x22).u8(0x11).u8(0xAA).u8(0x00).u8(0x00).u8(0xFF);
  QImage image = DecodeBitmap(v2.bytes);
  ASSERT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.pixel(0, 0), qRgb(0x33, 0x22, 0x11));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0xFF));

  Le v3 = FileHeader(74, 70);
  InfoFields(v3, 56, 2, 1, 16, 3);
  v3.u32(0xF800).u32(0x07E0).u32(0x001F).u32(0);  // red, green, blue, alpha
  v3.u16(0xF81F).u16(0x07E0);
  image = DecodeBitmap(v3.bytes);
  ASSERT_EQ(image.format(), QImage::Format_RGB16);
  EXPECT_EQ(Raw16(image, 0, 0), 0xF81F);
  EXPECT_EQ(Raw16(image, 1, 0), 0x07E0);

  Le v4 = FileHeader(126, 122);
  InfoFields(v4, 108, 2, 1, 16, 3);
  v4.u32(0x001F).u32(0x03E0).u32(0x7C00).u32(0);  // red in the low bits
  ColourSpace(v4);
  v4.u16(0x001F).u16(0x7C01);
  image = DecodeBitmap(v4.bytes);
  ASSERT_EQ(image.format(), QImage::Format_RGB32);
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(8, 0, 255));  // 1 of 31 is 8 of 255
}

TEST(BitmapReader, Os2HeaderOf64BytesStartsWithTheWindowsFields) {
  Le os2 = FileHeader(94, 78);
  InfoFields(os2, 64, 2, 2, 24, 0);
  os2.zeros(24);  // units, recording, rendering, colour encoding and the like
  os2.u8(1).u8(2).u8(3).u8(4).u8(5).u8(6).zeros(2);     // bottom row
  os2.u8(7).u8(8).u8(9).u8(10).u8(11).u8(12).zeros(2);  // top row
  QImage expected(2, 2, QImage::Format_RGB888);
  expected.setPixel(0, 0, qRgb(9, 8, 7));
  expected.setPixel(1, 0, qRgb(12, 11, 10));
  expected.setPixel(0, 1, qRgb(3, 2, 1));
  expected.setPixel(1, 1, qRgb(6, 5, 4));
  const QImage image = DecodeBitmap(os2.bytes);
  EXPECT_EQ(image, expected);
  EXPECT_EQ(image.format(), QImage::Format_RGB888);
  EXPECT_EQ(image.text("BitsPerPixel"), "24");

  // Its compressions are OS/2's own: 3 there is no bit fields.
  QByteArray huffman = os2.bytes;
  SetU32(huffman, 30, 3);
  EXPECT_EQ(ErrorOf([&] { DecodeBitmap(huffman); }), "Bitmap image is not valid");
}

TEST(BitmapReader, LongestHeaderTopDownWithShortColourTable) {
  Le v5 = FileHeader(158, 150);
  InfoFields(v5, 124, 3, -2, 8, 0, 3);
  v5.u32(0x12345678).u32(0x12345678).u32(0x12345678).u32(0x12345678);  // masks, unused without bit fields
  ColourSpace(v5);
  v5.u32(4).u32(0).u32(0).u32(0);  // intent, profile data, profile size, reserved
  v5.bgr0(qRgb(255, 0, 0)).bgr0(qRgb(0, 255, 0)).bgr0(qRgb(0, 0, 255));
  v5.u8(0).u8(1).u8(2).zeros(1);    // top row
  v5.u8(2).u8(200).u8(1).zeros(1);  // index 200 is past the table
  const QImage image = DecodeBitmap(v5.bytes);
  ASSERT_EQ(image.format(), QImage::Format_Indexed8);
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.text("BitsPerPixel"), "8");
  EXPECT_EQ(image.colorTable().mid(0, 3), (QList<QRgb>{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)}));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(1, 0), qRgb(0, 255, 0));
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
  EXPECT_EQ(image.pixel(1, 1), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(2, 1), qRgb(0, 255, 0));
}

TEST(BitmapReader, FourBitsWithShortColourTable) {
  InfoFile file;
  file.width = 3;
  file.bits = 4;
  file.coloursUsed = 2;
  file.colourTable = {qRgb(9, 9, 9), qRgb(200, 100, 50)};
  file.pixels = QByteArray::fromHex("10700000");  // indexes 1, 0, 7
  const QImage image = DecodeBitmap(file.build());
  ASSERT_EQ(image.format(), QImage::Format_Indexed8);
  EXPECT_EQ(image.text("BitsPerPixel"), "4");
  EXPECT_EQ(BitmapFileDepth(image), 4);
  EXPECT_EQ(image.pixel(0, 0), qRgb(200, 100, 50));
  EXPECT_EQ(image.pixel(1, 0), qRgb(9, 9, 9));
  EXPECT_EQ(image.pixelIndex(2, 0), 7);
  EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));
}

TEST(BitmapReader, PixelDataMayStartAfterAGap) {
  InfoFile file;
  file.width = 2;
  file.bits = 8;
  file.coloursUsed = 2;
  file.colourTable = {qRgb(1, 2, 3), qRgb(4, 5, 6)};
  file.gap = 5;
  file.pixels = QByteArray::fromHex("01000000");
  const QByteArray bytes = file.build();
  ASSERT_EQ(static_cast<uint8_t>(bytes[10]), 54 + 8 + 5);
  const QImage image = DecodeBitmap(bytes);
  EXPECT_EQ(image.pixel(0, 0), qRgb(4, 5, 6));
  EXPECT_EQ(image.pixel(1, 0), qRgb(1, 2, 3));
  EXPECT_EQ(image.colorTable().size(), 2);
}
