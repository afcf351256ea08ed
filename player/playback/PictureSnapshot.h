// A composed picture kept small: its memory as stretches of one repeated
// pixel and stretches of pixels as they are. Desktop pictures are mostly flat
// areas and keep a small part of their size; a picture of noise keeps its
// own size and a little more.
#pragma once

#include <cstdint>
#include <vector>

#include "Gdi.h"

std::vector<uint8_t> EncodePicture(const gdi::Bitmap& picture);

// Writes the encoded memory back into a picture of the same size and format;
// false, with the picture left in part, when the code doesn't fit it.
bool DecodePicture(const std::vector<uint8_t>& code, gdi::Bitmap& picture);
