// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a bitmap file. The reader either refuses them with a
// PictureError or gives a picture; a picture written and read again must come
// back with the same size, format, save depth and pixels, and the file
// written holds no stray bytes.
#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BitmapFile.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "bitmap round trip: %s\n", what);
  std::abort();
}

bool IsIndexed(const QImage& image) {
  return image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono;
}

bool SamePixels(const QImage& a, const QImage& b) {
  if (IsIndexed(a)) {
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        if (a.pixelIndex(x, y) != b.pixelIndex(x, y) || a.pixel(x, y) != b.pixel(x, y)) return false;
    return true;
  }
  // Direct colours: the bytes of each row without its padding.
  const size_t rowBytes = (static_cast<size_t>(a.width()) * a.depth() + 7) / 8;
  for (int y = 0; y < a.height(); ++y)
    if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0) return false;
  return true;
}

uint32_t U32(const QByteArray& bytes, int offset) {
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData()) + offset;
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

// Bytes the format leaves unused must be written as zeros, never left to
// whatever the buffer held: the reserved header fields, the fourth byte of
// each colour-table entry and 32-bit pixel, and the padding of each row.
bool UnusedBytesAreZero(const QByteArray& file) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(file.constData());
  if (U32(file, 6) != 0) return false;
  const uint32_t dataOffset = U32(file, 10);
  const int64_t width = U32(file, 18), height = U32(file, 22), bits = bytes[28] | bytes[29] << 8;
  const int64_t tableStart = 14 + U32(file, 14) + (U32(file, 30) == 3 ? 12 : 0);
  for (int64_t entry = tableStart + 3; entry < dataOffset; entry += 4)
    if (bytes[entry] != 0) return false;
  const int64_t stride = (width * bits + 31) / 32 * 4, used = (width * bits + 7) / 8;
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* row = bytes + dataOffset + y * stride;
    for (int64_t i = used; i < stride; ++i)
      if (row[i] != 0) return false;
    if (bits == 32)
      for (int64_t x = 0; x < width; ++x)
        if (row[4 * x + 3] != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // No copy: a read past the input's end is caught by AddressSanitizer.
  const QByteArray bytes =
      QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QImage first;
  try {
    first = DecodeBitmap(bytes);
  } catch (const PictureError&) {
    return 0;
  }
  if (first.isNull()) Broken("an accepted file gives a null picture");

  QImage second;
  try {
    const QByteArray file = EncodeBitmap(first);
    if (!UnusedBytesAreZero(file)) Broken("unused bytes of the file are not zero");
    second = DecodeBitmap(file);
  } catch (const PictureError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    Broken("a decoded picture cannot be written and read back");
  }
  if (second.size() != first.size() || second.format() != first.format()) Broken("size or format changed");
  // The file written has the depth a save gives the picture, which is the
  // file's own but for 16-bit files decoded into 32 bits.
  if (second.text(kBitsPerPixelKey) != QString::number(BitmapFileDepth(first)) ||
      BitmapFileDepth(second) != BitmapFileDepth(first))
    Broken("depth changed");
  if (!SamePixels(first, second)) Broken("pixels changed");
  return 0;
}
