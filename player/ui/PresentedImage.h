// The image a tick presents, laid out row for row like the picture it shows
// and kept in the same kind of memory, so that copying the changed chunks
// across is a plain copy at the same offsets.
#pragma once

#include <QImage>

#include <array>
#include <cstddef>

#include "Gdi.h"

QImage NewPresentedImage(const gdi::Bitmap& picture, QImage::Format format);

// The pixels begin to end (exclusive) of a row of an 8-bit picture, looked up
// in the colours and put at the same place of a 32-bit image of the same size
// (the row's padding skipped), whose bits and bytes per line are given.
void LookUpColours(const gdi::Bitmap& picture, size_t row, size_t begin, size_t end,
                   const std::array<QRgb, 256>& colours, uint8_t* imageBits, size_t imageLine);
