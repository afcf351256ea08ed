// Everything of a damaged movie file that can still be played, written
// again as a well-formed movie. What the file holds is kept as it is where
// it is whole; a segment cut short keeps the frames whose records are whole;
// a damaged stretch in a frame stream loses the frames in it, and the chain
// of records takes up again at the first place after it from which the
// record lengths reach exactly the end of the stream; a damaged segment
// table is made again from the segments, each of which repeats its name,
// frame count and rate; a damaged segment head is passed over to the next
// segment found by its structure.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "MovieBytes.h"

struct TRescuedSegment {
  std::string Name;  // UTF-8
  uint8_t BitsPerPixel = 0;
  uint8_t FrameRate = 0;
  int32_t FramesRecorded = 0;
  int32_t FramesKept = 0;
  // Ranges [first, end) of the recorded frames that were lost; the frames
  // after a lost range are drawn over a picture that lacks it, so they may be
  // wrong where the lost frames changed it, until it is drawn again there.
  std::vector<std::pair<int32_t, int32_t>> LostFrames;
  // At 8 bits: the colour changes of frames from this one on were lost, and
  // their frames keep the colours they had before; -1 when none were.
  int32_t ColoursLostFrom = -1;
  // The cursor records of some frames were damaged, or name shapes the
  // segment lost: the cursor may be drawn in the wrong place or shape.
  bool CursorDamaged = false;
};

struct TMovieRescue {
  // A well-formed movie file of everything kept; the input itself when
  // nothing of it was damaged.
  std::vector<uint8_t> Movie;
  std::vector<TRescuedSegment> Segments;
  // What the segment table said; -1 when it was damaged and made again.
  int32_t SegmentsRecorded = -1;
  // Segments the table names that were not found.
  int32_t SegmentsLost = 0;
  // Segments whose head was found by its structure, not where the block
  // before it ended: what lay between was damaged.
  int32_t SegmentsFound = 0;
  // The frames the movie had: as its table counts them, else of the segments found.
  int64_t FramesRecorded = 0;
  // Bytes of the input that were lost or damaged, or lie in what could not be read.
  int64_t BytesLost = 0;
  bool Damaged() const;
  int64_t FramesKept() const;
};

// `lost`: the ranges of `bytes` known to be wrong, and past its end what
// never came; every limit of the ordinary reader holds. `bytes` become the
// written movie when nothing of them was damaged, so that a sound movie of
// hundreds of megabytes is not copied.
TMovieRescue RescueMovie(std::vector<uint8_t> bytes, const TByteRanges& lost);
