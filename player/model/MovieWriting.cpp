#include "MovieWriting.h"

void AppendInt32(std::vector<uint8_t>& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

void AppendSegmentTable(std::vector<uint8_t>& out, const std::vector<SegmentTableEntry>& entries) {
  AppendInt32(out, static_cast<int32_t>(entries.size()));
  for (const SegmentTableEntry& entry : entries) {
    out.insert(out.end(), entry.Name.Bytes.begin(), entry.Name.Bytes.end());
    AppendInt32(out, entry.FrameCount);
    out.push_back(entry.FrameRate);
  }
}

void AppendInfoRecord(std::vector<uint8_t>& out, const SegInfo& info) {
  AppendInt32(out, info.SegStreamSize);
  AppendInt32(out, info.CursStreamSize);
  AppendInt32(out, info.Width);
  AppendInt32(out, info.Height);
  out.push_back(info.BitsPerPixel);
  AppendInt32(out, info.FrameCount);
  out.push_back(info.FrameRate);
  out.insert(out.end(), info.Name.Bytes.begin(), info.Name.Bytes.end());
}
