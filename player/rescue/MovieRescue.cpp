#include "MovieRescue.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "Exception.h"
#include "FrameRecords.h"
#include "Gdi.h"
#include "LittleEndian.h"
#include "MovieReader.h"
#include "MovieWriting.h"

namespace {

constexpr int64_t kCursorRecordBytes = 6;

// The bytes with what is known of them. The lost ranges are kept sorted and
// merged, so that every question about them is a binary search: salvage of
// a badly damaged file may give one for every block.
class TSource {
 public:
  TSource(const std::vector<uint8_t>& bytes, const TByteRanges& lost) : bytes_(bytes), lost_(MergedRanges(lost)) {}

  const uint8_t* Data() const { return bytes_.data(); }
  int64_t Size() const { return static_cast<int64_t>(bytes_.size()); }
  // Every byte of [begin, end) came, and none is known to be wrong.
  bool Whole(int64_t begin, int64_t end) const {
    if (begin < 0 || end > Size() || begin > end) return false;
    const auto next = FirstEndingAfter(begin);
    return next == lost_.end() || next->first >= end;
  }
  // The first place at or after `from` that is not known to be wrong.
  int64_t NextWhole(int64_t from) const {
    const auto next = FirstEndingAfter(from);
    return next != lost_.end() && next->first <= from ? next->second : from;
  }
  // After the last known wrong byte in [begin, end); `begin` when there is none.
  int64_t AfterLastLost(int64_t begin, int64_t end) const {
    auto last =
        std::lower_bound(lost_.begin(), lost_.end(), end, [](const auto& r, int64_t at) { return r.first < at; });
    if (last == lost_.begin()) return begin;
    --last;
    return last->second > begin ? std::max(begin, std::min(last->second, end)) : begin;
  }
  int32_t Int32(int64_t at) const { return platform::Int32LE(bytes_.data() + at); }

 private:
  TByteRanges::const_iterator FirstEndingAfter(int64_t at) const {
    return std::upper_bound(lost_.begin(), lost_.end(), at, [](int64_t x, const auto& r) { return x < r.second; });
  }

