// SPDX-License-Identifier: GPL-3.0-or-later
// Malformed files: each gives its own error text, and hundreds of spoilt
// variants of good files fail cleanly (run under AddressSanitizer to prove
// that nothing is read outside the file).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <algorithm>
#include <random>
#include <utility>
#include <vector>

#include "BitmapFile.h"
#include "BitmapTestFiles.h"

namespace {

const std::string kReadError = "Stream read error";
const std::string kNotValid = "Bitmap image is not valid";
const std::string kTooLarge = "Bitmap image is too large";

std::string DecodeError(const QByteArray& bytes) {
  return ErrorOf([&] { DecodeBitmap(bytes); });
}

// A good 8-bit 5 x 3 file with a full colour table (header fields at the
// usual offsets: 10 data offset, 14 header size, 18 width, 22 height,
// 26 planes, 28 bits, 30 compression, 46 colours used).
InfoFile EightBit() {
  InfoFile file;
  file.width = 5;
  file.height = 3;
  file.bits = 8;
  for (int i = 0; i < 256; ++i) file.colourTable.append(qRgb(i, i / 2, 255 - i));
  file.pixels = QByteArray(8 * 3, '\x07');
  return file;
}

// Good files of several kinds for the spoiling tests.
std::vector<QByteArray> GoodFiles() {
  std::vector<QByteArray> files;
  files.push_back(EightBit().build());

  Le core;  // 4 bits, 3 x 2, core header
  core.text("BM").u32(0).u32(0).u32(14 + 12 + 48).u32(12).u16(3).u16(2).u16(1).u16(4);
  for (int i = 0; i < 16; ++i) core.u8(i).u8(i * 2).u8(i * 3);
  core.u8(0x12).u8(0x30).zeros(2).u8(0xFE).u8(0xD0).zeros(2);
  files.push_back(core.bytes);

  Le v5;  // 32-bit fields, 2 x 2, top-down, 124-byte header
  v5.text("BM").u32(0).u32(0).u32(14 + 124);
  v5.u32(124).i32(2).i32(-2).u16(1).u16(32).u32(3).zeros(20);
  v5.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF).u32(0).zeros(68);
  for (int i = 0; i < 4; ++i) v5.u32(0x00102030u * static_cast<uint32_t>(i + 1));
  files.push_back(v5.bytes);

  InfoFile fields;  // 16-bit fields, masks after the 40-byte header
  fields.width = 3;
  fields.height = 2;
  fields.bits = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.pixels = QByteArray(8 * 2, '\x5A');
  files.push_back(fields.build());

  InfoFile mono;  // 1 bit, 9 x 2
  mono.width = 9;
  mono.height = 2;
  mono.bits = 1;
  mono.colourTable = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
  mono.pixels = QByteArray::fromHex("FF80000055000000");
  files.push_back(mono.build());
  return files;
}

}  // namespace

TEST(BitmapReaderErrors, SignatureAndLength) {
  EXPECT_EQ(DecodeError(QByteArray()), kReadError);
  EXPECT_EQ(DecodeError(EightBit().build().left(13)), kReadError);
  EXPECT_EQ(DecodeError("BM"), kReadError);

  InfoFile file = EightBit();
  file.signature = "MB";
  EXPECT_EQ(DecodeError(file.build()), kNotValid);
  file.signature = "BA";  // an OS/2 bitmap array
  EXPECT_EQ(DecodeError(file.build()), kNotValid);
  EXPECT_EQ(DecodeError(QByteArray("GIF89a") + QByteArray(100, '\0')), kNotValid);
}

TEST(BitmapReaderErrors, HeaderSizes) {
  // Only the core header is shorter than 40 bytes.
  for (uint32_t size : {0u, 11u, 13u, 16u, 39u}) {
    InfoFile file = EightBit();
    file.headerSize = size;
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << size;
  }
  // A longer header pushes the colour table back, here past the start of the pixels.
  for (uint32_t size : {41u, 64u}) {
    InfoFile file = EightBit();
    file.headerSize = size;
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << size;
  }
  // More header than file.
  InfoFile endless = EightBit();
  endless.headerSize = 0xFFFFFFFF;
  EXPECT_EQ(DecodeError(endless.build()), kReadError);
  QByteArray v5 = EightBit().build().left(14 + 100);
  SetU32(v5, 14, 124);
  EXPECT_EQ(DecodeError(v5), kReadError);
}

