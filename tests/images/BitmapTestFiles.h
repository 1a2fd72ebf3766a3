// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the picture tests: little-endian byte strings for hand-made
// files, a plain 40-byte-header file whose fields a test can spoil, and the
// text of a thrown PictureError.
#include <QByteArray>
#include <QList>
#include <QRgb>
#include <cstdint>
#include <string>

#include "BitmapFile.h"

// Overwrites a little-endian field of a file in place, to spoil it.
inline void SetU32(QByteArray& bytes, int offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}
inline void SetU16(QByteArray& bytes, int offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

// Appends fields in file order, little-endian.
class Le {
 public:
  Le& u8(unsigned value) {
    bytes.append(static_cast<char>(value & 0xFF));
    return *this;
  }
  Le& u16(unsigned value) { return u8(value).u8(value >> 8); }
  Le& u32(uint32_t value) { return u16(value & 0xFFFF).u16(value >> 16); }
  Le& i32(int32_t value) { return u32(static_cast<uint32_t>(value)); }
  Le& text(const char* characters) {
    bytes.append(characters);
    return *this;
  }
  Le& zeros(int count) {
    bytes.append(count, '\0');
    return *this;
  }
  // A colour table entry: blue, green, red, 0.
  Le& bgr0(QRgb colour) { return u8(qBlue(colour)).u8(qGreen(colour)).u8(qRed(colour)).u8(0); }

  QByteArray bytes;
};

// A file with the 40-byte header. The data offset is worked out from the
// parts unless set; the sizes in the headers are left 0, as readers ignore them.
struct InfoFile {
  const char* signature = "BM";
  int64_t dataOffset = -1;
  uint32_t headerSize = 40;
  int32_t width = 1;
  int32_t height = 1;
  uint16_t planes = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t coloursUsed = 0;
  QList<uint32_t> masks;   // written right after the header
  QList<QRgb> colourTable;
  int gap = 0;             // junk bytes between the colour table and the pixels
  QByteArray pixels;

  QByteArray build() const {
    const int64_t offset = 14 + 40 + 4 * (masks.size() + colourTable.size()) + gap;
    Le file;
    file.text(signature).u32(0).u16(0).u16(0).u32(static_cast<uint32_t>(dataOffset >= 0 ? dataOffset : offset));
    file.u32(headerSize).i32(width).i32(height).u16(planes).u16(bits).u32(compression);
    file.u32(0).u32(0).u32(0).u32(coloursUsed).u32(0);
    for (uint32_t mask : masks) file.u32(mask);
    for (QRgb colour : colourTable) file.bgr0(colour);
    file.bytes.append(gap, '\xEE');
    file.bytes.append(pixels);
    return file.bytes;
  }
};

// What the PictureError thrown by f says, or "" when nothing is thrown.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const PictureError& error) {
    return error.what();
  }
  return "";
}