  const std::vector<uint8_t>& bytes_;
  TByteRanges lost_;
};

// Where a segment block's parts lie.
struct THead {
  int64_t start = 0;
  int64_t info = 0;     // the information record, after the shapes
  int64_t cursors = 0;  // the cursor stream
  int64_t frames = 0;   // the frame stream
};

bool PlayableDepth(int bits) { return bits == 8 || bits == 24 || bits == 32; }

// A look for a segment block at `at` that makes nothing: a sane shape
// count, shapes whose lengths lead to an information record, and a record
// of a segment that can be played whose cursor stream is there. Each shape
// passed over costs a step of `steps`.
bool MayStartHead(const TSource& source, int64_t at, int64_t& steps) {
  if (!source.Whole(at, at + 4)) return false;
  const int32_t shapes = source.Int32(at);
  if (shapes < 0 || shapes > TCursorList::kCapacity) return false;
  int64_t info = at + 4;
  for (int32_t i = 0; i < shapes; ++i) {
    if (--steps < 0) return false;
    info += 8;                              // the hot spot
    for (int part = 0; part < 2; ++part) {  // mask, then colour: a descriptor, then the bits
      if (!source.Whole(info, info + 13) || source.Int32(info) < 0) return false;
      info += 13 + int64_t{source.Int32(info)};
    }
  }
  if (!source.Whole(info, info + SegInfo::kRecordBytes)) return false;
  const int32_t frames = source.Int32(info), cursors = source.Int32(info + 4);
  const int32_t width = source.Int32(info + 8), height = source.Int32(info + 12);
  const int32_t count = platform::Int32LE(source.Data() + info + 17);
  return PlayableDepth(source.Data()[info + 16]) && width > 0 && height > 0 && width <= gdi::kMaxPictureSide &&
         height <= gdi::kMaxPictureSide && frames >= 0 && frames <= SegInfo::kLongestPlayableFrames && cursors >= 0 &&
         cursors % kCursorRecordBytes == 0 && count >= 0 && count <= frames / kFrameRecordHeaderBytes &&
         info + SegInfo::kRecordBytes + cursors <= source.Size();
}

// Reads the head of a segment block at `at` with the ordinary reader into a
// new record of `segments`; none, and no record, when what lies there is no
// whole head of a segment that can be played. `strict` asks more of a head
// found by searching, which nothing else vouches for.
std::optional<THead> ReadHead(const TSource& source, int64_t at, std::vector<std::unique_ptr<SegInfo>>& segments,
                              bool strict) {
  platform::TBorrowedMemoryStream stream(source.Data(), source.Size());
  stream.SetPosition(at);
  const size_t before = segments.size();
  try {
    ReadSegmentHead(stream, segments, static_cast<int>(before) + 1);
  } catch (const platform::Exception&) {
    segments.resize(before);
    return std::nullopt;
  }
  const SegInfo& info = *segments.back();
  THead head;
  head.start = at;
  head.frames = stream.Position();
  head.cursors = head.frames - info.CursStreamSize;
  head.info = head.cursors - SegInfo::kRecordBytes;
  bool fits = source.Whole(head.start, head.cursors) && PlayableDepth(info.BitsPerPixel) && info.Width > 0 &&
              info.Height > 0 && info.SegStreamSize >= 0 && info.SegStreamSize <= SegInfo::kLongestPlayableFrames;
  if (fits && strict) {
    const int64_t end = std::min<int64_t>(head.frames + info.SegStreamSize, source.Size());
    fits = info.CursStreamSize % kCursorRecordBytes == 0 &&
           (info.FrameCount == 0 || RecordLength(source.Data() + head.frames, 0, end - head.frames) > 0);
  }
  if (!fits) {
    segments.resize(before);
    return std::nullopt;
  }
  return head;
}

// The next head at or after `from`, found by its structure.
// Looking for heads stops after passing over this many shapes, so that
// bytes made to look like shapes everywhere can't take long.
constexpr int64_t kSearchSteps = int64_t{64} << 20;

// The next head at or after `from`, found by its structure; only a place
// that looks like one is read, so that no shape is made elsewhere.
std::optional<THead> FindHead(const TSource& source, int64_t from, std::vector<std::unique_ptr<SegInfo>>& segments,
                              int64_t& steps) {
  for (int64_t at = source.NextWhole(from); at + 4 <= source.Size() && steps > 0; at = source.NextWhole(at + 1))
    if (MayStartHead(source, at, steps))
      if (auto head = ReadHead(source, at, segments, true)) return head;
  return std::nullopt;
}

// The number of whole records from `from` that reach exactly `end`, at most
// `most`; none when they don't. A chain that ends exactly where the stream
// does is seldom there by chance. Each record looked at costs a step of `steps`.
std::optional<int32_t> ChainToEnd(const TSource& source, int64_t from, int64_t end, int32_t most, int64_t& steps) {
  int32_t records = 0;
  for (int64_t at = from; at < end; ++records) {
    if (records == most || --steps < 0) return std::nullopt;
    const int64_t length = RecordLength(source.Data() + at, 0, end - at);
    if (length == 0) return std::nullopt;
    at += length;
  }
  return records;
}

// Looking for where the chain takes up again stops after this many records,
// so that a stream made to look like chains everywhere can't take long.
constexpr int64_t kResumeSteps = int64_t{64} << 20;

// Stretches of the input, kept to be copied once into the written movie.
class TPieces {
 public:
  void Add(int64_t begin, int64_t end) {
    if (begin >= end) return;
    if (!pieces_.empty() && pieces_.back().second == begin)
      pieces_.back().second = end;
    else
      pieces_.emplace_back(begin, end);
    bytes_ += end - begin;
  }
  int64_t Bytes() const { return bytes_; }
  void AppendTo(const TSource& source, std::vector<uint8_t>& out) const {
    for (const auto& [begin, end] : pieces_) out.insert(out.end(), source.Data() + begin, source.Data() + end);
  }

