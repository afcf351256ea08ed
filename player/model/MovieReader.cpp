#include "MovieReader.h"

#include <algorithm>
#include <new>

#include "CodePage.h"
#include "FieldReader.h"
#include "Gdi.h"
#include "LittleEndian.h"
#include "ReadAheadStream.h"

std::string TShortString::Utf8() const { return platform::Cp1251ToUtf8(Raw()); }

namespace {

constexpr int64_t kTableEntryBytes = 261;
// A shape record is at least its hot spot and two descriptors.
constexpr int64_t kMinShapeBytes = 34;
constexpr int64_t kFrameHeadBytes = 8;

std::string SegmentPrefix(int number) { return "segment " + std::to_string(number) + ": "; }

// More than any recorder writes: what a movie's shapes may keep all together.
constexpr int64_t kMaxMovieShapeBytes = int64_t{64} << 20;

// `before` is what the shapes of the segments before keep.
void ReadShapes(FieldReader& reader, SegInfo& info, int64_t before) {
  const int32_t count = reader.Int32("shape count");
  if (count < 0) throw EMovieDamaged("shape count " + std::to_string(count) + " is negative");
  if (count > TCursorList::kCapacity)
    throw EMovieDamaged("shape count " + std::to_string(count) +
                        " is more than the 65536 cursor shapes a segment can have");
  if (count * kMinShapeBytes > reader.Remaining())
    throw EMovieDamaged(std::to_string(count) + " cursor shapes need at least " +
                        std::to_string(count * kMinShapeBytes) + " bytes, but only " +
                        std::to_string(reader.Remaining()) + " bytes remain");
  info.MovieShapeBytes = before;
  for (int32_t i = 0; i < count; ++i) {
    const int index = info.CursorList->Add(std::make_unique<TekCursor>());
    TekCursor& shape = *info.CursorList->Get(index);
    try {
      // A shape that fails to build stays in its slot without a cursor.
      (void)shape.LoadFromStream(reader);
    } catch (const EMovieDamaged& e) { throw EMovieDamaged("cursor shape " + std::to_string(i + 1) + ": " + e.what()); }
    info.MovieShapeBytes += shape.MemoryBytes();
    if (info.MovieShapeBytes > kMaxMovieShapeBytes)
      throw EMovieDamaged("cursor shape " + std::to_string(i + 1) + " of " + std::to_string(shape.DrawnWidth()) +
                          " x " + std::to_string(shape.DrawnHeight()) + " pixels brings the movie's cursor shapes to " +
                          std::to_string(info.MovieShapeBytes) + " bytes, more than the " +
                          std::to_string(kMaxMovieShapeBytes) + " bytes a movie may have");
  }
}

void ReadInfoRecord(FieldReader& reader, SegInfo& info) {
  uint8_t b[SegInfo::kRecordBytes];
  reader.Bytes(b, sizeof b, "segment information");
  info.SegStreamSize = platform::Int32LE(b + 0);
  info.CursStreamSize = platform::Int32LE(b + 4);
  info.Width = platform::Int32LE(b + 8);
  info.Height = platform::Int32LE(b + 12);
  info.BitsPerPixel = b[16];
  info.FrameCount = platform::Int32LE(b + 17);
  info.FrameRate = b[21];
  std::copy(b + 22, b + 22 + 256, info.Name.Bytes.begin());
}

// No screen has more: a larger picture is a damaged or hostile size, which
// would cost gigabytes a frame.
void CheckPictureSize(const SegInfo& info) {
  if (info.Width > gdi::kMaxPictureSide || info.Height > gdi::kMaxPictureSide ||
      int64_t{info.Width} * info.Height > gdi::kMaxPicturePixels)
    throw EMovieDamaged("picture of " + std::to_string(info.Width) + " x " + std::to_string(info.Height) +
                        " pixels is larger than any screen (at most " + std::to_string(gdi::kMaxPictureSide) +
                        " pixels a side and " + std::to_string(gdi::kMaxPicturePixels) + " in all)");
}

// Memory that can't be had for a part of the segment is named by the part.
template <class T>
std::unique_ptr<T> MakePart(const char* nilMessage) {
  try {
    return std::make_unique<T>();
  } catch (const std::bad_alloc&) { throw platform::Exception(nilMessage); }
}

void CopyStream(FieldReader& reader, platform::TMemoryStream& target, int64_t length, const char* field,
                const char* nilMessage) {
  reader.RequireLength(length, field);
  try {
    target.CopyFrom(reader.Stream(), length);
  } catch (const std::bad_alloc&) { throw platform::Exception(nilMessage); }
  reader.Advanced(length);
  target.SetPosition(0);
}

}  // namespace

