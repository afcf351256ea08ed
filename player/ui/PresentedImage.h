// The image a tick presents, laid out row for row like the picture it shows
// and kept in the same kind of memory, so that copying the changed chunks
// across is a plain copy at the same offsets.
#pragma once

#include <QImage>

#include "Gdi.h"

QImage NewPresentedImage(const gdi::Bitmap& picture, QImage::Format format);