 private:
  std::vector<std::pair<int64_t, int64_t>> pieces_;
  int64_t bytes_ = 0;
};

// What is kept of one segment block, and where the block ends.
struct TKept {
  TRescuedSegment report;
  SegInfo info;  // the information record as it is written again
  TPieces shapes, cursors, frames, palette;
  int64_t blockEnd = -1;  // -1: unknown, the next head must be searched for
};

// The frames of a segment whose frame stream is whole.
void KeepAllFrames(const THead& head, const SegInfo& info, TKept& kept) {
  kept.frames.Add(head.frames, head.frames + info.SegStreamSize);
  kept.report.FramesKept = info.FrameCount;
  kept.cursors.Add(head.cursors, head.frames);
}

// The whole records before the damage, and those from the first place after
// it whose chain reaches the stream's end. Returns which recorded frames are kept.
std::vector<std::pair<int32_t, int32_t>> KeepFramesAroundDamage(const TSource& source, const THead& head,
                                                                const SegInfo& info, TKept& kept) {
  const int64_t end = head.frames + info.SegStreamSize;
  const int64_t available = std::min(end, source.Size());
  int32_t before = 0;
  int64_t at = head.frames;
  while (before < info.FrameCount) {
    const int64_t length = RecordLength(source.Data() + at, 0, available - at);
    if (length == 0 || !source.Whole(at, at + length)) break;
    at += length;
    ++before;
  }
  std::vector<std::pair<int32_t, int32_t>> keep{{0, before}};
  kept.frames.Add(head.frames, at);
  if (end <= source.Size()) {
    const int32_t most = info.FrameCount - before;
    int64_t steps = kResumeSteps;
    for (int64_t from = source.AfterLastLost(at, end); from < end && most > 0 && steps > 0; ++from) {
      if (const auto after = ChainToEnd(source, from, end, most, steps)) {
        keep.emplace_back(info.FrameCount - *after, info.FrameCount);
        kept.frames.Add(from, end);
        break;
      }
    }
  }
  return keep;
}

// The cursor records of the kept frames; a frame beyond the records has none.
void KeepCursors(const THead& head, const std::vector<std::pair<int32_t, int32_t>>& keep, TKept& kept) {
  const int64_t records = (head.frames - head.cursors) / kCursorRecordBytes;
  for (const auto& [first, end] : keep)
    for (int64_t f = first; f < std::min<int64_t>(end, records); ++f)
      kept.cursors.Add(head.cursors + f * kCursorRecordBytes, head.cursors + (f + 1) * kCursorRecordBytes);
}

// The palette records of the kept frames of an 8-bit segment, each as long
// as its count says; where the stream is damaged or cut the changes are lost.
void KeepPalette(const TSource& source, int64_t at, const SegInfo& info,
                 const std::vector<std::pair<int32_t, int32_t>>& keep, TKept& kept) {
  auto isKept = [&](int32_t f) {
    return std::any_of(keep.begin(), keep.end(), [&](const auto& r) { return r.first <= f && f < r.second; });
  };
  // A length that did not come or can't be right leaves where the block ends unknown.
  const int64_t length = source.Whole(at, at + 4) ? source.Int32(at) : -1;
  const int64_t begin = at + 4, end = begin + length;
  if (length < 0) {
    kept.report.ColoursLostFrom = 0;
    kept.blockEnd = -1;
    return;
  }
  kept.blockEnd = end;
  int64_t record = begin;
  for (int32_t f = 0; f < info.FrameCount && record < end; ++f) {
    const int64_t size =
        source.Whole(record, record + 1) ? (source.Data()[record] == 0 ? 1 : 2 + 4 * source.Data()[record]) : 0;
    if (size == 0 || !source.Whole(record, record + size) || record + size > end) {
      kept.report.ColoursLostFrom = f;
      return;
    }
    if (isKept(f))
      kept.palette.Add(record, record + size);
    else if (size > 1 && kept.report.ColoursLostFrom < 0)
      kept.report.ColoursLostFrom = f;
    record += size;
  }
}

// A head found by its structure may have lost shapes before it: then its
// cursor records name shapes it does not have.
bool NamesMissingShapes(const TSource& source, const THead& head, const SegInfo& info) {
  for (int64_t at = head.cursors; at + kCursorRecordBytes <= head.frames; at += kCursorRecordBytes)
    if ((source.Data()[at] | source.Data()[at + 1] << 8) >= info.CursorList->Count()) return true;
  return false;
}

TKept KeepSegment(const TSource& source, const THead& head, const SegInfo& info, bool found) {
  TKept kept;
  kept.report.Name = info.Name.Utf8();
  kept.report.BitsPerPixel = info.BitsPerPixel;
  kept.report.FrameRate = info.FrameRate;
  kept.report.FramesRecorded = info.FrameCount;
  kept.report.CursorDamaged =
      !source.Whole(head.cursors, head.frames) || (found && NamesMissingShapes(source, head, info));
  kept.shapes.Add(head.start, head.info);
  const int64_t framesEnd = head.frames + info.SegStreamSize;
  std::vector<std::pair<int32_t, int32_t>> keep{{0, info.FrameCount}};
  if (source.Whole(head.frames, framesEnd)) {
    KeepAllFrames(head, info, kept);
  } else {
    keep = KeepFramesAroundDamage(source, head, info, kept);
    KeepCursors(head, keep, kept);
    kept.report.FramesKept = 0;
    int32_t next = 0;
    for (const auto& [first, end] : keep) {
      if (first > next) kept.report.LostFrames.emplace_back(next, first);
      kept.report.FramesKept += end - first;
      next = end;
    }
    if (next < info.FrameCount) kept.report.LostFrames.emplace_back(next, info.FrameCount);
  }
  kept.blockEnd = framesEnd;
  if (info.BitsPerPixel == 8) KeepPalette(source, framesEnd, info, keep, kept);
  kept.info = SegInfo{};
  kept.info.SegStreamSize = static_cast<int32_t>(kept.frames.Bytes());
  kept.info.CursStreamSize = static_cast<int32_t>(kept.cursors.Bytes());
  kept.info.Width = info.Width;
  kept.info.Height = info.Height;
  kept.info.BitsPerPixel = info.BitsPerPixel;
  kept.info.FrameCount = kept.report.FramesKept;
  kept.info.FrameRate = info.FrameRate;
  kept.info.Name = info.Name;
  return kept;
}

std::vector<uint8_t> WriteMovie(const TSource& source, const std::vector<TKept>& segments) {
  std::vector<SegmentTableEntry> table;
  int64_t bytes = 0;
  for (const TKept& kept : segments) {
    table.push_back({kept.info.Name, kept.info.FrameCount, kept.info.FrameRate});
    bytes += kept.shapes.Bytes() + SegInfo::kRecordBytes + kept.cursors.Bytes() + kept.frames.Bytes() + 4 +
             kept.palette.Bytes();
  }
  std::vector<uint8_t> movie;
  AppendSegmentTable(movie, table);
  movie.reserve(movie.size() + static_cast<size_t>(bytes));
  for (const TKept& kept : segments) {
    kept.shapes.AppendTo(source, movie);
    AppendInfoRecord(movie, kept.info);
    kept.cursors.AppendTo(source, movie);
    kept.frames.AppendTo(source, movie);
    if (kept.info.BitsPerPixel == 8) {
      AppendInt32(movie, static_cast<int32_t>(kept.palette.Bytes()));
      kept.palette.AppendTo(source, movie);
    }
  }
  return movie;
}

// The bytes of the union of `ranges` and [from, to).
int64_t Measure(TByteRanges ranges, int64_t from, int64_t to) {
  ranges.emplace_back(from, to);
  int64_t total = 0;
  for (const auto& [begin, end] : MergedRanges(std::move(ranges))) total += end - begin;
  return total;
}

}  // namespace

