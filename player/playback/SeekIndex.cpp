#include "SeekIndex.h"

#include <algorithm>
#include <iterator>
#include <limits>

#include "FrameRecords.h"
#include "MoviePlayback.h"

namespace {

// What composing a frame costs beyond its record's bytes (restoring and
// drawing the cursor, reading the records beside it), in bytes of record.
constexpr int64_t kFrameWork = 4096;
// The least composing work between snapshots, for small pictures.
constexpr int64_t kMinSpacing = int64_t{256} << 10;

}  // namespace

void TSeekIndex::SetBudget(size_t bytes) {
  budget_ = bytes;
  KeepWithinBudget();
}

size_t TSeekIndex::MemoryHeld() const {
  size_t held = snapshotBytes_ + segments_.capacity() * sizeof(TSegmentIndex);
  for (const TSegmentIndex& segment : segments_) held += segment.Offsets.capacity() * sizeof(uint32_t);
  return held;
}

size_t TSeekIndex::SnapshotCount() const {
  size_t count = 0;
  for (const TSegmentIndex& segment : segments_) count += segment.Snapshots.size();
  return count;
}

void TSeekIndex::Clear() {
  segments_.clear();
  snapshotBytes_ = 0;
  loadedSegment_ = -1;
  composedFrame_ = -1;
  inChain_ = false;
}

TSeekIndex::TSegmentIndex& TSeekIndex::Segment(int32_t segment) {
  if (segments_.size() < playback_.SegmentList.size()) segments_.resize(playback_.SegmentList.size());
  return segments_[static_cast<size_t>(segment)];
}

void TSeekIndex::SegmentEntered(int32_t number, const TCarriedState& entry) {
  TSegmentIndex& segment = Segment(number);
  // Snapshots made from another start would not be the pictures this one gives.
  if (segment.EntryKnown && EntryMatters(number, segment.Entry, entry)) DropSegmentSnapshots(segment);
  segment.Entry = entry;
  segment.EntryKnown = true;
  loadedSegment_ = number;
  composedFrame_ = -1;
  inChain_ = true;
}

bool TSeekIndex::EntryMatters(int32_t segment, const TCarriedState& a, const TCarriedState& b) const {
  const SegInfo& info = *playback_.SegmentList[static_cast<size_t>(segment)];
  if (info.BitsPerPixel == 8 && a.ColorTable != b.ColorTable) return true;
  // The first cursor record read replaces the one carried in.
  const bool cursorCarried = !info.CursStream || info.CursStream->Size() < 6;
  return cursorCarried && !(a.Cursor == b.Cursor);
}

TCarriedState TSeekIndex::EntryFor(int32_t segment) {
  int32_t known = segment;
  while (known >= 0 && !Segment(known).EntryKnown) --known;
  TCarriedState state = known >= 0 ? Segment(known).Entry : TCarriedState{};
  // Playing a segment reads one cursor record and, at 8 bits, one palette
  // record for each of its frames.
  for (int32_t s = std::max(known, 0); s < segment; ++s) {
    SegInfo& info = *playback_.SegmentList[static_cast<size_t>(s)];
    if (info.CursStream) {
      const int64_t records = std::min<int64_t>(info.FrameCount, info.CursStream->Size() / 6);
      if (records > 0) {
        platform::TMemoryStream& stream = *info.CursStream;
        const int64_t position = stream.Position();
        stream.SetPosition((records - 1) * 6);
        ReadCursorRecord(stream, state.Cursor);
        stream.SetPosition(position);
      }
    }
    if (info.BitsPerPixel == 8 && info.PaletteStream) {
      platform::TMemoryStream& stream = *info.PaletteStream;
      const int64_t position = stream.Position();
      stream.SetPosition(0);
      for (int32_t f = 0; f < info.FrameCount && stream.Position() < stream.Size(); ++f)
        ReadPaletteRecord(stream, state.ColorTable);
      stream.SetPosition(position);
    }
  }
  return state;
}

