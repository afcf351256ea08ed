// The image a tick presents, laid out row for row like the picture it shows
// and kept in the same kind of memory, so that copying the changed chunks
// across is a plain copy at the same offsets.
#pragma once

#include <QImage>

#include <array>
#include <cstddef>

#include "Gdi.h"

QImage NewPresentedImage(const gdi::Bitmap& picture, QImage::Format format);

// The pixels of an 8-bit picture in a byte range of its memory, looked up in
// the colours and put into a 32-bit image of the same size (row padding skipped).
void LookUpColours(const gdi::Bitmap& picture, const std::array<QRgb, 256>& colours, QImage& image, size_t begin,
                   size_t end);
