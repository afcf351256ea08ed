// Going to any frame of a movie at once. A frame's picture is the sum of all
// the differences before it in its segment, so the index keeps snapshots of
// composed pictures (with the colour table and the places in the cursor and
// palette streams that belong to them) and composes from the nearest one
// before the frame asked for. Snapshots are taken as frames are composed,
// wherever the composing work since the last one reaches about twice a
// picture's memory, so that reaching any frame costs a bounded amount of work.
// When they outgrow the memory budget the least useful go first: the ones
// whose neighbours lie closest together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "Result.h"
#include "StreamRecords.h"

class TMoviePlayback;

class TFrameIndex {
 public:
  static constexpr size_t kDefaultBudget = size_t{64} << 20;

  explicit TFrameIndex(TMoviePlayback& playback) : playback_(playback) {}
  TFrameIndex(const TFrameIndex&) = delete;
  TFrameIndex& operator=(const TFrameIndex&) = delete;

  // Snapshots beyond the budget are dropped at once.
  void SetBudget(size_t bytes);
  size_t MemoryHeld() const;
  size_t SnapshotCount() const;
  // Forgets the movie.
  void Clear();

  // The playback activated its segment.
  void SegmentEntered();
  // The playback composed its frame, before drawing the cursor over it.
  void FrameComposed();

  // See TMoviePlayback::SeekFrame.
  TResult Seek(int32_t segment, int32_t frame);

 private:
  // What a segment's frames depend on besides its own streams: the colour
  // table and the last cursor record it starts with.
  struct TEntryState {
    TColorTable ColorTable{};
    TCursorRecord Cursor;
  };
  // The picture of a frame without its cursor, and where the streams stand
  // before its cursor record is read.
  struct TSnapshot {
    std::vector<uint8_t> Picture;
    uint32_t Offset = 0;  // of the frame's record in the frame stream
    TColorTable ColorTable{};
    int64_t PalettePosition = 0;
    int64_t CursorPosition = 0;
    TCursorRecord CursorBefore;
  };
  struct TSegmentIndex {
    bool EntryKnown = false;
    TEntryState Entry;
    // Where each frame's record starts; made at the first seek.
    std::vector<uint32_t> Offsets;
    std::map<int32_t, TSnapshot> Snapshots;
  };

  TSegmentIndex& Segment(int32_t segment);
  // The state a segment starts with: the one it was last entered with, else
  // what playing the movie from its start would leave after the segments before.
  TEntryState EntryFor(int32_t segment);
  // True when the two differ in anything the segment's pictures can show.
  bool EntryMatters(int32_t segment, const TEntryState& a, const TEntryState& b) const;
  void MakeOffsets(int32_t segment);
  uint32_t OffsetOf(int32_t segment, int32_t frame) const;
  // Composing work from the picture of frame `from` (-1: the black start) to that of `to`.
  int64_t Work(int32_t segment, int32_t from, int32_t to) const;
  int64_t SnapshotSpacing() const;
  void TakeSnapshot(int32_t segment, int32_t frame);
  void KeepWithinBudget();
  void DropSegmentSnapshots(TSegmentIndex& segment);
  // Restores a snapshot and draws the frame's cursor over it.
  bool Restore(int32_t frame, const TSnapshot& snapshot);
  void RestoreStart(const TEntryState& entry);

  TMoviePlayback& playback_;
  size_t budget_ = kDefaultBudget;
  size_t snapshotBytes_ = 0;
  std::vector<TSegmentIndex> segments_;
  // The segment whose frames the playback holds, and the last frame composed
  // in it (-1: none yet). Trusted only while `inChain_`: the frames were
  // composed one after another from a known start.
  int32_t loadedSegment_ = -1;
  int32_t composedFrame_ = -1;
  bool inChain_ = false;
};