void TSeekIndex::MakeOffsets(int32_t segment) {
  TSegmentIndex& index = Segment(segment);
  const SegInfo& info = *playback_.SegmentList[static_cast<size_t>(segment)];
  if (!index.Offsets.empty() || info.FrameCount <= 0 || !info.SegStream) return;
  const uint8_t* const data = info.SegStream->Memory();
  const int64_t size = info.SegStream->Size();
  index.Offsets.resize(static_cast<size_t>(info.FrameCount));
  int64_t offset = 0;
  for (uint32_t& at : index.Offsets) {
    at = static_cast<uint32_t>(offset);
    offset = NextRecordOffset(data, offset, size);
  }
}

uint32_t TSeekIndex::OffsetOf(int32_t segment, int32_t frame) const {
  if (frame < 0) return 0;
  const TSegmentIndex& index = segments_[static_cast<size_t>(segment)];
  if (static_cast<size_t>(frame) < index.Offsets.size()) return index.Offsets[static_cast<size_t>(frame)];
  const SegInfo& info = *playback_.SegmentList[static_cast<size_t>(segment)];
  return static_cast<uint32_t>(info.SegStream ? info.SegStream->Size() : 0);
}

int64_t TSeekIndex::Work(int32_t segment, int32_t from, int32_t to) const {
  return int64_t{OffsetOf(segment, to)} - OffsetOf(segment, from) + kFrameWork * (to - from);
}

int64_t TSeekIndex::SnapshotSpacing() const {
  const gdi::Bitmap* picture = playback_.ShownPicture();
  // Taking a snapshot costs about a pass over the picture: two pictures'
  // worth of composing work between snapshots keeps that a small share of a
  // first pass through the movie, and bounds a seek to that much work.
  return std::max<int64_t>(picture ? 2 * static_cast<int64_t>(picture->ByteSize()) : 0, kMinSpacing);
}

void TSeekIndex::FrameComposed(int32_t segment, int32_t frame, uint32_t recordOffset) {
  if (!inChain_ || segment != loadedSegment_ || frame != composedFrame_ + 1) {
    inChain_ = false;
    return;
  }
  composedFrame_ = frame;
  const auto& snapshots = Segment(segment).Snapshots;
  int32_t base = -1;
  uint32_t baseOffset = 0;
  if (auto it = snapshots.upper_bound(frame); it != snapshots.begin()) {
    --it;
    base = it->first;
    baseOffset = it->second.Position.RecordOffset;
  }
  if (base == frame) return;
  if (int64_t{recordOffset} - baseOffset + kFrameWork * (frame - base) >= SnapshotSpacing())
    TakeSnapshot(segment, frame);
}

void TSeekIndex::TakeSnapshot(int32_t segment, int32_t frame) {
  if (!playback_.ShownPicture()) return;
  TSnapshot snapshot{playback_.SavePicture(), playback_.Position()};
  const size_t bytes = snapshot.Picture.size() + sizeof(TSnapshot);
  if (!Segment(segment).Snapshots.try_emplace(frame, std::move(snapshot)).second) return;
  snapshotBytes_ += bytes;
  KeepWithinBudget();
}

void TSeekIndex::DropSegmentSnapshots(TSegmentIndex& segment) {
  for (const auto& [frame, snapshot] : segment.Snapshots) snapshotBytes_ -= snapshot.Picture.size() + sizeof(TSnapshot);
  segment.Snapshots.clear();
}

