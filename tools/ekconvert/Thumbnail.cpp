#include "Thumbnail.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <memory>

#include "Exception.h"
#include "FrameRecords.h"
#include "FrameRenderer.h"
#include "MovieBytes.h"
#include "MovieDamaged.h"
#include "MoviePlayback.h"
#include "MovieReader.h"
#include "MovieRescue.h"
#include "PixelFormat.h"
#include "PngWriter.h"

namespace {

// The first frame with content among the whole records of `bytes`, and where
// its record ends; none when there is none in them.
struct TFound {
  int32_t frame;
  int64_t end;
};
std::optional<TFound> FirstContent(const uint8_t* bytes, int64_t available, int32_t frames,
                                   const TPixelFormat& format) {
  int64_t offset = 0;
  for (int32_t f = 0; f < frames && offset + kFrameRecordHeaderBytes <= available; ++f) {
    // Past the chain's end every frame is empty.
    const int64_t length = RecordLength(bytes, offset, available);
    if (length == 0) return std::nullopt;
    if (ChangesPicture(bytes + offset, length, format)) return TFound{f, offset + length};
    offset += length;
  }
  return std::nullopt;
}

enum class TLook { NeedMore, Found, Damaged };

// Reads segment after segment of the movie's beginning until a frame with
// content is found; the playback then holds that frame's segment with its
// frames up to it. A segment without content is passed over.
TLook Look(const std::vector<uint8_t>& bytes, bool complete, TMoviePlayback& playback, std::string& damage,
           int32_t& segment, int32_t& frame) {
  playback.FreeSegments();
  platform::TBorrowedMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
  try {
    const size_t count = ReadSegmentEntries(stream).size();
    for (size_t i = 0; i < count; ++i) {
      const int number = static_cast<int>(i) + 1;
      ReadSegmentHead(stream, playback.SegmentList, number);
      SegInfo& info = *playback.SegmentList.back();
      const auto format = PixelFormatFor(info.BitsPerPixel);
      const int64_t framesAt = stream.Position();
      const int64_t available = std::min<int64_t>(info.SegStreamSize, stream.Size() - framesAt);
      const uint8_t* frames = bytes.data() + framesAt;
      if (format && info.BitsPerPixel != 8 && available >= 0 && info.SegStreamSize <= SegInfo::kLongestPlayableFrames) {
        // Only the frames up to the first with content are needed.
        if (const auto found = FirstContent(frames, available, info.FrameCount, *format)) {
          ReadSegmentFramesBeginning(stream, info, found->end);
          segment = static_cast<int32_t>(i);
          frame = found->frame;
          return TLook::Found;
        }
      }
      // An 8-bit segment's colours follow its frames: the whole block is read.
      ReadSegmentFrames(stream, info, number);
      if (format && info.BitsPerPixel == 8) {
        if (const auto found =
                FirstContent(info.SegStream->Memory(), info.SegStream->Size(), info.FrameCount, *format)) {
          segment = static_cast<int32_t>(i);
          frame = found->frame;
          return TLook::Found;
        }
      }
    }
  } catch (const EMovieDamaged& e) {
    if (!complete) return TLook::NeedMore;
    damage = e.what();
    return TLook::Damaged;
  }
  // All black: the first frame, with its cursor.
  for (size_t i = 0; i < playback.SegmentList.size(); ++i) {
    if (playback.SegmentList[i]->FrameCount > 0 && PixelFormatFor(playback.SegmentList[i]->BitsPerPixel)) {
      segment = static_cast<int32_t>(i);
      frame = 0;
      return TLook::Found;
    }
  }
  damage = "the movie has no frames";
  return TLook::Damaged;
}

// Straight from the composed picture, so that a large one is never copied:
// 32-bit pictures hold blue, green, red and a spare byte; 8-bit ones index
// the colour table, whose entries are laid out the same way.
std::vector<uint8_t> ScaleDown(const TMoviePlayback& playback, int toWidth, int toHeight) {
  const gdi::Bitmap& picture = *playback.ShownPicture();
  const bool indexed = picture.BitsPerPixel() == 8;
  std::unique_ptr<SwsContext, decltype(&sws_freeContext)> scale(
      sws_getContext(picture.Width(), picture.Height(), indexed ? AV_PIX_FMT_PAL8 : AV_PIX_FMT_BGR0, toWidth, toHeight,
                     AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr),
      sws_freeContext);
  if (!scale) throw platform::Exception("can't scale the picture");
  std::vector<uint8_t> scaled(static_cast<size_t>(toWidth) * toHeight * 3);
  const uint8_t* from[4] = {picture.Bits(),
                            indexed ? reinterpret_cast<const uint8_t*>(playback.ColorTable.data()) : nullptr, nullptr,
                            nullptr};
  const int fromStride[4] = {static_cast<int>(picture.Stride()), 0, 0, 0};
  uint8_t* to[4] = {scaled.data(), nullptr, nullptr, nullptr};
  const int toStride[4] = {toWidth * 3, 0, 0, 0};
  sws_scale(scale.get(), from, fromStride, 0, picture.Height(), to, toStride);
  return scaled;
}

// Every movie that can be played fits, a picture of 8K UHD included, and
// what a thumbnail holds stays within a few hundred megabytes.
constexpr int64_t kMovieBytesRead = int64_t{64} << 20;
constexpr int64_t kLargestPicture = int64_t{1} << 25;

}  // namespace

