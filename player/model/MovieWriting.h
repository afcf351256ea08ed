// The parts of a movie file written back as the reader reads them: the
// segment table and a segment's information record. The rest of a segment
// block is bytes as they were read.
#pragma once

#include <cstdint>
#include <vector>

#include "SegInfo.h"

void AppendInt32(std::vector<uint8_t>& out, int32_t value);
// The segment count and one table entry a segment.
void AppendSegmentTable(std::vector<uint8_t>& out, const std::vector<SegmentTableEntry>& entries);
void AppendInfoRecord(std::vector<uint8_t>& out, const SegInfo& info);
