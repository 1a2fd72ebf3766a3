// SPDX-License-Identifier: GPL-3.0-or-later
// lmx-icon-png: renders an SVG picture into a square PNG of the given size,
// for the bitmap icons that desktops want beside the scalable one and for the
// Windows build, whose Qt has no SVG support; or into a Windows icon file
// (.ico) holding one PNG picture for each of several sizes.
//
//   lmx-icon-png in.svg 48 out.png
//   lmx-icon-png in.svg 16,32,48,256 out.ico
#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

QByteArray RenderPng(QSvgRenderer& renderer, int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

// An icon file may hold PNG pictures: a 6-byte header (0, type 1, count),
// one 16-byte entry per picture (width and height, 0 meaning 256; no palette;
// 1 plane; 32 bits; the size and the place of its data), then the data.
QByteArray IconFile(const std::vector<std::pair<int, QByteArray>>& pictures) {
  QByteArray ico;
  QDataStream out(&ico, QIODevice::WriteOnly);
  out.setByteOrder(QDataStream::LittleEndian);
  const auto count = static_cast<quint16>(pictures.size());
  out << quint16(0) << quint16(1) << count;
  quint32 offset = 6 + 16 * count;
  for (const auto& [size, png] : pictures) {
    const auto side = static_cast<quint8>(size >= 256 ? 0 : size);
    out << side << side << quint8(0) << quint8(0) << quint16(1) << quint16(32) << quint32(png.size()) << offset;
    offset += static_cast<quint32>(png.size());
  }
  for (const auto& picture : pictures) out.writeRawData(picture.second.constData(), static_cast<int>(picture.second.size()));
  return ico;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: lmx-icon-png IN.svg SIZE OUT.png\n"
               "       lmx-icon-png IN.svg SIZE,SIZE,... OUT.ico\n",
               stderr);
    return 2;
  }
  const QString output = QString::fromLocal8Bit(argv[3]);
  const bool ico = output.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive);
  std::vector<int> sizes;
  for (const QString& text : QString::fromLocal8Bit(argv[2]).split(QLatin1Char(','))) {
    bool ok = false;
    const int size = text.toInt(&ok);
    if (!ok || size < 1 || size > (ico ? 256 : 4096)) {
      std::fprintf(stderr, "lmx-icon-png: bad size %s\n", argv[2]);
      return 2;
    }
    sizes.push_back(size);
  }
  if (!ico && sizes.size() != 1) {
    std::fputs("lmx-icon-png: a PNG picture has one size\n", stderr);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "lmx-icon-png: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<std::pair<int, QByteArray>> pictures;
  for (int size : sizes) pictures.emplace_back(size, RenderPng(renderer, size));
  QFile file(output);
  const QByteArray data = ico ? IconFile(pictures) : pictures.front().second;
  if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush()) {
    std::fprintf(stderr, "lmx-icon-png: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
