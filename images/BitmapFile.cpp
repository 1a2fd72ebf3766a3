// SPDX-License-Identifier: GPL-3.0-or-later
#include "BitmapFile.h"

#include <QList>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

const char* const kReadError = "Stream read error";
const char* const kNotValid = "Bitmap image is not valid";
const char* const kTooLarge = "Bitmap image is too large";

constexpr int64_t kMaxBytes = int64_t{256} * 1024 * 1024;  // file, pixel data and picture
constexpr int64_t kMaxSide = 30000;
constexpr int64_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr int64_t kInfoHeaderSize = 40;
constexpr uint32_t kMasksInsideSize = 52;  // the shortest header that holds the channel masks
constexpr uint32_t kOs2HeaderSize = 64;

enum Compression : uint32_t { kRgb = 0, kBitFields = 3, kAlphaBitFields = 6 };

using Masks = std::array<uint32_t, 3>;  // red, green, blue
constexpr Masks kMasks555 = {0x7C00, 0x03E0, 0x001F};
constexpr Masks kMasks565 = {0xF800, 0x07E0, 0x001F};
constexpr Masks kMasks888 = {0x00FF0000, 0x0000FF00, 0x000000FF};

[[noreturn]] void Fail(const char* text) { throw PictureError(text); }

// Paths are shown in the system's own form (backslashes on Windows).
[[noreturn]] void FailOpen(const QString& path, const QString& reason) {
  throw PictureError(QStringLiteral("Cannot open file \"%1\". %2").arg(ShownPath(path), reason).toStdString());
}

// Bytes of a file with little-endian fields; a field past the end is a read
// error, so nothing outside the buffer is ever touched.
class FileBytes {
 public:
  explicit FileBytes(const QByteArray& bytes)
      : data_(reinterpret_cast<const uint8_t*>(bytes.constData())), size_(bytes.size()) {}

  int64_t size() const { return size_; }
  void need(int64_t offset, int64_t count) const {
    if (offset < 0 || count < 0 || offset > size_ || count > size_ - offset) Fail(kReadError);
  }
  const uint8_t* at(int64_t offset, int64_t count) const {
    need(offset, count);
    return data_ + offset;
  }
  uint16_t u16(int64_t offset) const {
    const uint8_t* p = at(offset, 2);
    return static_cast<uint16_t>(p[0] | p[1] << 8);
  }
  uint32_t u32(int64_t offset) const {
    const uint8_t* p = at(offset, 4);
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
  }
  int32_t i32(int64_t offset) const {
    const uint32_t value = u32(offset);
    return value <= 0x7FFFFFFFu ? static_cast<int32_t>(value)
                                : static_cast<int32_t>(value - 0x80000000u) + INT32_MIN;
  }

 private:
  const uint8_t* data_;
  int64_t size_;
};

// One colour channel of a bit-field pixel: the bits under the mask, shifted
// down, scaled to the nearest of 0 to 255, so that the full mask gives 255.
class Channel {
 public:
  explicit Channel(uint32_t mask) : mask_(mask) {
    if (mask_ == 0) return;
    while (!(mask_ >> shift_ & 1u)) ++shift_;
    max_ = mask_ >> shift_;
  }
  int scaled(uint32_t pixel) const {
    if (max_ == 0) return 0;
    const uint64_t value = (pixel & mask_) >> shift_;
    return static_cast<int>((value * 255 + max_ / 2) / max_);
  }

 private:
  uint32_t mask_;
  int shift_ = 0;
  uint64_t max_ = 0;
};

