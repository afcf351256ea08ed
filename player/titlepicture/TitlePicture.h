#pragma once

// The JPEG bytes of the title picture shown at the end of a movie, and of the About box's picture.
extern const unsigned char kTitlePicture[];
extern const unsigned long kTitlePictureSize;
extern const unsigned char kAboutPicture[];
extern const unsigned long kAboutPictureSize;