void WriteThumbnail(const std::string& moviePath, const std::string& pngPath, int size, bool salvage) {
  TMoviePlayback playback;
  if (playback.AllocFrameBuffer(TMoviePlayback::FrameBufferSize) != result::AllRight)
    throw platform::Exception("no memory for the frame buffer");
  TLook state = TLook::NeedMore;
  std::string damage;
  int32_t segment = 0, frame = 0;
  if (salvage) {
    TSalvagedMovie salvaged = SalvageMovieFile(moviePath, kMovieBytesRead);
    if (salvaged.bytes.empty())
      throw platform::Exception(salvaged.failure.empty() ? "can't read the movie file" : salvaged.failure);
    const TMovieRescue rescue = RescueMovie(std::move(salvaged.bytes), salvaged.lost);
    state = Look(rescue.Movie, true, playback, damage, segment, frame);
  } else {
    const auto enough = [&](const std::vector<uint8_t>& bytes, bool complete) {
      state = Look(bytes, complete, playback, damage, segment, frame);
      return state != TLook::NeedMore;
    };
    const TPrefixReading reading = ReadMoviePrefix(moviePath, kMovieBytesRead, enough);
    if (reading.capped)
      throw platform::Exception("the movie's first picture lies beyond its first " + std::to_string(kMovieBytesRead) +
                                " bytes");
    if (!reading.enough)
      throw platform::Exception(reading.failure.empty() ? "can't read the movie file" : reading.failure);
  }
  if (state == TLook::Damaged) throw platform::Exception(damage);
  const SegInfo& shown = *playback.SegmentList[static_cast<size_t>(segment)];
  if (int64_t{shown.Width} * shown.Height > kLargestPicture)
    throw platform::Exception("segment " + std::to_string(segment + 1) + ": its picture of " +
                              std::to_string(shown.Width) + " x " + std::to_string(shown.Height) +
                              " pixels is larger than a thumbnail is made of (" + std::to_string(kLargestPicture) +
                              " pixels)");
  // Composed once from the segment's start: no snapshot is ever asked for again.
  playback.SeekIndex.SetBudget(0);
  if (playback.SeekFrame(segment, frame) != result::AllRight || !playback.ShownPicture())
    throw platform::Exception("segment " + std::to_string(segment + 1) + ": its picture can't be made");
  int width = playback.PictureWidth, height = playback.PictureHeight;
  std::vector<uint8_t> rgb;
  // Scaled down only: the longer side becomes `size`, the shorter keeps the aspect.
  if (std::max(width, height) > size) {
    const double factor = static_cast<double>(size) / std::max(width, height);
    width = std::max(1, static_cast<int>(std::lround(width * factor)));
    height = std::max(1, static_cast<int>(std::lround(height * factor)));
    rgb = ScaleDown(playback, width, height);
  } else {
    ToRgb(playback, rgb);
  }
  if (!WritePng(pngPath, width, height, rgb, 6)) throw platform::Exception("can't write " + pngPath);
}