TEST(BitmapReaderErrors, PlanesAndSides) {
  InfoFile file = EightBit();
  file.planes = 2;
  EXPECT_EQ(DecodeError(file.build()), kNotValid);
  file.planes = 0;
  EXPECT_EQ(DecodeError(file.build()), kNotValid);

  for (auto [width, height] : {std::pair{0, 3}, std::pair{-5, 3}, std::pair{5, 0}, std::pair{INT32_MIN, 3}}) {
    file = EightBit();
    file.width = width;
    file.height = height;
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << width << " x " << height;
  }
}

TEST(BitmapReaderErrors, AbsurdSizesAreRefusedBeforeAllocating) {
  struct Case {
    int32_t width, height;
    uint16_t bits;
  };
  for (const Case& c : {Case{40000, 40000, 24}, Case{30001, 1, 1}, Case{1, 30001, 1}, Case{1, -30001, 1},
                        Case{5, INT32_MIN, 8},
                        Case{65536, 65537, 8},         // width * height is 65536 in 32 bits
                        Case{30000, 30000, 32},        // rows * stride is 3.6e9 bytes
                        Case{20000, 20000, 8},         // 400 MB of data
                        Case{16385, 16385, 4},         // 134 MB of data, 268 MB as a picture
                        Case{0x7FFFFFFF, 0x7FFFFFFF, 32}}) {
    InfoFile file = EightBit();  // the pixel data would be far too short anyway
    file.width = c.width;
    file.height = c.height;
    file.bits = c.bits;
    file.colourTable.resize(c.bits <= 8 ? 1 << c.bits : 0);
    EXPECT_EQ(DecodeError(file.build()), kTooLarge) << c.width << " x " << c.height << " x " << c.bits;
  }
}

TEST(BitmapReaderErrors, UnsupportedCompressionAndDepth) {
  for (uint32_t compression : {1u, 2u, 4u, 5u, 7u, 11u, 0xFFFFFFFFu}) {  // RLE8, RLE4, JPEG, PNG, ...
    InfoFile file = EightBit();
    file.compression = compression;
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << compression;
  }
  // Bit fields only with 16 and 32 bits.
  for (uint16_t bits : {8, 24}) {
    InfoFile file = EightBit();
    file.bits = bits;
    file.compression = 3;
    file.masks = {0xFF0000, 0xFF00, 0xFF};
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << bits;
  }
  for (uint16_t bits : {0, 2, 3, 5, 7, 9, 15, 48, 64, 0xFFFF}) {
    InfoFile file = EightBit();
    file.bits = bits;
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << bits;
  }
}

TEST(BitmapReaderErrors, ColourTable) {
  InfoFile file = EightBit();
  file.coloursUsed = 300;
  EXPECT_EQ(DecodeError(file.build()), kNotValid);
  file.coloursUsed = 0xFFFFFFFF;
  EXPECT_EQ(DecodeError(file.build()), kNotValid);

  InfoFile mono;
  mono.bits = 1;
  mono.coloursUsed = 3;
  mono.colourTable = {0, 0, 0};
  mono.pixels = QByteArray(4, '\0');
  EXPECT_EQ(DecodeError(mono.build()), kNotValid);

  // The file ends inside the colour table.
  EXPECT_EQ(DecodeError(EightBit().build().left(54 + 1000)), kReadError);
}