int64_t RowStride(int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

uint32_t PixelAt(const uint8_t* row, int64_t x, int bits) {
  switch (bits) {
    case 1: return row[x >> 3] >> (7 - (x & 7)) & 1u;
    case 4: return x & 1 ? row[x >> 1] & 0x0Fu : row[x >> 1] >> 4;
    case 8: return row[x];
    case 16: return uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8;
    case 24: {
      const uint8_t* p = row + 3 * x;
      return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
    }
    default: {
      const uint8_t* p = row + 4 * x;
      return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
    }
  }
}

// The info header's fields that matter here.
struct InfoHeader {
  uint32_t size = 0;
  int64_t width = 0, height = 0;
  bool topDown = false;  // a negative height in the file stores the top row first
  int bits = 0;
  uint32_t compression = kRgb;
  uint32_t coloursUsed = 0;
};

InfoHeader ReadInfoHeader(const FileBytes& in) {
  // The OS/2 core header (12 bytes), or a longer one whose first 40 bytes
  // have the Windows layout: Windows' own (40 to 124 bytes), OS/2 2.x's (64)
  // and any later kind.
  InfoHeader header;
  header.size = in.u32(kFileHeaderSize);
  if (header.size != kCoreHeaderSize && header.size < kInfoHeaderSize) Fail(kNotValid);
  in.need(kFileHeaderSize, header.size);
  const int64_t h = kFileHeaderSize;
  int planes;
  if (header.size == kCoreHeaderSize) {
    header.width = in.u16(h + 4);
    header.height = in.u16(h + 6);
    planes = in.u16(h + 8);
    header.bits = in.u16(h + 10);
  } else {
    header.width = in.i32(h + 4);
    header.height = in.i32(h + 8);
    planes = in.u16(h + 12);
    header.bits = in.u16(h + 14);
    header.compression = in.u32(h + 16);
    header.coloursUsed = in.u32(h + 32);
  }
  if (planes != 1 || header.width <= 0 || header.height == 0) Fail(kNotValid);
  header.topDown = header.height < 0;
  if (header.topDown) header.height = -header.height;
  if (header.width > kMaxSide || header.height > kMaxSide) Fail(kTooLarge);
  const int bits = header.bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) Fail(kNotValid);
  // OS/2 2.x numbers compressions of its own: 3 there is not bit fields.
  const bool bitFields = header.size != kOs2HeaderSize &&
                         (header.compression == kBitFields || header.compression == kAlphaBitFields);
  if (header.compression != kRgb && !(bitFields && (bits == 16 || bits == 32))) Fail(kNotValid);
  return header;
}

// Channel masks: fixed for plain data; with bit fields inside headers of 52
// bytes and more, or right after a shorter header, where they push the colour
// table back.
Masks ReadMasks(const FileBytes& in, const InfoHeader& header, int64_t& tableOffset) {
  if (header.compression == kRgb) return header.bits == 16 ? kMasks555 : kMasks888;
  int64_t offset = kFileHeaderSize + kInfoHeaderSize;
  if (header.size < kMasksInsideSize) {
    const int64_t count = header.compression == kAlphaBitFields ? 16 : 12;
    in.need(tableOffset, count);
    offset = tableOffset;
    tableOffset += count;
  }
  Masks masks;
  for (uint32_t& mask : masks) {
    mask = in.u32(offset);
    if (header.bits == 16) mask &= 0xFFFF;  // bits beyond the pixel never occur
    offset += 4;
  }
  return masks;
}

// 16-bit files keep their depth where Qt has their layout (5-5-5 or 5-6-5);
// other masks would lose colours there and are scaled into 32 bits instead.
QImage::Format PictureFormat(int bits, const Masks& masks) {
  switch (bits) {
    case 1: return QImage::Format_Mono;
    case 4:
    case 8: return QImage::Format_Indexed8;
    case 16:
      if (masks == kMasks565) return QImage::Format_RGB16;
      return masks == kMasks555 ? QImage::Format_RGB555 : QImage::Format_RGB32;
    case 24: return QImage::Format_RGB888;
    default: return QImage::Format_RGB32;
  }
}

