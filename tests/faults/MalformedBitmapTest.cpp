// SPDX-License-Identifier: GPL-3.0-or-later
// Malformed bitmap files. The reader gives each fault its own error text, and
// hundreds of spoilt variants of good files (cut at every part boundary,
// absurd header fields, sizes, colour tables and masks) fail cleanly: through
// the main window each Open and each Compare shows one error box and leaves
// the Plot image and the window surface as they were. Under AddressSanitizer
// this also shows that no malformed header leads the reader outside the
// file's bytes.
#include <QDir>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "BitmapFile.h"
#include "FileDialogs.h"
#include "tests/app/MainFormFixture.h"
#include "tests/faults/FaultHelpers.h"
#include "tests/images/BitmapTestFiles.h"

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
  for (int i = 0; i < 256; ++i) file.colourTable.append(qRgb(i, 255 - i, i / 2));
  file.pixels = QByteArray(8 * 3, '\x05');
  return file;
}

struct Variant {
  std::string name;
  QByteArray bytes;
};

// Good files of every header kind and depth, with the end of each part:
// header, masks, colour table, first pixel row.
struct Good {
  std::string name;
  QByteArray bytes;
  std::vector<int> boundaries;
};

std::vector<Good> GoodFiles() {
  std::vector<Good> files;
  files.push_back({"8 bits", EightBit().build(), {54, 54 + 1024, 54 + 1024 + 8}});
  InfoFile true24;  // 24 bits, 4 x 2
  true24.width = 4;
  true24.height = 2;
  true24.pixels = QByteArray(12 * 2, '\x33');
  files.push_back({"24 bits", true24.build(), {54, 54 + 12}});

  InfoFile fields;  // 16 bits, 5-6-5 masks after the 40-byte header
  fields.width = 3;
  fields.height = 2;
  fields.bits = 16;
  fields.compression = 3;
  fields.masks = {0xF800, 0x07E0, 0x001F};
  fields.pixels = QByteArray(8 * 2, '\x5A');
  files.push_back({"16-bit fields", fields.build(), {54, 66, 66 + 8}});

  InfoFile mono;  // 1 bit, 9 x 2
  mono.width = 9;
  mono.height = 2;
  mono.bits = 1;
  mono.colourTable = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
  mono.pixels = QByteArray::fromHex("FF80000055000000");
  files.push_back({"1 bit", mono.build(), {54, 62, 66}});

  InfoFile four;  // 4 bits, 5 x 2, three colours declared
  four.width = 5;
  four.height = 2;
  four.bits = 4;
  four.coloursUsed = 3;
  four.colourTable = {qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)};
  four.pixels = QByteArray::fromHex("0120100000000000");
  files.push_back({"4 bits, short table", four.build(), {54, 66, 70}});

  Le core;  // OS/2 core header, 4 bits, 3 x 2, three-byte colour table
  core.text("BM").u32(0).u32(0).u32(14 + 12 + 48).u32(12).u16(3).u16(2).u16(1).u16(4);
  for (int i = 0; i < 16; ++i) core.u8(i).u8(i * 2).u8(i * 3);
  core.u8(0x12).u8(0x30).zeros(2).u8(0xFE).u8(0xD0).zeros(2);
  files.push_back({"core header", core.bytes, {26, 74, 78}});

  Le v5;  // 124-byte header, 32-bit fields inside it, top-down, 2 x 2
  v5.text("BM").u32(0).u32(0).u32(14 + 124);
  v5.u32(124).i32(2).i32(-2).u16(1).u16(32).u32(3).zeros(20);
  v5.u32(0x00FF0000).u32(0x0000FF00).u32(0x000000FF).u32(0).zeros(68);
  for (int i = 0; i < 4; ++i) v5.u32(0x00102030u * static_cast<uint32_t>(i + 1));
  files.push_back({"124-byte header", v5.bytes, {54, 66, 138, 146}});
  return files;
}

