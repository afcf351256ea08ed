// Reading a movie file: the segment table at its head and the segment blocks
// after it. Every count and length is checked against the bytes the file
// still holds before anything is allocated; a damaged movie throws
// EMovieDamaged whose message names the segment and the field.
#pragma once

#include <memory>
#include <vector>

#include "MovieDamaged.h"
#include "SegInfo.h"
#include "Streams.h"

// Reads the segment count and the table from the start of the stream and
// leaves the stream after the table.
std::vector<SegmentTableEntry> ReadSegmentEntries(platform::TStream& stream);

// Reads a whole movie from the start of the stream: the table, then every
// segment block into `segments`. Returns the table.
std::vector<SegmentTableEntry> ReadMovie(platform::TStream& stream, std::vector<std::unique_ptr<SegInfo>>& segments);

// Reads the segment block at the stream's position into a new record that is
// appended to segments first; `number` (from 1) names it in messages.
void ReadSegmentBlock(platform::TStream& stream, std::vector<std::unique_ptr<SegInfo>>& segments, int number);
// The block in two parts: the head (shapes, information, cursor stream) into a
// new record appended to segments, leaving the stream at the frame stream;
// then the frame stream and, at 8 bits, the palette stream.
void ReadSegmentHead(platform::TStream& stream, std::vector<std::unique_ptr<SegInfo>>& segments, int number);
void ReadSegmentFrames(platform::TStream& stream, SegInfo& info, int number);
// Only the first `bytes` of the frame stream, all of a movie that has come so
// far: the frames whose records lie in them can be played; the segment's
// counts stay as recorded.
void ReadSegmentFramesBeginning(platform::TStream& stream, SegInfo& info, int64_t bytes);