// Converts one row of the file into a line of the picture (a Mono line must
// be cleared first) and returns the highest colour index in it, 0 for direct
// colours.
uint32_t ConvertRow(const uint8_t* row, uchar* line, int64_t width, int bits, QImage::Format format,
                    const Masks& masks) {
  uint32_t highestIndex = 0;
  switch (format) {
    case QImage::Format_Mono:
      for (int64_t x = 0; x < width; ++x) {
        if (PixelAt(row, x, 1) == 0) continue;
        line[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
        highestIndex = 1;
      }
      break;
    case QImage::Format_Indexed8:
      for (int64_t x = 0; x < width; ++x) {
        const uint32_t index = PixelAt(row, x, bits);
        line[x] = static_cast<uchar>(index);
        if (index > highestIndex) highestIndex = index;
      }
      break;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555: {
      const uint32_t used = format == QImage::Format_RGB16 ? 0xFFFF : 0x7FFF;  // 5-5-5 leaves the top bit spare
      for (int64_t x = 0; x < width; ++x)
        reinterpret_cast<quint16*>(line)[x] = static_cast<quint16>(PixelAt(row, x, 16) & used);
      break;
    }
    case QImage::Format_RGB888:
      for (int64_t x = 0; x < width; ++x) {
        line[3 * x] = row[3 * x + 2];
        line[3 * x + 1] = row[3 * x + 1];
        line[3 * x + 2] = row[3 * x];
      }
      break;
    default:
      if (bits == 32 && masks == kMasks888) {
        // Whole bytes per channel: each pixel is its own colour with the top byte set.
        for (int64_t x = 0; x < width; ++x) {
          uint32_t pixel;
          std::memcpy(&pixel, row + 4 * x, 4);
          reinterpret_cast<QRgb*>(line)[x] = 0xFF000000u | (qFromLittleEndian(pixel) & 0x00FFFFFFu);
        }
        break;
      }
      const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
      for (int64_t x = 0; x < width; ++x) {
        const uint32_t pixel = PixelAt(row, x, bits);
        reinterpret_cast<QRgb*>(line)[x] = qRgb(red.scaled(pixel), green.scaled(pixel), blue.scaled(pixel));
      }
      break;
  }
  return highestIndex;
}

// The picture's colour table: the file's entries (blue, green, red and, but
// for the core header, a spare byte), then black for indexes past them.
QList<QRgb> ColourTable(const uint8_t* table, int64_t colours, int64_t entrySize, uint32_t highestIndex) {
  QList<QRgb> colourTable;
  for (int64_t i = 0; i < colours; ++i) {
    const uint8_t* entry = table + i * entrySize;
    colourTable.append(qRgb(entry[2], entry[1], entry[0]));
  }
  while (colourTable.size() <= static_cast<qsizetype>(highestIndex)) colourTable.append(qRgb(0, 0, 0));
  return colourTable;
}

bool FitsFourBits(const QImage& image) {
  if (image.format() != QImage::Format_Indexed8 || image.text(kBitsPerPixelKey) != QLatin1String("4") ||
      image.colorCount() > 16)
    return false;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* line = image.constScanLine(y);
    for (int x = 0; x < image.width(); ++x)
      if (line[x] > 15) return false;  // would not fit: keep 8 bits rather than lose pixels
  }
  return true;
}

void Put16(uchar* at, uint32_t value) {
  at[0] = static_cast<uchar>(value & 0xFF);
  at[1] = static_cast<uchar>(value >> 8 & 0xFF);
}

void Put32(uchar* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

}  // namespace