std::vector<Variant> MalformedFiles() {
  std::vector<Variant> variants;
  const std::vector<Good> goods = GoodFiles();

  // Cut at and around every field and part boundary.
  const std::vector<int> fieldEnds = {0, 1, 2, 6, 10, 13, 14, 15, 17, 18, 22, 26, 28, 30, 34, 38, 42, 46, 50, 53};
  for (const Good& good : goods) {
    std::vector<int> cuts = fieldEnds;
    for (int boundary : good.boundaries) cuts.insert(cuts.end(), {boundary - 1, boundary, boundary + 1});
    cuts.push_back(good.bytes.size() - 1);
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    for (int cut : cuts)
      if (cut >= 0 && cut < good.bytes.size())
        variants.push_back({good.name + " cut to " + std::to_string(cut), good.bytes.left(cut)});
  }

  // Absurd values in the fields of the 8-bit file.
  const QByteArray eight = goods[0].bytes;
  struct Field {
    const char* name;
    int offset, width;
    std::vector<uint32_t> values;
  };
  const std::vector<Field> fields = {
      {"signature", 0, 2, {0, 0x424D, 0x4142, 0x6D62, 0xFFFF}},
      {"data offset", 10, 4, {0, 1, 13, 14, 53, 54, 1077, static_cast<uint32_t>(eight.size()) + 1, 0x7FFFFFFF,
                              0x80000000, 0xFFFFFFFF}},
      {"header size", 14, 4, {0, 1, 11, 12, 13, 39, 41, 64, 100, 125, 0x7FFFFFFF, 0xFFFFFFFF}},
      {"width", 18, 4, {0, 0xFFFFFFFF, 0xFFFFFFFB, 0x80000000, 30001, 65536, 0x7FFFFFFF}},
      {"height", 22, 4, {0, 4, 1000, 30001, 0xFFFF8ACF, 0x80000000, 0x7FFFFFFF, 0xFFFFFFFC}},
      {"planes", 26, 2, {0, 2, 0x8000, 0xFFFF}},
      {"bits", 28, 2, {0, 2, 3, 5, 7, 9, 12, 15, 16, 17, 23, 24, 25, 31, 32, 33, 48, 64, 0x8000, 0xFFFF}},
      {"compression", 30, 4, {1, 2, 3, 4, 5, 6, 7, 11, 0x80000000, 0xFFFFFFFF}},
      {"colours used", 46, 4, {257, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF}},
  };
  for (const Field& field : fields) {
    for (uint32_t value : field.values) {
      QByteArray bad = eight;
      field.width == 2 ? SetU16(bad, field.offset, static_cast<uint16_t>(value)) : SetU32(bad, field.offset, value);
      variants.push_back({std::string(field.name) + " = " + std::to_string(value), bad});
    }
  }

  // Sizes whose pixels would take more than the reader allows.
  struct Size {
    int32_t width, height;
    uint16_t bits;
  };
  for (const Size& s : {Size{40000, 40000, 24}, Size{30000, 30000, 32}, Size{20000, 20000, 8}, Size{16385, 16385, 4},
                        Size{65536, 65537, 8}, Size{0x7FFFFFFF, 0x7FFFFFFF, 32}, Size{30000, -30000, 24}}) {
    InfoFile file;
    file.width = s.width;
    file.height = s.height;
    file.bits = s.bits;
    file.colourTable.resize(s.bits <= 8 ? 1 << s.bits : 0);
    file.pixels = QByteArray(64, '\0');
    variants.push_back({"size " + std::to_string(s.width) + " x " + std::to_string(s.height) + " x " +
                            std::to_string(s.bits), file.build()});
  }

  // Colour tables longer than the depth allows, or cut short by the pixels.
  for (auto [bits, used] : {std::pair{1, 3u}, std::pair{4, 17u}, std::pair{8, 257u}}) {
    InfoFile file;
    file.bits = static_cast<uint16_t>(bits);
    file.coloursUsed = used;
    file.colourTable = QList<QRgb>(static_cast<qsizetype>(used), qRgb(9, 9, 9));
    file.pixels = QByteArray(4, '\0');
    variants.push_back({std::to_string(bits) + " bits with " + std::to_string(used) + " colours", file.build()});
  }
  InfoFile overlapping;  // the pixels start inside the declared colour table
  overlapping.bits = 8;
  overlapping.coloursUsed = 200;
  overlapping.colourTable = QList<QRgb>(100, qRgb(1, 1, 1));
  overlapping.pixels = QByteArray(4, '\0');
  variants.push_back({"pixels inside the colour table", overlapping.build()});

  // Bit fields: wrong depths, masks missing.
  for (auto [bits, compression] : {std::pair{8, 3u}, std::pair{24, 3u}, std::pair{4, 6u}, std::pair{1, 3u}}) {
    InfoFile file;
    file.bits = static_cast<uint16_t>(bits);
    file.compression = compression;
    file.masks = {0xFF0000, 0xFF00, 0xFF};
    file.pixels = QByteArray(4, '\0');
    variants.push_back({"fields with " + std::to_string(bits) + " bits", file.build()});
  }
  for (auto [bits, compression] : {std::pair{32, 3u}, std::pair{16, 3u}, std::pair{32, 6u}}) {
    InfoFile file;
    file.bits = static_cast<uint16_t>(bits);
    file.compression = compression;
    if (compression == 6) file.masks = {0xFF0000, 0xFF00, 0xFF};  // the alpha mask is missing
    variants.push_back({"masks missing, " + std::to_string(bits) + " bits", file.build().left(54 + 12)});
  }

  // The core header with what only the longer headers allow.
  const QByteArray core = goods[5].bytes;
  for (auto [offset, value] : {std::pair{24, 32}, std::pair{24, 16}, std::pair{22, 0}, std::pair{18, 0},
                               std::pair{20, 0}, std::pair{18, 40000}}) {
    QByteArray bad = core;
    SetU16(bad, offset, static_cast<uint16_t>(value));
    variants.push_back({"core field at " + std::to_string(offset) + " = " + std::to_string(value), bad});
  }
  return variants;
}