bool TMovieRescue::Damaged() const {
  if (SegmentsRecorded < 0 || SegmentsLost > 0 || SegmentsFound > 0 || BytesLost > 0) return true;
  return std::any_of(Segments.begin(), Segments.end(), [](const TRescuedSegment& s) {
    return s.FramesKept != s.FramesRecorded || s.ColoursLostFrom >= 0 || s.CursorDamaged;
  });
}

int64_t TMovieRescue::FramesKept() const {
  int64_t frames = 0;
  for (const TRescuedSegment& segment : Segments) frames += segment.FramesKept;
  return frames;
}

TMovieRescue RescueMovie(std::vector<uint8_t> bytes, const TByteRanges& lost) {
  const TSource source(bytes, lost);
  TMovieRescue rescue;
  std::vector<SegmentTableEntry> table;
  int64_t at = -1;
  if (source.Whole(0, 4) && source.Int32(0) >= 0) {
    platform::TBorrowedMemoryStream stream(bytes.data(), source.Size());
    try {
      table = ReadSegmentEntries(stream);
      if (source.Whole(0, stream.Position())) {
        rescue.SegmentsRecorded = static_cast<int32_t>(table.size());
        at = stream.Position();
      }
    } catch (const platform::Exception&) {}
  }
  std::vector<std::unique_ptr<SegInfo>> read;
  std::vector<TKept> kept;
  // Where the next head should be (-1: unknown), and where a search for it starts.
  int64_t searchFrom = 4, declaredEnd = at, searchSteps = kSearchSteps;
  while (rescue.SegmentsRecorded < 0 || static_cast<int32_t>(kept.size()) < rescue.SegmentsRecorded) {
    std::optional<THead> head = at >= 0 ? ReadHead(source, at, read, false) : std::nullopt;
    const bool found = !head;
    if (found) {
      head = FindHead(source, std::max(searchFrom, at + 1), read, searchSteps);
      if (!head) break;
      ++rescue.SegmentsFound;
    }
    TKept segment = KeepSegment(source, *head, *read.back(), found);
    declaredEnd = std::max(declaredEnd, segment.blockEnd);
    searchFrom = head->frames;
    at = segment.blockEnd;
    kept.push_back(std::move(segment));
  }
  if (rescue.SegmentsRecorded >= 0) rescue.SegmentsLost = rescue.SegmentsRecorded - static_cast<int32_t>(kept.size());
  // The table counts the frames of lost segments too; without it, the segments found.
  if (rescue.SegmentsRecorded >= 0)
    for (const SegmentTableEntry& entry : table) rescue.FramesRecorded += std::max(entry.FrameCount, 0);
  else
    for (const TKept& segment : kept) rescue.FramesRecorded += segment.report.FramesRecorded;
  for (const TKept& segment : kept) rescue.Segments.push_back(segment.report);
  rescue.BytesLost = Measure(lost, source.Size(), declaredEnd);
  rescue.Movie = rescue.Damaged() ? WriteMovie(source, kept) : std::move(bytes);
  return rescue;
}
