#include "FrameRenderer.h"

#include <string>

#include "Exception.h"
#include "PixelFormat.h"

namespace {

void ToRgb(const TMoviePlayback& playback, std::vector<uint8_t>& rgb) {
  const gdi::Bitmap& picture = *playback.ShownPicture();
  const int w = picture.Width(), h = picture.Height();
  rgb.resize(static_cast<size_t>(w) * h * 3);
  uint8_t* out = rgb.data();
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = picture.Row(y);
    if (picture.BitsPerPixel() == 8) {
      for (int x = 0; x < w; ++x, out += 3) {
        const gdi::RGBQuad& c = playback.ColorTable[row[x]];
        out[0] = c.rgbRed;
        out[1] = c.rgbGreen;
        out[2] = c.rgbBlue;
      }
    } else {
      for (int x = 0; x < w; ++x, out += 3) {
        out[0] = row[x * 4 + 2];
        out[1] = row[x * 4 + 1];
        out[2] = row[x * 4];
      }
    }
  }
}

}  // namespace

int ConversionRate(const SegInfo& segment) { return segment.FrameRate == 0 ? 10 : segment.FrameRate; }

void RenderFrames(TMoviePlayback& playback, const TRenderOptions& options,
                  const std::function<void(const TRenderedFrame&)>& onFrame) {
  std::vector<uint8_t> rgb;
  for (size_t s = 0; s < playback.SegmentList.size(); ++s) {
    if (options.segment && *options.segment != static_cast<int>(s)) continue;
    SegInfo& segment = *playback.SegmentList[s];
    const std::string where = "segment " + std::to_string(s + 1) + ": ";
    if (!PixelFormatFor(segment.BitsPerPixel))
      throw platform::Exception(where + "unsupported colour depth of " + std::to_string(segment.BitsPerPixel) +
                                " bits per pixel");
    if (!options.cursor) segment.CursorList->Clear();
    playback.CurSegment = static_cast<int32_t>(s);
    try {
      if (playback.SetCurSegment() != result::AllRight || !playback.ShownPicture())
        throw platform::Exception("picture of " + std::to_string(segment.Width) + " x " +
                                  std::to_string(segment.Height) + " pixels can't be made");
    } catch (const platform::Exception& e) {
      throw platform::Exception(where + e.what());
    }
    for (int f = 0; f < segment.FrameCount; ++f) {
      playback.ComposePicture();
      ToRgb(playback, rgb);
      onFrame({static_cast<int>(s), f, playback.PictureWidth, playback.PictureHeight, &rgb});
      if (playback.NextFrame() != result::AllRight) break;
    }
  }
}
