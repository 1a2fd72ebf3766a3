// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Spectrum pictures as Windows bitmap (.bmp) files. Reading and writing are
// done here rather than by Qt's image plug-ins, so the layout written, the
// headers accepted and the error texts are the same everywhere.
#include <QByteArray>
#include <QImage>
#include <QString>

#include "WholeFile.h"

// An error reading or writing a picture file, or writing another file the
// program saves; what() is the text shown to the user (UTF-8).
using PictureError = FileError;

// Text key of a decoded picture holding the file's bits per pixel. An
// Indexed8 picture with "4" here (and at most 16 colours) is saved at 4 bits.
inline constexpr char kBitsPerPixelKey[] = "BitsPerPixel";

// Decodes a whole bitmap file. The picture keeps the file's depth:
// 32 bits -> RGB32, 24 -> RGB888, 16 -> RGB16 (5-6-5 masks) or RGB555
// (5-5-5), 8 and 4 -> Indexed8, 1 -> Mono; only 16-bit files with other masks
// become RGB32, each channel scaled exactly. Alpha is ignored.
QImage DecodeBitmap(const QByteArray& bytes);

// The bytes of a bitmap file holding the picture at BitmapFileDepth(image).
// Throws for a null picture.
QByteArray EncodeBitmap(const QImage& image);

// Reads and decodes the file; files over 256 MiB are refused unread.
QImage ReadBitmapFile(const QString& path);

// Saves through a temporary file in the same folder that then replaces the
// target, so a failed save leaves an existing file as it was; in a folder
// that takes no new files an existing file is overwritten in place. A
// symbolic link stays a link: the file it points to is replaced.
void WriteBitmapFile(const QString& path, const QImage& image);

// Saves a file the user chose (a picture, a data list) in that way.
void SaveUserFile(const QString& path, const QByteArray& bytes);

// The bits per pixel a save will write (1, 4, 8, 16, 24 or 32; 0 for a null
// picture).
int BitmapFileDepth(const QImage& image);