TEST(BitmapReaderErrors, PixelDataOffsetAndLength) {
  const QByteArray good = EightBit().build();
  ASSERT_NO_THROW(DecodeBitmap(good));
  EXPECT_EQ(DecodeError(good.left(good.size() - 1)), kReadError);  // truncated pixel data
  EXPECT_EQ(DecodeError(good.left(54 + 1024)), kReadError);

  for (uint32_t offset : {0u, 14u, 53u, 54u + 1023u}) {  // inside the headers or the colour table
    InfoFile file = EightBit();
    file.dataOffset = offset;
    EXPECT_EQ(DecodeError(file.build()), kNotValid) << offset;
  }
  for (uint32_t offset : {static_cast<uint32_t>(good.size()) + 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {  // beyond the file
    InfoFile file = EightBit();
    file.dataOffset = offset;
    EXPECT_EQ(DecodeError(file.build()), kReadError) << offset;
  }
  // Starting one byte late leaves the last row a byte short.
  InfoFile late = EightBit();
  late.dataOffset = 54 + 1024 + 1;
  EXPECT_EQ(DecodeError(late.build()), kReadError);

  // Masks that should follow the 40-byte header are missing.
  InfoFile fields;
  fields.bits = 32;
  fields.compression = 3;
  EXPECT_EQ(DecodeError(fields.build()), kReadError);
}

TEST(BitmapReaderErrors, EveryTruncationOfGoodFilesFails) {
  int variants = 0;
  for (const QByteArray& good : GoodFiles()) {
    ASSERT_NO_THROW(DecodeBitmap(good));
    for (int length = 0; length < good.size(); ++length, ++variants)
      ASSERT_EQ(DecodeError(good.left(length)), kReadError) << length << " of " << good.size();
  }
  EXPECT_EQ(variants, 1102 + 82 + 154 + 82 + 70);
}

TEST(BitmapReaderErrors, AbsurdHeaderFieldsFail) {
  struct Field {
    int offset, width;
    std::vector<uint32_t> values;
  };
  const std::vector<Field> fields = {
      {0, 2, {0, 0x4142, 0x424D, 0xFFFF}},                                           // signature
      {10, 4, {0, 1, 13, 53, 1077, 1079, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF}},       // data offset
      {14, 4, {0, 1, 12, 39, 41, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF}},               // header size
      {18, 4, {0, 30001, 65536, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF8000}},    // width
      {22, 4, {0, 4, 30001, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFC, 0xFFFF8AD0}},        // height
      {26, 2, {0, 2, 0x8000, 0xFFFF}},                                               // planes
      {28, 2, {0, 2, 3, 16, 24, 32, 33, 0x8000, 0xFFFF}},                            // bits
      {30, 4, {1, 2, 3, 4, 5, 6, 7, 0x80000000, 0xFFFFFFFF}},                        // compression
      {46, 4, {257, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF}},                   // colours used
  };
  const QByteArray good = EightBit().build();
  for (const Field& field : fields) {
    for (uint32_t value : field.values) {
      QByteArray bad = good;
      field.width == 2 ? SetU16(bad, field.offset, static_cast<uint16_t>(value)) : SetU32(bad, field.offset, value);
      EXPECT_FALSE(DecodeError(bad).empty()) << field.offset << " = " << value;
    }
  }
}

TEST(BitmapReaderErrors, RandomlySpoiltHeadersNeverCrash) {
  // Each variant either decodes or throws PictureError; anything else fails the test.
  std::mt19937 random(20240611);
  int failed = 0, decoded = 0;
  for (const QByteArray& good : GoodFiles()) {
    const int headerEnd = std::min<int>(good.size(), 14 + 124 + 64);
    for (int round = 0; round < 600; ++round) {
      QByteArray bad = good;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i) {
        const int at = static_cast<int>(random() % static_cast<unsigned>(headerEnd));
        const uint32_t kind = random() % 4;
        bad[at] = static_cast<char>(kind == 0 ? 0 : kind == 1 ? 0xFF : kind == 2 ? 0x80 : random() & 0xFF);
      }
      if (random() % 3 == 0) bad.truncate(static_cast<int>(random() % static_cast<unsigned>(bad.size() + 1)));
      try {
        const QImage image = DecodeBitmap(bad);
        EXPECT_FALSE(image.isNull());
        ++decoded;
      } catch (const PictureError&) {
        ++failed;
      }
    }
  }
  EXPECT_GT(failed, 0);
  EXPECT_GT(decoded, 0);
}
