#include "RescueReport.h"

#include "DurationText.h"
#include "JsonText.h"

namespace {

// Frame `frame` (from 0) of a segment as people count it, with its time.
std::string Moment(int32_t frame, uint8_t rate) {
  const std::string time = DurationText(frame, rate);
  return "frame " + std::to_string(frame + 1) + (time.empty() ? "" : " (" + time + ")");
}

std::string JsonTime(int32_t frame, uint8_t rate) {
  const std::string time = DurationText(frame, rate);
  return time.empty() ? "null" : JsonString(time);
}

// The first frame after a lost range that was kept: pictures may be wrong from there.
int32_t WrongFrom(const TRescuedSegment& segment) {
  for (const auto& [first, end] : segment.LostFrames)
    if (end < segment.FramesRecorded) return end;
  return -1;
}

}  // namespace

std::string RescueReportText(const TMovieRescue& rescue) {
  std::string text;
  for (size_t i = 0; i < rescue.Segments.size(); ++i) {
    const TRescuedSegment& s = rescue.Segments[i];
    text += std::to_string(i + 1) + "\t" + s.Name + "\t" + std::to_string(s.FramesKept) + " of " +
            std::to_string(s.FramesRecorded) + " frames kept";
    for (const auto& [first, end] : s.LostFrames)
      text += "; lost " + Moment(first, s.FrameRate) + " to " + Moment(end - 1, s.FrameRate);
    if (const int32_t wrong = WrongFrom(s); wrong >= 0)
      text += "; pictures may be wrong from " + Moment(wrong, s.FrameRate) + " until drawn again";
    if (s.ColoursLostFrom >= 0) text += "; colours lost from " + Moment(s.ColoursLostFrom, s.FrameRate);
    if (s.CursorDamaged) text += "; cursor damaged";
    text += "\n";
  }
  if (rescue.SegmentsRecorded < 0) text += "the segment table was damaged and made again from the segments\n";
  if (rescue.SegmentsLost > 0) text += std::to_string(rescue.SegmentsLost) + " segments lost\n";
  if (rescue.SegmentsFound > 0)
    text += std::to_string(rescue.SegmentsFound) + " segments found by their structure after damage\n";
  text += std::to_string(rescue.FramesKept()) + " of " + std::to_string(rescue.FramesRecorded) + " frames kept, " +
          std::to_string(rescue.BytesLost) + " bytes unrecoverable\n";
  return text;
}

std::string RescueReportJson(const TMovieRescue& rescue, const std::string& file, const std::string& output) {
  std::string segments;
  for (size_t i = 0; i < rescue.Segments.size(); ++i) {
    const TRescuedSegment& s = rescue.Segments[i];
    std::string lost;
    for (const auto& [first, end] : s.LostFrames)
      lost += std::string(lost.empty() ? "" : ", ") + "{\"first\": " + std::to_string(first + 1) +
              ", \"last\": " + std::to_string(end) + ", \"from\": " + JsonTime(first, s.FrameRate) +
              ", \"to\": " + JsonTime(end - 1, s.FrameRate) + "}";
    const int32_t wrong = WrongFrom(s);
    segments +=
        std::string(i ? ", " : "") + "{\"number\": " + std::to_string(i + 1) + ", \"name\": " + JsonString(s.Name) +
        ", \"bpp\": " + std::to_string(s.BitsPerPixel) + ", \"fps\": " + std::to_string(s.FrameRate) +
        ", \"frames_recorded\": " + std::to_string(s.FramesRecorded) +
        ", \"frames_kept\": " + std::to_string(s.FramesKept) + ", \"lost\": [" + lost + "]" +
        ", \"wrong_from\": " + (wrong < 0 ? "null" : JsonTime(wrong, s.FrameRate)) +
        ", \"colours_lost_from\": " + (s.ColoursLostFrom < 0 ? "null" : JsonTime(s.ColoursLostFrom, s.FrameRate)) +
        ", \"cursor_damaged\": " + (s.CursorDamaged ? "true" : "false") + "}";
  }
  return "{\"file\": " + JsonString(file) + ", \"output\": " + JsonString(output) +
         ", \"damaged\": " + (rescue.Damaged() ? "true" : "false") + ", \"segments_recorded\": " +
         (rescue.SegmentsRecorded < 0 ? "null" : std::to_string(rescue.SegmentsRecorded)) +
         ", \"segments_lost\": " + std::to_string(rescue.SegmentsLost) +
         ", \"segments_found\": " + std::to_string(rescue.SegmentsFound) +
         ", \"bytes_lost\": " + std::to_string(rescue.BytesLost) +
         ", \"frames_recorded\": " + std::to_string(rescue.FramesRecorded) +
         ", \"frames_kept\": " + std::to_string(rescue.FramesKept()) + ", \"segments\": [" + segments + "]}\n";
}