QImage DecodeBitmap(const QByteArray& bytes) {
  const FileBytes in(bytes);
  if (in.size() < kFileHeaderSize) Fail(kReadError);
  if (bytes[0] != 'B' || bytes[1] != 'M') Fail(kNotValid);
  const uint32_t dataOffset = in.u32(10);
  const InfoHeader header = ReadInfoHeader(in);
  const int64_t width = header.width, height = header.height;
  const int bits = header.bits;
  int64_t tableOffset = kFileHeaderSize + header.size;  // the colour table follows the header, however long
  const Masks masks = ReadMasks(in, header, tableOffset);

  // Colour table: every entry the depth allows unless fewer are declared.
  const int64_t possibleColours = int64_t{1} << bits;
  if (header.coloursUsed > possibleColours) Fail(kNotValid);
  const int64_t colours = bits > 8 ? 0 : header.coloursUsed != 0 ? header.coloursUsed : possibleColours;
  const int64_t entrySize = header.size == kCoreHeaderSize ? 3 : 4;

  // Sizes, in 64 bits, before anything is allocated.
  const int64_t stride = RowStride(width, bits);
  if (stride * height > kMaxBytes) Fail(kTooLarge);
  const QImage::Format format = PictureFormat(bits, masks);
  if (RowStride(width, QImage::toPixelFormat(format).bitsPerPixel()) * height > kMaxBytes) Fail(kTooLarge);

  const uint8_t* table = in.at(tableOffset, colours * entrySize);
  if (dataOffset < tableOffset + colours * entrySize) Fail(kNotValid);
  const uint8_t* pixels = in.at(dataOffset, stride * height);

  QImage image(static_cast<int>(width), static_cast<int>(height), format);
  if (image.isNull()) Fail(kTooLarge);
  if (format == QImage::Format_Mono) std::memset(image.bits(), 0, static_cast<size_t>(image.sizeInBytes()));
  uint32_t highestIndex = 0;
  for (int64_t y = 0; y < height; ++y) {
    const uint8_t* row = pixels + (header.topDown ? y : height - 1 - y) * stride;
    uchar* line = image.scanLine(static_cast<int>(y));
    highestIndex = std::max(highestIndex, ConvertRow(row, line, width, bits, format, masks));
  }
  if (bits <= 8) image.setColorTable(ColourTable(table, colours, entrySize, highestIndex));
  image.setText(kBitsPerPixelKey, QString::number(bits));
  return image;
}

int BitmapFileDepth(const QImage& image) {
  if (image.isNull()) return 0;
  switch (image.format()) {
    case QImage::Format_RGB888: return 24;
    case QImage::Format_RGB555:
    case QImage::Format_RGB16: return 16;
    case QImage::Format_Indexed8: return FitsFourBits(image) ? 4 : 8;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return 1;
    default: return 32;  // RGB32 and ARGB32 as they are, anything else converted
  }
}

