#pragma once

// The JPEG bytes of the title picture.
extern const unsigned char kTitlePicture[];
extern const unsigned long kTitlePictureSize;
