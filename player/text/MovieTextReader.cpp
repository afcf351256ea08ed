#include "MovieTextReader.h"

#include <algorithm>
#include <string>

#include "Exception.h"
#include "PixelFormat.h"
#include "TextTiles.h"

namespace {

// What is around a changed area is read with it, so that its letters are whole.
constexpr int kMargin = 4;
// A line this close to an area in its row is read again with it, so that a
// line typed on is read as one line.
constexpr int kLineReach = TTextTiles::kTile;

bool Overlap(const TTextBox& a, const TTextBox& b) {
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

TTextBox Union(const TTextBox& a, const TTextBox& b) {
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.width, b.x + b.width), y1 = std::max(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

// The same line read again: its text, and most of its box.
bool SameLine(const TTextLine& open, const TReadLine& read) {
  if (open.text != read.text || !Overlap(open.box, read.box)) return false;
  const int w = std::min(open.box.x + open.box.width, read.box.x + read.box.width) - std::max(open.box.x, read.box.x);
  const int h = std::min(open.box.y + open.box.height, read.box.y + read.box.height) - std::max(open.box.y, read.box.y);
  return 2 * w * h >= std::min(open.box.width * open.box.height, read.box.width * read.box.height);
}

// A line in the same row as the area, touching it or a little apart.
bool InRowOf(const TTextBox& line, const TTextBox& area) {
  const int h = std::min(line.y + line.height, area.y + area.height) - std::max(line.y, area.y);
  if (2 * h < std::min(line.height, area.height)) return false;
  return line.x <= area.x + area.width + kLineReach && area.x <= line.x + line.width + kLineReach;
}

class TSegmentTextReader {
 public:
  TSegmentTextReader(TMoviePlayback& playback, const TTextReading& reading, int segment)
      : playback_(playback), reading_(reading), segment_(segment) {
    const gdi::Bitmap& picture = *playback_.ShownPicture();
    tiles_.Reset(picture.Width(), picture.Height(), static_cast<size_t>(picture.Stride()), picture.BitsPerPixel() / 8);
  }

  // Frame `frame` of the segment is composed; `settle` frames make about a second.
  void Frame(int32_t frame, int32_t settle) {
    TChangedArea changed;
    playback_.TakeChanges(changed);
    if (frame == 0) {
      tiles_.MarkAll(0);
    } else {
      changed.ForEachRange([&](size_t begin, size_t end) { tiles_.MarkBytes(begin, end, frame); });
    }
    if (tiles_.AnyChangedOn(frame)) CloseChanged(frame);
    for (const TTextBox& area : tiles_.TakeSettled(frame, settle)) ReadArea(area, frame);
  }

  // The segment ends with `frame`: what is still unread is read as it stands.
  void Finish(int32_t frame) {
    for (const TTextBox& area : tiles_.TakeSettled(frame, 0)) ReadArea(area, frame);
    for (TTextLine& open : open_) Give(open, frame);
    open_.clear();
  }

 private:
  void Give(TTextLine& line, int32_t lastFrame) {
    line.lastFrame = std::max(line.firstFrame, lastFrame);
    reading_.onLine(line);
  }

  // Lines whose pixels changed stood until the frame before.
  void CloseChanged(int32_t frame) {
    std::erase_if(open_, [&](TTextLine& open) {
      if (!tiles_.ChangedOn(open.box, frame)) return false;
      Give(open, frame - 1);
      changedLines_.push_back(open.box);
      return true;
    });
  }

  void ReadArea(TTextBox area, int32_t frame) {
    const gdi::Bitmap& picture = *playback_.ShownPicture();
    for (const TTextLine& open : open_)
      if (InRowOf(open.box, area)) area = Union(area, open.box);
    std::erase_if(changedLines_, [&](const TTextBox& line) {
      if (!InRowOf(line, area)) return false;
      area = Union(area, line);
      return true;
    });
    const int x0 = std::max(area.x - kMargin, 0), y0 = std::max(area.y - kMargin, 0);
    const int x1 = std::min(area.x + area.width + kMargin, picture.Width());
    const int y1 = std::min(area.y + area.height + kMargin, picture.Height());
    area = {x0, y0, x1 - x0, y1 - y0};
    if (std::chrono::steady_clock::now() > reading_.deadline)
      throw platform::Exception("segment " + std::to_string(segment_ + 1) +
                                ": its pictures change too much to read their text in the time allowed");
    const std::vector<uint8_t> grey = GreyOfPicture(playback_, area);
    const TGrayPicture crop{grey.data(), area.width, area.height, area.width};
    for (TReadLine& read : reading_.read(crop, {0, 0, area.width, area.height})) {
      TTextBox& b = read.box;
      b.x = std::clamp(b.x, 0, area.width - 1) + area.x;
      b.y = std::clamp(b.y, 0, area.height - 1) + area.y;
      b.width = std::clamp(b.width, 1, x1 - b.x);
      b.height = std::clamp(b.height, 1, y1 - b.y);
      if (std::any_of(open_.begin(), open_.end(), [&](const TTextLine& o) { return SameLine(o, read); }))
        continue;  // still the line read before
      TTextLine line{segment_, std::clamp(tiles_.LastChange(b), 0, frame), frame, b, std::move(read.text)};
      // What it stands over was read before it and is gone from here on.
      std::erase_if(open_, [&](TTextLine& open) {
        if (!Overlap(open.box, line.box)) return false;
        Give(open, line.firstFrame - 1);
        return true;
      });
      open_.push_back(std::move(line));
    }
  }

  TMoviePlayback& playback_;
  const TTextReading& reading_;
  const int segment_;
  TTextTiles tiles_;
  // Lines read and still standing unchanged.
  std::vector<TTextLine> open_;
  // Where lines stood that changed and have not been read again: a line
  // typed on is read whole, not only its new end.
  std::vector<TTextBox> changedLines_;
};

}  // namespace

std::vector<uint8_t> GreyOfPicture(const TMoviePlayback& playback, const TTextBox& area) {
  const gdi::Bitmap& picture = *playback.ShownPicture();
  std::vector<uint8_t> grey(static_cast<size_t>(area.width) * area.height);
  uint8_t* out = grey.data();
  for (int y = area.y; y < area.y + area.height; ++y) {
    const uint8_t* row = picture.Row(y);
    if (picture.BitsPerPixel() == 8) {
      for (int x = area.x; x < area.x + area.width; ++x) {
        const gdi::RGBQuad& c = playback.ColorTable[row[x]];
        *out++ = static_cast<uint8_t>((c.rgbRed * 77 + c.rgbGreen * 150 + c.rgbBlue * 29) >> 8);
      }
    } else {
      for (int x = area.x; x < area.x + area.width; ++x)
        *out++ = static_cast<uint8_t>((row[x * 4 + 2] * 77 + row[x * 4 + 1] * 150 + row[x * 4] * 29) >> 8);
    }
  }
  return grey;
}

void ReadMovieText(TMoviePlayback& playback, const TTextReading& reading) {
  playback.DrawsCursor = false;
  int64_t framesRead = 0;
  for (size_t s = 0; s < playback.SegmentList.size(); ++s) {
    const SegInfo& info = *playback.SegmentList[s];
    const int32_t frames = info.FrameCount;
    // A segment the player can't show has no picture to read.
    if (frames <= 0 || !PixelFormatFor(info.BitsPerPixel)) {
      framesRead += std::max(frames, 0);
      continue;
    }
    const std::string where = "segment " + std::to_string(s + 1) + ": ";
    try {
      if (playback.SeekFrame(static_cast<int32_t>(s), 0) != result::AllRight || !playback.ShownPicture())
        throw platform::Exception("picture of " + std::to_string(info.Width) + " x " + std::to_string(info.Height) +
                                  " pixels can't be made");
    } catch (const platform::Exception& e) { throw platform::Exception(where + e.what()); }
    const int32_t settle = KnownFrameRate(info.FrameRate);
    TSegmentTextReader reader(playback, reading, static_cast<int>(s));
    int32_t frame = 0;
    reader.Frame(0, settle);
    // A cut or damaged record ends the segment where it stands, as playing does.
    while (frame + 1 < frames && playback.NextFrame() == result::AllRight) {
      playback.ComposePicture();
      reader.Frame(++frame, settle);
      if (frame % 256 == 0 && reading.onProgress) reading.onProgress(framesRead + frame);
    }
    reader.Finish(frame);
    framesRead += frames;
    if (reading.onProgress) reading.onProgress(framesRead);
  }
}
