#include "FrameRenderer.h"

#include <algorithm>
#include <climits>
#include <string>

#include "Exception.h"
#include "PixelFormat.h"

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

int ConversionRate(const SegInfo& segment) { return KnownFrameRate(segment.FrameRate); }

std::vector<TSegmentTake> FramesTaken(const TMoviePlayback& playback, const TRenderOptions& options) {
  std::vector<TSegmentTake> takes(playback.SegmentList.size());
  int64_t base = 0;  // frames of the segments before
  for (size_t s = 0; s < takes.size(); ++s) {
    const int64_t count = playback.SegmentList[s]->FrameCount;
    if (!options.segment || *options.segment == static_cast<int>(s)) {
      const int64_t begin = std::max(base, options.first);
      const int64_t end = std::min(base + count - 1, options.last);
      takes[s].count = std::max<int64_t>(0, end - begin + 1);
      takes[s].first = static_cast<int32_t>(std::clamp<int64_t>(options.first - base, 0, INT32_MAX));
    }
    base += count;
  }
  return takes;
}

void ComposeAt(TMoviePlayback& playback, const TRenderOptions& options, size_t segment, int32_t frame) {
  SegInfo& info = *playback.SegmentList[segment];
  const std::string where = "segment " + std::to_string(segment + 1) + ": ";
  if (!PixelFormatFor(info.BitsPerPixel))
    throw platform::Exception(where + "unsupported colour depth of " + std::to_string(info.BitsPerPixel) +
                              " bits per pixel");
  playback.DrawsCursor = options.cursor;
  try {
    if (playback.SeekFrame(static_cast<int32_t>(segment), frame) != result::AllRight || !playback.ShownPicture())
      throw platform::Exception("picture of " + std::to_string(info.Width) + " x " + std::to_string(info.Height) +
                                " pixels can't be made");
  } catch (const platform::Exception& e) { throw platform::Exception(where + e.what()); }
}

void RenderFrames(TMoviePlayback& playback, const TRenderOptions& options,
                  const std::function<void(const TRenderedFrame&)>& onFrame) {
  std::vector<uint8_t> rgb;
  const std::vector<TSegmentTake> takes = FramesTaken(playback, options);
  for (size_t s = 0; s < takes.size(); ++s) {
    const int64_t taken = takes[s].count;
    if (taken > 0) {
      // The first frame taken is put in place at once, the rest composed on from it.
      const int32_t first = takes[s].first;
      ComposeAt(playback, options, s, first);
      for (int32_t f = first; f < first + taken; ++f) {
        if (f > first) {
          if (playback.NextFrame() != result::AllRight) break;
          playback.ComposePicture();
        }
        ToRgb(playback, rgb);
        onFrame({static_cast<int>(s), f, playback.PictureWidth, playback.PictureHeight, &rgb});
      }
    }
  }
}