QByteArray EncodeBitmap(const QImage& source) {
  if (source.isNull()) Fail(kNotValid);
  const int bits = BitmapFileDepth(source);
  QImage image = source;
  if (bits == 32 && image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
    image = source.convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) Fail(kTooLarge);
  }
  const bool bitFields = image.format() == QImage::Format_RGB16;
  const int64_t width = image.width(), height = image.height();
  const int64_t colours = bits <= 8 ? int64_t{1} << bits : 0;
  const int64_t dataOffset = kFileHeaderSize + kInfoHeaderSize + (bitFields ? 12 : 0) + colours * 4;
  const int64_t stride = RowStride(width, bits);
  const int64_t fileSize = dataOffset + stride * height;
  if (fileSize > std::numeric_limits<uint32_t>::max()) Fail(kTooLarge);

  // Every byte is written below: the headers and table are cleared first,
  // each row is cleared or filled whole.
  QByteArray out(static_cast<qsizetype>(fileSize), Qt::Uninitialized);
  uchar* file = reinterpret_cast<uchar*>(out.data());
  std::memset(file, 0, static_cast<size_t>(dataOffset));
  file[0] = 'B';
  file[1] = 'M';
  Put32(file + 2, static_cast<uint32_t>(fileSize));
  Put32(file + 10, static_cast<uint32_t>(dataOffset));
  uchar* header = file + kFileHeaderSize;
  Put32(header, kInfoHeaderSize);
  Put32(header + 4, static_cast<uint32_t>(width));
  Put32(header + 8, static_cast<uint32_t>(height));  // positive: bottom row first
  Put16(header + 12, 1);
  Put16(header + 14, static_cast<uint32_t>(bits));
  Put32(header + 16, bitFields ? kBitFields : kRgb);
  Put32(header + 20, static_cast<uint32_t>(stride * height));
  if (bitFields) {
    Put32(header + 40, 0xF800);
    Put32(header + 44, 0x07E0);
    Put32(header + 48, 0x001F);
  }
  const QList<QRgb> colourTable = image.colorTable();
  for (int64_t i = 0; i < colours && i < colourTable.size(); ++i) {
    const QRgb colour = colourTable[static_cast<qsizetype>(i)];
    uchar* entry = header + kInfoHeaderSize + i * 4;
    entry[0] = static_cast<uchar>(qBlue(colour));
    entry[1] = static_cast<uchar>(qGreen(colour));
    entry[2] = static_cast<uchar>(qRed(colour));
  }  // the rest stays black

  uchar* data = file + dataOffset;
  for (int64_t y = 0; y < height; ++y) {
    uchar* row = data + (height - 1 - y) * stride;
    const uchar* line = image.constScanLine(static_cast<int>(y));
    if (bits == 32) {
      // A pixel with its top byte cleared is the file's blue, green, red, 0
      // in little-endian order; 32-bit rows have no padding.
      for (int64_t x = 0; x < width; ++x) {
        const uint32_t pixel = qToLittleEndian(reinterpret_cast<const QRgb*>(line)[x] & 0x00FFFFFFu);
        std::memcpy(row + 4 * x, &pixel, 4);
      }
      continue;
    }
    std::memset(row, 0, static_cast<size_t>(stride));
    for (int64_t x = 0; x < width; ++x) {
      switch (bits) {
        case 1:
          if (image.pixelIndex(static_cast<int>(x), static_cast<int>(y)) != 0)
            row[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
          break;
        case 4: row[x >> 1] |= static_cast<uchar>(x & 1 ? line[x] : line[x] << 4); break;
        case 8: row[x] = line[x]; break;
        case 16: {
          quint16 pixel;
          std::memcpy(&pixel, line + 2 * x, 2);
          if (!bitFields) pixel &= 0x7FFF;
          row[2 * x] = static_cast<uchar>(pixel & 0xFF);
          row[2 * x + 1] = static_cast<uchar>(pixel >> 8);
          break;
        }
        case 24:
          row[3 * x] = line[3 * x + 2];
          row[3 * x + 1] = line[3 * x + 1];
          row[3 * x + 2] = line[3 * x];
          break;
        default: {
          const QRgb pixel = reinterpret_cast<const QRgb*>(line)[x];
          row[4 * x] = static_cast<uchar>(qBlue(pixel));
          row[4 * x + 1] = static_cast<uchar>(qGreen(pixel));
          row[4 * x + 2] = static_cast<uchar>(qRed(pixel));  // the fourth byte stays 0
          break;
        }
      }
    }
  }
  return out;
}

QImage ReadBitmapFile(const QString& path) {
  const FileContent file = ReadWholeFile(path, kMaxBytes);
  switch (file.result) {
    case ReadResult::Read:
      return DecodeBitmap(file.bytes);
    case ReadResult::Missing:
    case ReadResult::CannotOpen:
      FailOpen(path, file.reason);
    case ReadResult::TooLarge:
      Fail(kTooLarge);
    case ReadResult::NotAFile:  // a pipe reads as nothing
    case ReadResult::ReadError:
      break;
  }
  Fail(kReadError);
}

void WriteBitmapFile(const QString& path, const QImage& image) { SaveUserFile(path, EncodeBitmap(image)); }

void SaveUserFile(const QString& path, const QByteArray& bytes) {
  WriteWholeFile(path, bytes, SaveMode::AtomicOrInPlace);
}
