// SPDX-License-Identifier: GPL-3.0-or-later
// lmx-icon-png: renders an SVG picture into a square PNG of the given size,
// for the bitmap icons that desktops want beside the scalable one.
//
//   lmx-icon-png in.svg 48 out.png
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: lmx-icon-png IN.svg SIZE OUT.png\n", stderr);
    return 2;
  }
  const int size = std::atoi(argv[2]);
  if (size < 1 || size > 4096) {
    std::fprintf(stderr, "lmx-icon-png: bad size %s\n", argv[2]);
    return 2;
  }
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "lmx-icon-png: cannot read %s\n", argv[1]);
    return 1;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
  }
  if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "lmx-icon-png: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