void TSeekIndex::KeepWithinBudget() {
  while (snapshotBytes_ > budget_) {
    // The snapshot whose neighbours lie closest together is the least missed.
    TSegmentIndex* victimSegment = nullptr;
    std::map<int32_t, TSnapshot>::iterator victim;
    int64_t smallestGap = std::numeric_limits<int64_t>::max();
    for (size_t s = 0; s < segments_.size(); ++s) {
      auto& snapshots = segments_[s].Snapshots;
      const SegInfo& info = *playback_.SegmentList[s];
      const int64_t end = info.SegStream ? info.SegStream->Size() : 0;
      int64_t previousFrame = -1, previousOffset = 0;
      for (auto it = snapshots.begin(); it != snapshots.end(); ++it) {
        const auto next = std::next(it);
        const int64_t nextFrame = next == snapshots.end() ? info.FrameCount : next->first;
        const int64_t nextOffset = next == snapshots.end() ? end : next->second.Position.RecordOffset;
        const int64_t gap = nextOffset - previousOffset + kFrameWork * (nextFrame - previousFrame);
        if (gap < smallestGap) {
          smallestGap = gap;
          victimSegment = &segments_[s];
          victim = it;
        }
        previousFrame = it->first;
        previousOffset = it->second.Position.RecordOffset;
      }
    }
    if (!victimSegment) return;
    snapshotBytes_ -= victim->second.Picture.size() + sizeof(TSnapshot);
    victimSegment->Snapshots.erase(victim);
  }
}

void TSeekIndex::RestoreStart(const TCarriedState& entry) {
  playback_.ClearPictures();
  TPlayPosition start;
  start.Carried = entry;
  playback_.RestorePosition(start);
  composedFrame_ = -1;
  inChain_ = true;
}

bool TSeekIndex::Restore(const TSnapshot& snapshot) {
  if (!playback_.RestorePicture(snapshot.Picture)) return false;
  playback_.RestorePosition(snapshot.Position);
  playback_.DrawCursor();
  composedFrame_ = snapshot.Position.Frame;
  inChain_ = true;
  return true;
}

void TSeekIndex::PlaceAt(int32_t frame) { playback_.MoveToRecord(frame, OffsetOf(loadedSegment_, frame)); }

TResult TSeekIndex::Seek(int32_t segment, int32_t frame) {
  TMoviePlayback& p = playback_;
  if (segment < 0 || static_cast<size_t>(segment) >= p.SegmentList.size()) return result::OutOfIndexBound;
  if (frame < 0 || frame >= p.SegmentList[static_cast<size_t>(segment)]->FrameCount) return result::OutOfIndexBound;
  if (!p.FrameBuffer) return result::SegmentIsNil;
  if (loadedSegment_ != segment || !inChain_) {
    const TResult activated = p.ActivateSegment(segment, EntryFor(segment));
    if (activated != result::AllRight) return activated;
  }
  // A stop turns CurSegment back to the first segment and leaves the loaded one in place.
  p.CurSegment = segment;
  if (!p.ShownPicture() || !p.hbmCursor) return result::NoText;
  MakeOffsets(segment);

  // From the black start, the nearest snapshot before, or the frame composed last.
  enum class From { Start, Snapshot, Composed } from = From::Start;
  int32_t fromFrame = -1;
  int64_t least = Work(segment, -1, frame);
  auto& snapshots = Segment(segment).Snapshots;
  auto snapshot = snapshots.upper_bound(frame);
  if (snapshot != snapshots.begin()) {
    --snapshot;
    const int64_t work = Work(segment, snapshot->first, frame) + static_cast<int64_t>(snapshot->second.Picture.size());
    if (work < least) {
      least = work;
      from = From::Snapshot;
      fromFrame = snapshot->first;
    }
  }
  if (composedFrame_ <= frame && Work(segment, composedFrame_, frame) <= least) {
    from = From::Composed;
    fromFrame = composedFrame_;
  }
  if (from == From::Snapshot && !Restore(snapshot->second)) from = From::Start;
  if (from == From::Start) {
    RestoreStart(Segment(segment).Entry);
    fromFrame = -1;
  }
  for (int32_t f = fromFrame + 1; f <= frame; ++f) {
    PlaceAt(f);
    const TResult composed = p.ComposePicture();
    if (composed != result::AllRight) return composed;
  }
  PlaceAt(frame);
  return result::AllRight;
}