std::vector<SegmentTableEntry> ReadSegmentEntries(platform::TStream& stream) {
  stream.SetPosition(0);
  FieldReader reader(stream);
  const int32_t count = reader.Int32("segment count");
  if (count < 0) throw EMovieDamaged("segment count " + std::to_string(count) + " is negative");
  reader.RequireLength(count * kTableEntryBytes, "segment table");
  std::vector<SegmentTableEntry> entries(static_cast<size_t>(count));
  for (SegmentTableEntry& entry : entries) {
    reader.Bytes(entry.Name.Bytes.data(), 256, "segment table");
    entry.FrameCount = reader.Int32("segment table");
    entry.FrameRate = reader.UInt8("segment table");
  }
  return entries;
}

void ReadSegmentHead(platform::TStream& stream, std::vector<std::unique_ptr<SegInfo>>& segments, int number) {
  auto& info = *segments.emplace_back(MakePart<SegInfo>("LoadSegmentFromStream: SegInfo = nil"));
  info.SegStream = MakePart<platform::TMemoryStream>("LoadSegmentFromStream: SegStream = nil");
  info.CursStream = MakePart<platform::TMemoryStream>("LoadSegmentFromStream: CursStream = nil");
  info.CursorList = MakePart<TCursorList>("LoadSegmentFromStream: CursorList = nil");
  const int64_t shapesBefore = segments.size() > 1 ? segments[segments.size() - 2]->MovieShapeBytes : 0;
  FieldReader reader(stream);
  try {
    ReadShapes(reader, info, shapesBefore);
    ReadInfoRecord(reader, info);
    CheckPictureSize(info);
    if (info.FrameCount < 0) throw EMovieDamaged("frame count " + std::to_string(info.FrameCount) + " is negative");
    CopyStream(reader, *info.CursStream, info.CursStreamSize, "cursor stream",
               "LoadSegmentFromStream: CursStream = nil");
    // Every frame record begins with its 8-byte head.
    if (info.SegStreamSize >= 0 && info.FrameCount > info.SegStreamSize / kFrameHeadBytes)
      throw EMovieDamaged(std::to_string(info.FrameCount) + " frames cannot fit in a frame stream of " +
                          std::to_string(info.SegStreamSize) + " bytes");
  } catch (const EMovieDamaged& e) { throw EMovieDamaged(SegmentPrefix(number) + e.what()); }
}

void ReadSegmentFrames(platform::TStream& stream, SegInfo& info, int number) {
  FieldReader reader(stream);
  try {
    if (info.SegStreamSize > SegInfo::kLongestPlayableFrames)
      reader.Skip(info.SegStreamSize, "frame stream");
    else
      CopyStream(reader, *info.SegStream, info.SegStreamSize, "frame stream", "LoadSegmentFromStream: SegStream = nil");
    if (info.BitsPerPixel == 8) {
      info.PaletteStream = MakePart<platform::TMemoryStream>("LoadSegmentFromStream: PaletteStream = nil");
      const int32_t length = reader.Int32("palette length");
      CopyStream(reader, *info.PaletteStream, length, "palette stream", "LoadSegmentFromStream: PaletteStream = nil");
    }
  } catch (const EMovieDamaged& e) { throw EMovieDamaged(SegmentPrefix(number) + e.what()); }
}

void ReadSegmentFramesBeginning(platform::TStream& stream, SegInfo& info, int64_t bytes) {
  FieldReader reader(stream);
  CopyStream(reader, *info.SegStream, std::min<int64_t>(bytes, info.SegStreamSize), "frame stream",
             "LoadSegmentFromStream: SegStream = nil");
}

void ReadSegmentBlock(platform::TStream& stream, std::vector<std::unique_ptr<SegInfo>>& segments, int number) {
  ReadSegmentHead(stream, segments, number);
  ReadSegmentFrames(stream, *segments.back(), number);
}

std::vector<SegmentTableEntry> ReadMovie(platform::TStream& stream, std::vector<std::unique_ptr<SegInfo>>& segments) {
  platform::TReadAheadStream ahead(stream);
  std::vector<SegmentTableEntry> table = ReadSegmentEntries(ahead);
  for (size_t i = 0; i < table.size(); ++i) ReadSegmentBlock(ahead, segments, static_cast<int>(i) + 1);
  return table;
}
