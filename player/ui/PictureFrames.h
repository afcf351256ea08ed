// Which frame the composed picture holds when the clock ticks, and the frame
// of the whole movie last shown. Playing composes one frame ahead of the one
// it shows, so a tick presents what the tick before composed. A seek
// composes the frame it shows, so the tick after it steps on and composes
// first; a segment just entered holds none of its frames yet, so its first
// tick composes first too.
#pragma once

#include <cstdint>

class TPictureFrames {
 public:
  enum Frame : uint8_t { NoFrame, ShownFrame, NextFrame };

  Frame Holds() const { return holds_; }
  // -1: none yet.
  int64_t Shown() const { return shown_; }

  // The picture holds `frame` of the whole movie: composed ahead of the one
  // shown, or by a seek and shown at once.
  void Composed(int64_t frame, Frame holds) {
    composed_ = frame;
    holds_ = holds;
    if (holds == ShownFrame) shown_ = frame;
  }
  // A segment was entered: its picture starts empty.
  void Cleared() { holds_ = NoFrame; }
  void Presented() { shown_ = composed_; }

 private:
  Frame holds_ = NoFrame;
  int64_t shown_ = -1;
  int64_t composed_ = -1;
};
