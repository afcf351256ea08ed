// Going to any frame of a movie at once. A frame's picture is the sum of all
// the differences before it in its segment, so the index keeps snapshots of
// composed pictures (with the play position that belongs to each) and composes from the nearest one
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

#include "PlayPosition.h"
#include "Result.h"

class TMoviePlayback;

class TSeekIndex {
 public:
  static constexpr size_t kDefaultBudget = size_t{64} << 20;

  explicit TSeekIndex(TMoviePlayback& playback) : playback_(playback) {}
  TSeekIndex(const TSeekIndex&) = delete;
  TSeekIndex& operator=(const TSeekIndex&) = delete;

  // Snapshots beyond the budget are dropped at once.
  void SetBudget(size_t bytes);
  size_t MemoryHeld() const;
  size_t SnapshotCount() const;
  // Forgets the movie.
  void Clear();

  // The playback activated `segment`, carrying `entry` into it.
  void SegmentEntered(int32_t segment, const TCarriedState& entry);
  // The playback composed `frame` of `segment`, whose record starts at
  // `recordOffset`, and has not drawn the cursor over it yet.
  void FrameComposed(int32_t segment, int32_t frame, uint32_t recordOffset);

  // See TMoviePlayback::SeekFrame.
  TResult Seek(int32_t segment, int32_t frame);

 private:
  // The picture of a frame without its cursor, and where playing stood then:
  // the frame's palette record read, its cursor record not yet.
  struct TSnapshot {
    std::vector<uint8_t> Picture;
    TPlayPosition Position;
  };
  struct TSegmentIndex {
    bool EntryKnown = false;
    // What the segment's frames depend on besides its own streams.
    TCarriedState Entry;
    // Where each frame's record starts; made at the first seek.
    std::vector<uint32_t> Offsets;
    std::map<int32_t, TSnapshot> Snapshots;
  };

  TSegmentIndex& Segment(int32_t segment);
  // The state a segment starts with: the one it was last entered with, else
  // what playing the movie from its start would leave after the segments before.
  TCarriedState EntryFor(int32_t segment);
  // True when the two differ in anything the segment's pictures can show.
  bool EntryMatters(int32_t segment, const TCarriedState& a, const TCarriedState& b) const;
  void MakeOffsets(int32_t segment);
  uint32_t OffsetOf(int32_t segment, int32_t frame) const;
  // Composing work from the picture of frame `from` (-1: the black start) to that of `to`.
  int64_t Work(int32_t segment, int32_t from, int32_t to) const;
  int64_t SnapshotSpacing() const;
  void TakeSnapshot(int32_t segment, int32_t frame);
  void KeepWithinBudget();
  void DropSegmentSnapshots(TSegmentIndex& segment);
  // Restores a snapshot and draws the frame's cursor over it.
  bool Restore(const TSnapshot& snapshot);
  // The black picture and frame 0 of the loaded segment, entered with `entry`.
  void RestoreStart(const TCarriedState& entry);
  // Puts the frame step at `frame` of the loaded segment, the streams beside it left as they stand.
  void PlaceAt(int32_t frame);

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