class MalformedOpen : public MainFormFixture {
 protected:
  void SetUp() override {
    launch();
    MainForm->Spectr1Input->setChecked(false);
    SetFileDialogResponder([this](QFileDialog&) { return answer; });
  }
  void TearDown() override {
    SetFileDialogResponder({});
    MainFormFixture::TearDown();
  }
  QString answer;
};

}  // namespace

TEST(MalformedBitmap, SignatureAndLength) {
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

TEST(MalformedBitmap, HeaderSizes) {
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

TEST(MalformedBitmap, PlanesAndSides) {
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

TEST(MalformedBitmap, AbsurdSizesAreRefusedBeforeAllocating) {
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

TEST(MalformedBitmap, UnsupportedCompressionAndDepth) {
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

TEST(MalformedBitmap, ColourTable) {
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

TEST(MalformedBitmap, PixelDataOffsetAndLength) {
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

TEST(MalformedBitmap, EveryTruncationOfGoodFilesFails) {
  for (const Good& good : GoodFiles()) {
    ASSERT_NO_THROW(DecodeBitmap(good.bytes)) << good.name;
    for (int length = 0; length < good.bytes.size(); ++length)
      ASSERT_EQ(DecodeError(good.bytes.left(length)), kReadError) << good.name << ": " << length;
  }
}

TEST(MalformedBitmap, RandomlySpoiltHeadersNeverCrash) {
  // Each variant either decodes or throws PictureError; anything else fails the test.
  std::mt19937 random(20240611);
  int failed = 0, decoded = 0;
  for (const Good& file : GoodFiles()) {
    const QByteArray& good = file.bytes;
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

TEST_F(MalformedOpen, EveryMalformedFileGivesAnErrorAndChangesNothing) {
  env.audio.signal = [](int, size_t) { return int16_t{40}; };
  atCycle(20 * 30, [] { MainForm->StopButton->click(); });
  MainForm->StartButton->click();
  env.clock.onPause = nullptr;
  // A picture opened first: what is on screen must survive every bad file.
  const QString good = QString::fromStdString(env.directory()) + "/good.bmp";
  WriteBitmapFile(good, MainForm->Plot.PlotImage());
  answer = good;
  MainForm->OpenButton->click();
  ASSERT_TRUE(env.boxes.empty());
  const QImage plot = MainForm->Plot.PlotImage().copy();
  const QImage window = MainForm->Plot.WindowSurface().copy();

  const QSet<QString> errors = {"Stream read error.", "Bitmap image is not valid.", "Bitmap image is too large."};
  QSet<QString> seen;
  const std::vector<Variant> variants = MalformedFiles();
  ASSERT_GE(variants.size(), 200u);
  const QString folder = QString::fromStdString(env.directory()) + "/malformed";
  ASSERT_TRUE(QDir().mkpath(folder));
  for (size_t i = 0; i < variants.size(); ++i) {
    const Variant& variant = variants[i];
    SCOPED_TRACE(variant.name);
    if (ErrorOf([&] { DecodeBitmap(variant.bytes); }).empty()) {
      ADD_FAILURE() << "not malformed";
      continue;
    }
    answer = folder + QString::asprintf("/bad-%03zu.bmp", i);
    ASSERT_TRUE(PutFile(answer, variant.bytes));
    for (QToolButton* command : {MainForm->OpenButton, MainForm->CompButton}) {
      command->click();
      ASSERT_EQ(env.boxes.size(), 1u) << command->objectName().toStdString();
      EXPECT_EQ(env.boxes[0].kind, BoxKind::Error);
      EXPECT_TRUE(errors.contains(env.boxes[0].text)) << env.boxes[0].text.toStdString();
      seen.insert(env.boxes[0].text);
      env.boxes.clear();
      ASSERT_EQ(MainForm->Plot.PlotImage(), plot) << command->objectName().toStdString();
      ASSERT_EQ(MainForm->Plot.WindowSurface(), window) << command->objectName().toStdString();
    }
    EXPECT_EQ(MainForm->SavedMarker(), good);
    EXPECT_EQ(MainForm->StatusBar->PanelText(1), good);
  }
  EXPECT_EQ(seen, errors);
  std::printf("%zu malformed files opened and compared\n", variants.size());
}
